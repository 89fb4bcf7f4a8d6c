# TShellFileOp against the recording engine fake.
vantoro_test(clipmanager_shell_file_op_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TShellFileOpTest.cpp
  LIBS vantoro_clipmanager)
