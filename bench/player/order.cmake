# Size and date orders on 100,000 existing files against a plain stat-and-sort baseline.
add_executable(player_order_bench ${CMAKE_CURRENT_LIST_DIR}/PlayOrderBench.cpp)
target_link_libraries(player_order_bench PRIVATE vantoro_player benchmark::benchmark)
vantoro_warnings(player_order_bench)
