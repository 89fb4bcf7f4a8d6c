vantoro_fuzzer(playlist_reader_fuzzer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistReaderFuzzer.cpp
  LIBS vantoro_playlists)
