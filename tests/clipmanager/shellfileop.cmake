# TShellFileOp against the recording engine fake, and once on the real engine and real files.
vantoro_test(clipmanager_shell_file_op_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TShellFileOpTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TShellFileOpEngineTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/common/FileOpTestSupport.cpp
  LIBS vantoro_clipmanager)
