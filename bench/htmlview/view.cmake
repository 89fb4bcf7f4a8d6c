# Painting in the view: a large table's last screen against plain text, and a one-line
# keyboard scroll against a full repaint.
add_executable(htmlview_view_bench ${CMAKE_CURRENT_LIST_DIR}/ViewBench.cpp)
target_link_libraries(htmlview_view_bench PRIVATE vantoro_htmlview benchmark::benchmark
                      Qt6::Widgets)
vantoro_warnings(htmlview_view_bench)
