# The main road through the real player window: New, play, save, Load, with real playback.
vantoro_test(playlist_road_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistRoadTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/TWMTPlayerTestMedia.cpp
  LIBS vantoro_player
  TIMEOUT 240)
