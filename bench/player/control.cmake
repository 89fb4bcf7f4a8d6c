# Start-up latency of the media control: Open of a 3-entry playlist to its first NewStream,
# against bare libmpv from loadfile to file-loaded on the same clip, both with null outputs.
add_executable(player_control_bench ${CMAKE_CURRENT_LIST_DIR}/TWMTPlayerBench.cpp)
target_link_libraries(player_control_bench PRIVATE vantoro_player benchmark::benchmark)
vantoro_warnings(player_control_bench)

# The slideshow gap: 24-megapixel JPEGs, from one picture's end to the next one's first frame,
# through the media control and through bare libmpv with the same options.
add_executable(player_slideshow_bench ${CMAKE_CURRENT_LIST_DIR}/SlideshowGapBench.cpp)
target_link_libraries(player_slideshow_bench PRIVATE vantoro_player benchmark::benchmark)
vantoro_warnings(player_slideshow_bench)

# A slideshow as the screen shows it: each picture's time on screen, read from the X server's
# pixels by a second process, and the resident memory over a long run. Needs an X display:
#   tests/tools/with-display -- build/.../player_slideshow_screen_bench --minutes=30
add_executable(player_slideshow_screen_bench ${CMAKE_CURRENT_LIST_DIR}/SlideshowScreenBench.cpp)
target_link_libraries(player_slideshow_screen_bench PRIVATE vantoro_player vantoro_playlists
                      benchmark::benchmark)
vantoro_warnings(player_slideshow_screen_bench)
