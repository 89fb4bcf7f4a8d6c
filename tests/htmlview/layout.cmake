# Layout, painting and tables with a fixed-width measurer; the view with real fonts.
vantoro_test(htmlview_layout_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SectionLayoutTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/TableLayoutTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/THtmlTextViewTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/THtmlTextViewInputTest.cpp
  LIBS vantoro_htmlview)
