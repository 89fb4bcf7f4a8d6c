# Tokenizer, document model and tag handling of the HTML engine.
vantoro_test(htmlview_parser_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HtmlTokenizerTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/HtmlSectionTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/HtmlParserTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/HtmlGoldenTest.cpp
  LIBS vantoro_htmlview)
target_compile_definitions(htmlview_parser_test PRIVATE
  VANTORO_HTML_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")

# Hostile input: deep nesting, huge lines, unterminated constructs. Each must finish in linear
# time; the time limit catches a quadratic or recursive slip.
vantoro_test(htmlview_bad_input_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HtmlBadInputTest.cpp
  LIBS vantoro_htmlview
  TIMEOUT 600)

# Font family names kept once for the program. In its own binary: the limit test fills the
# program-wide store.
vantoro_test(htmlview_font_name_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FontNameTest.cpp
  LIBS vantoro_htmlview)
