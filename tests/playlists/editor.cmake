vantoro_test(playlist_editor_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TMangleTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TConfirmKillTest.cpp
  LIBS vantoro_playlists)
