add_executable(playlists_bench ${CMAKE_CURRENT_LIST_DIR}/PlaylistBench.cpp)
target_link_libraries(playlists_bench PRIVATE vantoro_playlists benchmark::benchmark)
vantoro_warnings(playlists_bench)

add_executable(editor_bench ${CMAKE_CURRENT_LIST_DIR}/EditorBench.cpp)
target_link_libraries(editor_bench PRIVATE vantoro_playlists benchmark::benchmark Qt6::Widgets)
vantoro_warnings(editor_bench)

add_executable(drop_search_bench ${CMAKE_CURRENT_LIST_DIR}/DropSearchBench.cpp)
target_link_libraries(drop_search_bench PRIVATE vantoro_playlists benchmark::benchmark)
vantoro_warnings(drop_search_bench)
