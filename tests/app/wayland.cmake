# Every window on a headless Weston (see WaylandWindowsTest.cpp and wayland_e2e.sh).
add_executable(app_wayland_test ${CMAKE_CURRENT_LIST_DIR}/WaylandWindowsTest.cpp)
target_link_libraries(app_wayland_test PRIVATE vantoro_testmain vantoro_app)
vantoro_warnings(app_wayland_test)
if(VANTORO_WITH_DISPLAY AND VANTORO_WESTON)
  add_test(NAME app_windows_wayland
           COMMAND ${VANTORO_WITH_DISPLAY} --wayland -- $<TARGET_FILE:app_wayland_test>)
  set_tests_properties(app_windows_wayland PROPERTIES TIMEOUT 180 LABELS "wayland")
endif()
if(VANTORO_WITH_DISPLAY AND VANTORO_WESTON AND VANTORO_WESTON_SCREENSHOOTER)
  # weston-screenshooter needs Weston's debug protocols.
  add_test(NAME app_wayland_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wayland --
                   ${CMAKE_CURRENT_LIST_DIR}/wayland_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(app_wayland_e2e PROPERTIES TIMEOUT 180 LABELS "wayland;e2e"
    ENVIRONMENT "WESTON_ARGS=--debug")
endif()
# The clip dialog's file-name field on a compositor without a seat, with Qt's input methods
# left to the program (QT_IM_MODULE removed).
add_executable(app_wayland_no_seat_test ${CMAKE_CURRENT_LIST_DIR}/WaylandNoSeatTest.cpp)
target_link_libraries(app_wayland_no_seat_test PRIVATE vantoro_platform Qt6::Widgets Qt6::Test)
target_include_directories(app_wayland_no_seat_test PRIVATE ${PROJECT_SOURCE_DIR})
vantoro_warnings(app_wayland_no_seat_test)
if(VANTORO_WITH_DISPLAY AND VANTORO_WESTON)
  add_test(NAME app_wayland_no_seat
           COMMAND ${VANTORO_WITH_DISPLAY} --wayland --
                   env -u QT_IM_MODULE $<TARGET_FILE:app_wayland_no_seat_test>)
  set_tests_properties(app_wayland_no_seat PROPERTIES TIMEOUT 60 LABELS "wayland"
    SKIP_RETURN_CODE 77)
endif()
