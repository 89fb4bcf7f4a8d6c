# The built program driven from outside on a virtual display.
find_program(XVFB_RUN xvfb-run)
find_program(XDOTOOL xdotool)
if(XVFB_RUN AND XDOTOOL)
  add_test(NAME app_new_playlist_e2e
           COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24"
                   ${CMAKE_CURRENT_LIST_DIR}/new_playlist_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(app_new_playlist_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
  add_test(NAME app_open_playlist_e2e
           COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24"
                   ${CMAKE_CURRENT_LIST_DIR}/open_playlist_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(app_open_playlist_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
endif()

# The install rules and the Debian package.
add_test(NAME app_package COMMAND ${CMAKE_CURRENT_LIST_DIR}/package_test.sh ${PROJECT_BINARY_DIR})
set_tests_properties(app_package PROPERTIES TIMEOUT 300 LABELS "package")
