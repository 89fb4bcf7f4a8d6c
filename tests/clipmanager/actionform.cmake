# The clip manager window with scripted dialogs and boxes, on real files through the real
# file-operation engine, and the whole road from New through the player to the clip manager.
if(TARGET vantoro_clipmanager)
  vantoro_test(action_form_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ActionFormTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ActionFormFilesTest.cpp
    LIBS vantoro_clipmanager)
  # Undo of each action, from the window and from the program-wide stack.
  vantoro_test(clip_manager_undo_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ClipManagerUndoTest.cpp
            ${PROJECT_SOURCE_DIR}/tests/common/FileOpTestSupport.cpp
    LIBS vantoro_clipmanager)
  if(TARGET vantoro_player)
    vantoro_test(clip_manager_road_test
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/ClipManagerRoadTest.cpp
              ${PROJECT_SOURCE_DIR}/tests/player/TWMTPlayerTestMedia.cpp
      LIBS vantoro_clipmanager vantoro_player
      TIMEOUT 240)
  endif()
endif()

# The built program driven from outside on a virtual display: New, Mark, the clip manager, the
# Trash.
find_program(XDOTOOL xdotool)
if(TARGET vantoro AND VANTORO_WITH_DISPLAY AND XDOTOOL)
  add_test(NAME clip_manager_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --
                   ${CMAKE_CURRENT_LIST_DIR}/clip_manager_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(clip_manager_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
  add_test(NAME clip_manager_new_folder_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                   ${CMAKE_CURRENT_LIST_DIR}/new_folder_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(clip_manager_new_folder_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
  # The player and the clip manager with the keyboard alone.
  add_test(NAME clip_manager_keyboard_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                   ${CMAKE_CURRENT_LIST_DIR}/keyboard_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(clip_manager_keyboard_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
endif()

# The clip manager at a person's pace (tests/tools/e2e-lib.sh): every question read for 1.5 s
# and answered with the mouse, keys that must not close the window, a quit during a question.
if(TARGET vantoro AND VANTORO_WITH_DISPLAY AND XDOTOOL)
  foreach(scenario delete copy move error no-trash keys quit)
    add_test(NAME clip_manager_pace_${scenario}_e2e
             COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                     ${CMAKE_CURRENT_LIST_DIR}/clip_manager_pace_e2e.sh ${scenario}
                     $<TARGET_FILE:vantoro>)
    set_tests_properties(clip_manager_pace_${scenario}_e2e
                         PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e" RUN_SERIAL TRUE
                                    SKIP_RETURN_CODE 77)
  endforeach()
endif()

# The built program at a person's pace: the clip manager's delete undone by Ctrl+Z in the main
# window after the clip manager closed itself.
if(TARGET vantoro AND VANTORO_WITH_DISPLAY AND XDOTOOL)
  add_test(NAME clip_manager_undo_e2e
           COMMAND ${VANTORO_WITH_DISPLAY} --wm --
                   ${CMAKE_CURRENT_LIST_DIR}/undo_e2e.sh $<TARGET_FILE:vantoro>)
  set_tests_properties(clip_manager_undo_e2e PROPERTIES TIMEOUT 180 LABELS "xvfb;e2e")
endif()
