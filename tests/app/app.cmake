vantoro_test(app_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SettingsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TForm1Test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowDropTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpPageTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandLineTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TerminationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogKeysTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../common/Unprivileged.cpp
  LIBS vantoro_app)
add_dependencies(app_tests vantoro)
target_compile_definitions(app_tests PRIVATE VANTORO_VERSION="${PROJECT_VERSION}"
                                             VANTORO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
