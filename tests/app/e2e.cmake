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

# A real drag from another program onto the main window, over the X server's drag and drop.
add_executable(drag_source ${CMAKE_CURRENT_LIST_DIR}/DragSource.cpp)
target_link_libraries(drag_source PRIVATE Qt6::Widgets)
vantoro_warnings(drag_source)
find_program(VANTORO_CONVERT convert)
if(VANTORO_WITH_DISPLAY AND XDOTOOL AND VANTORO_CONVERT)
  add_test(NAME app_drop_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                   ${CMAKE_CURRENT_LIST_DIR}/drop_e2e.sh $<TARGET_FILE:vantoro>
                   $<TARGET_FILE:drag_source>)
  set_tests_properties(app_drop_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
endif()
