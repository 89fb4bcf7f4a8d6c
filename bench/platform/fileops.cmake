# The file-operation engine against cp, mv, sync and gio trash.
add_executable(platform_file_operation_bench ${CMAKE_CURRENT_LIST_DIR}/FileOperationBench.cpp)
target_link_libraries(platform_file_operation_bench PRIVATE vantoro_platform benchmark::benchmark)
vantoro_warnings(platform_file_operation_bench)
