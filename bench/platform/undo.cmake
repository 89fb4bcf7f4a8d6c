# Undoing a move of 2,000 files against the move itself.
add_executable(platform_undo_bench ${CMAKE_CURRENT_LIST_DIR}/UndoBench.cpp)
target_link_libraries(platform_undo_bench PRIVATE vantoro_platform benchmark::benchmark)
vantoro_warnings(platform_undo_bench)
