# The player window and OpenPlayer: real playback of generated clips with null outputs, a
# scripted modal runner and fake message boxes, shell, timers and power service.
vantoro_test(player_window_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TWplayerF2Test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PlayerUseTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PlayerMediaSessionTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/OpenPlayerTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/TWMTPlayerTestMedia.cpp
  LIBS vantoro_player
  TIMEOUT 240)

# The same under Xvfb, where the control shows the picture on a real OpenGL surface.
if(VANTORO_WITH_DISPLAY)
  add_test(NAME player_window_xvfb
           COMMAND ${VANTORO_WITH_DISPLAY} -- $<TARGET_FILE:player_window_test>)
  set_tests_properties(player_window_xvfb PROPERTIES TIMEOUT 240 LABELS xvfb
    ENVIRONMENT "QT_QPA_PLATFORM=xcb")
endif()
# The same on a headless Weston: the player window, its picture and full screen natively on Wayland.
if(VANTORO_WITH_DISPLAY AND VANTORO_WESTON)
  add_test(NAME player_window_wayland
           COMMAND ${VANTORO_WITH_DISPLAY} --wayland -- $<TARGET_FILE:player_window_test>)
  set_tests_properties(player_window_wayland PROPERTIES TIMEOUT 240 LABELS wayland)
endif()
