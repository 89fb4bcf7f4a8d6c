# The built program driven from outside on a virtual display.
find_program(XDOTOOL xdotool)
if(VANTORO_WITH_DISPLAY AND XDOTOOL)
  add_test(NAME app_new_playlist_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --
                   ${CMAKE_CURRENT_LIST_DIR}/new_playlist_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(app_new_playlist_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
  add_test(NAME app_open_playlist_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --
                   ${CMAKE_CURRENT_LIST_DIR}/open_playlist_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(app_open_playlist_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
  add_test(NAME app_playlist_progress_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                   ${CMAKE_CURRENT_LIST_DIR}/playlist_progress_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(app_playlist_progress_e2e PROPERTIES TIMEOUT 300 LABELS "xvfb;e2e")
  add_test(NAME app_clip_dialog_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                   ${CMAKE_CURRENT_LIST_DIR}/clip_dialog_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(app_clip_dialog_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
endif()

# The install rules and the Debian package.
add_test(NAME app_package COMMAND ${CMAKE_CURRENT_LIST_DIR}/package_test.sh ${PROJECT_BINARY_DIR})
set_tests_properties(app_package PROPERTIES TIMEOUT 300 LABELS "package")
