vantoro_test(app_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SettingsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TForm1Test.cpp
  LIBS vantoro_app)
