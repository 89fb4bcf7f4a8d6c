# The folder browse dialog: driven through a scripted folder browser and text input, and on
# the real browser and input box with the keyboard.
vantoro_test(clipmanager_folder_dialog_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TKxFolderDialogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderDialogDrivenTest.cpp
  LIBS vantoro_clipmanager TIMEOUT 120)
