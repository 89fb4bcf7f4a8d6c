# Undoing a move of 2,000 files against the move itself.
add_executable(fileops_undo_bench ${CMAKE_CURRENT_LIST_DIR}/UndoBench.cpp)
target_link_libraries(fileops_undo_bench PRIVATE vantoro_fileops benchmark::benchmark)
vantoro_warnings(fileops_undo_bench)
