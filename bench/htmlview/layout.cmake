# Parse + layout against QTextDocument on a generated 1 MB document and on the guide text.
add_executable(htmlview_layout_bench ${CMAKE_CURRENT_LIST_DIR}/LayoutBench.cpp)
target_link_libraries(htmlview_layout_bench PRIVATE vantoro_htmlview benchmark::benchmark
                      Qt6::Widgets)
vantoro_warnings(htmlview_layout_bench)
