# The file-operation engine on real files: copies, moves, the Trash, the journal and its undo,
# driven with scripted answers (tests/common/FileOpFakes.h).
set(fileops_support ${PROJECT_SOURCE_DIR}/tests/common/FileOpTestSupport.cpp)
vantoro_test(fileops_engine_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ShellFileOperationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrashFileOpTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileOpEdgeCaseTest.cpp
    ${fileops_support}
  LIBS vantoro_fileops
  TIMEOUT 300)

# Faults injected into real file systems (root only: tmpfs, bind and loop mounts, strace,
# dropped capabilities, kill -9), partly through a helper process running the engine.
add_executable(fileops_helper ${CMAKE_CURRENT_LIST_DIR}/FileOpHelper.cpp)
target_link_libraries(fileops_helper PRIVATE vantoro_fileops)
vantoro_warnings(fileops_helper)
vantoro_test(fileops_fault_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FileOpFaultTest.cpp
    ${fileops_support}
  LIBS vantoro_fileops
  TIMEOUT 600)
target_compile_definitions(fileops_fault_test PRIVATE
  FILEOP_HELPER="$<TARGET_FILE:fileops_helper>")
add_dependencies(fileops_fault_test fileops_helper)

# Undo of a delete, copy or move from the engine's journal, on real files and a private Trash.
vantoro_test(fileops_undo_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FileOperationUndoTest.cpp
    ${fileops_support}
  LIBS vantoro_fileops
  TIMEOUT 300)

# Copy, move, the Trash and undo on FUSE drives: exFAT, FAT32, NTFS images and sshfs on a private
# sshd on 127.0.0.1 (root only; each drive skips with the reason where it cannot be mounted).
vantoro_test(fileops_drive_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DriveFileOpTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/common/TestDrive.cpp
    ${fileops_support}
  LIBS vantoro_fileops
  TIMEOUT 300)
target_compile_definitions(fileops_drive_test PRIVATE
  FILEOP_HELPER="$<TARGET_FILE:fileops_helper>")
add_dependencies(fileops_drive_test fileops_helper)
