# The file-operation engine against cp, mv, sync and gio trash.
add_executable(fileops_file_operation_bench ${CMAKE_CURRENT_LIST_DIR}/FileOperationBench.cpp)
target_link_libraries(fileops_file_operation_bench PRIVATE vantoro_fileops benchmark::benchmark)
vantoro_warnings(fileops_file_operation_bench)

# Copying clips onto a NAS over a slow link (sshfs through a delaying relay) against cp + sync.
add_executable(fileops_nas_bench ${CMAKE_CURRENT_LIST_DIR}/NasBench.cpp
  ${PROJECT_SOURCE_DIR}/tests/common/TestDrive.cpp
  ${PROJECT_SOURCE_DIR}/tests/common/FileOpTestSupport.cpp)
target_include_directories(fileops_nas_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(fileops_nas_bench PRIVATE vantoro_fileops benchmark::benchmark)
vantoro_warnings(fileops_nas_bench)
