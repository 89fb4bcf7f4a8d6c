# HTML parse speed and document memory, measured against QTextDocument::setHtml on the same
# input in the same run.
add_executable(htmlview_parse_bench ${CMAKE_CURRENT_LIST_DIR}/HtmlParseBench.cpp)
target_link_libraries(htmlview_parse_bench PRIVATE vantoro_htmlview benchmark::benchmark Qt6::Gui)
vantoro_warnings(htmlview_parse_bench)
