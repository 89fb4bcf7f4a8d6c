vantoro_test(playlist_commands_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistCommandsTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/common/TestDrive.cpp
    ${PROJECT_SOURCE_DIR}/tests/common/FileOpTestSupport.cpp
  LIBS vantoro_playlists)
