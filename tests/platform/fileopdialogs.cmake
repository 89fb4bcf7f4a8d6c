# The Qt windows of the file-operation engine: its questions and its progress window.
vantoro_test(platform_file_operation_dialogs_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QtFileOperationDialogsTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/common/FileOpTestSupport.cpp
  LIBS vantoro_platform
  TIMEOUT 300)
