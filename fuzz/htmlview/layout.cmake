# Run: htmlview_layout_fuzzer CORPUS fuzz/htmlview/layout_corpus -dict=fuzz/htmlview/layout.dict
#      -max_len=16384 -timeout=10 -rss_limit_mb=2560
vantoro_fuzzer(htmlview_layout_fuzzer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LayoutFuzzer.cpp
  LIBS vantoro_htmlview)
