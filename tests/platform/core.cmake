vantoro_test(platform_core_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ProfileStringsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AtomicFileWriterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileSystemTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../common/Unprivileged.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgramFolderTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtMessageBoxesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtShellOpenerTest.cpp
  LIBS vantoro_platform)
