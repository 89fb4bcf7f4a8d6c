# Start-up to the first painted main window, whole process, against a bare Qt window.
add_executable(vantoro_startup_probe ${CMAKE_CURRENT_LIST_DIR}/StartupProbe.cpp)
target_link_libraries(vantoro_startup_probe PRIVATE vantoro_app)
vantoro_warnings(vantoro_startup_probe)

add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/StartupBench.cpp)
target_link_libraries(startup_bench PRIVATE benchmark::benchmark)
target_compile_definitions(startup_bench PRIVATE
  STARTUP_PROBE="$<TARGET_FILE:vantoro_startup_probe>")
add_dependencies(startup_bench vantoro_startup_probe)
vantoro_warnings(startup_bench)
