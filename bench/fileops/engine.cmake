# The file-operation engine against cp, mv, sync and gio trash.
add_executable(fileops_file_operation_bench ${CMAKE_CURRENT_LIST_DIR}/FileOperationBench.cpp)
target_link_libraries(fileops_file_operation_bench PRIVATE vantoro_fileops benchmark::benchmark)
vantoro_warnings(fileops_file_operation_bench)
