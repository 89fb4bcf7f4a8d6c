# The file-operation engine: copies, moves, the Trash, its questions and its progress window.
vantoro_test(platform_file_operation_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ShellFileOperationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrashFileOpTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileOpEdgeCaseTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileOpTestSupport.cpp
  LIBS vantoro_platform
  TIMEOUT 300)
vantoro_test(platform_file_operation_dialogs_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QtFileOperationDialogsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileOpTestSupport.cpp
  LIBS vantoro_platform
  TIMEOUT 300)

# Faults injected into real file systems (root only: tmpfs, bind and loop mounts, strace,
# dropped capabilities, kill -9), partly through a helper process running the engine.
add_executable(platform_fileop_helper ${CMAKE_CURRENT_LIST_DIR}/FileOpHelper.cpp)
target_link_libraries(platform_fileop_helper PRIVATE vantoro_platform)
vantoro_warnings(platform_fileop_helper)
vantoro_test(platform_file_operation_fault_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FileOpFaultTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileOpTestSupport.cpp
  LIBS vantoro_platform
  TIMEOUT 600)
target_compile_definitions(platform_file_operation_fault_test PRIVATE
  FILEOP_HELPER="$<TARGET_FILE:platform_fileop_helper>")
add_dependencies(platform_file_operation_fault_test platform_fileop_helper)

# Undo of a delete, copy or move from the engine's journal, on real files and a private Trash.
vantoro_test(platform_file_operation_undo_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FileOperationUndoTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileOpTestSupport.cpp
  LIBS vantoro_platform
  TIMEOUT 300)
