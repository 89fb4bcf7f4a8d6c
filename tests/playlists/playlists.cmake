vantoro_test(playlist_format_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistFormatTest.cpp
  LIBS vantoro_playlists)
vantoro_test(playlist_files_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistFilesTest.cpp
  LIBS vantoro_playlists
  TIMEOUT 600)
vantoro_test(clip_list_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ClipListTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ClipListModelTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ClipListViewTest.cpp
  LIBS vantoro_playlists)
vantoro_test(playlist_reader_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistReaderTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PlaylistEntryResolverTest.cpp
  LIBS vantoro_playlists)
vantoro_test(playlist_letter_case_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistLetterCaseTest.cpp
  LIBS vantoro_playlists)
vantoro_test(playlist_moved_house_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistMovedHouseTest.cpp
  LIBS vantoro_playlists)
