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

# Contrast of every text in a light and a dark palette (offscreen).
vantoro_test(app_colour_contrast_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ColourContrastTest.cpp
  LIBS vantoro_app)

# What a screen reader finds, read through the accessibility bus (python3-pyatspi) in a private
# D-Bus session on Xvfb.
add_executable(app_accessibility_test ${CMAKE_CURRENT_LIST_DIR}/AccessibilityTest.cpp)
target_link_libraries(app_accessibility_test PRIVATE vantoro_testmain vantoro_app)
target_compile_definitions(app_accessibility_test PRIVATE VANTORO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
vantoro_warnings(app_accessibility_test)
find_program(VANTORO_DBUS_RUN_SESSION dbus-run-session)
if(VANTORO_WITH_DISPLAY AND VANTORO_DBUS_RUN_SESSION)
  add_test(NAME app_accessibility_xvfb
           COMMAND ${VANTORO_WITH_DISPLAY} -- ${VANTORO_DBUS_RUN_SESSION} --
                   $<TARGET_FILE:app_accessibility_test>)
  set_tests_properties(app_accessibility_xvfb PROPERTIES TIMEOUT 180 LABELS xvfb
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")
endif()
