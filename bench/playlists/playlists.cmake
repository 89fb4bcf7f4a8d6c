add_executable(playlists_bench ${CMAKE_CURRENT_LIST_DIR}/PlaylistBench.cpp)
target_link_libraries(playlists_bench PRIVATE vantoro_playlists benchmark::benchmark)
vantoro_warnings(playlists_bench)
