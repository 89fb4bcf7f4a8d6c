vantoro_test(platform_progress_window_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/QtProgressWindowsTest.cpp
  LIBS vantoro_platform)
