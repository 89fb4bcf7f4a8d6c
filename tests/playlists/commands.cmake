vantoro_test(playlist_commands_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistCommandsTest.cpp
  LIBS vantoro_playlists)
