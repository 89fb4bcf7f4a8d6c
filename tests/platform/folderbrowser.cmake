# The locale code, folder helpers and the folder browser.
vantoro_test(platform_folder_browser_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/LocaleCodeTest.cpp
  LIBS vantoro_platform)
