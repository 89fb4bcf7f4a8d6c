add_executable(playlists_bench ${CMAKE_CURRENT_LIST_DIR}/PlaylistBench.cpp)
target_link_libraries(playlists_bench PRIVATE vantoro_playlists benchmark::benchmark)
vantoro_warnings(playlists_bench)

add_executable(editor_bench ${CMAKE_CURRENT_LIST_DIR}/EditorBench.cpp)
target_link_libraries(editor_bench PRIVATE vantoro_playlists benchmark::benchmark Qt6::Widgets)
vantoro_warnings(editor_bench)
