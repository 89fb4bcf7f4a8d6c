# Files and folders dropped on a list view (the editor's list).
vantoro_test(playlist_drop_target_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ClipDropTargetTest.cpp
  LIBS vantoro_playlists)
