# The tokenizer's stretch-at-once reading against the character rules, and the model's pool.
vantoro_test(htmlview_fast_path_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HtmlFastPathTest.cpp
  LIBS vantoro_htmlview)
