# The clip manager window with scripted dialogs and boxes, on real files.
if(TARGET vantoro_clipmanager)
  vantoro_test(action_form_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ActionFormTest.cpp
    LIBS vantoro_clipmanager)
endif()
