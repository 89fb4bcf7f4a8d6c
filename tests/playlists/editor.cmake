vantoro_test(playlist_editor_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TMangleTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TConfirmKillTest.cpp
  LIBS vantoro_playlists)

# The editor at a person's pace, driven from outside (tests/tools/e2e-lib.sh): Return on a
# focused No, a clip sent to the Trash, OK.
find_program(XDOTOOL xdotool)
if(TARGET vantoro AND VANTORO_WITH_DISPLAY AND XDOTOOL)
  add_test(NAME playlist_editor_pace_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                   ${CMAKE_CURRENT_LIST_DIR}/editor_pace_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(playlist_editor_pace_e2e
                       PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e" RUN_SERIAL TRUE)
  # Missing clips kept, the framed row deleted, a held Move button, the overwrite question.
  add_test(NAME playlist_editor_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                   ${CMAKE_CURRENT_LIST_DIR}/editor_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(playlist_editor_e2e
                       PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e" RUN_SERIAL TRUE)
endif()
