# The file-operation engine: copies, moves, the Trash, its questions and its progress window.
vantoro_test(platform_file_operation_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ShellFileOperationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrashFileOpTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileOpTestSupport.cpp
  LIBS vantoro_platform
  TIMEOUT 300)
