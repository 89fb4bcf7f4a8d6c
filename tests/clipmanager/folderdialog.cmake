# The folder browse dialog, driven through a scripted folder browser and text input.
vantoro_test(clipmanager_folder_dialog_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TKxFolderDialogTest.cpp
  LIBS vantoro_clipmanager)
