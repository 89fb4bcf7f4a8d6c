# The media-key session and the screensaver inhibitor, each test on a private session bus of its
# own (dbus-run-session starts and ends it around the test).
find_program(DBUS_RUN_SESSION dbus-run-session)
if(DBUS_RUN_SESSION)
  add_executable(platform_media_session_tests ${CMAKE_CURRENT_LIST_DIR}/MediaSessionTest.cpp)
  target_link_libraries(platform_media_session_tests PRIVATE vantoro_testmain vantoro_platform
                        Qt6::DBus)
  vantoro_warnings(platform_media_session_tests)
  set_target_properties(platform_media_session_tests PROPERTIES
    CROSSCOMPILING_EMULATOR "${DBUS_RUN_SESSION};--")
  gtest_discover_tests(platform_media_session_tests DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT 120 ENVIRONMENT "VANTORO_BUILD_DIR=${PROJECT_BINARY_DIR}")
endif()

# The desktop notification with its Undo action, against python3-dbusmock's notification server
# on a private session bus.
if(DBUS_RUN_SESSION)
  add_executable(platform_desktop_notifications_tests
    ${CMAKE_CURRENT_LIST_DIR}/DesktopNotificationsTest.cpp)
  target_link_libraries(platform_desktop_notifications_tests PRIVATE vantoro_testmain
                        vantoro_platform Qt6::DBus)
  vantoro_warnings(platform_desktop_notifications_tests)
  set_target_properties(platform_desktop_notifications_tests PROPERTIES
    CROSSCOMPILING_EMULATOR "${DBUS_RUN_SESSION};--")
  gtest_discover_tests(platform_desktop_notifications_tests DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT 120)
endif()
