# Tokenizer and parser over arbitrary text (ASan/UBSan with the "fuzz" preset).
vantoro_fuzzer(htmlview_parse_fuzzer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HtmlParseFuzzer.cpp
  LIBS vantoro_htmlview)
