# Start-up from the desktop: exec to the first painted main window, seen from the X server,
# against a bare Qt window of the same size, in interleaved pairs.
pkg_check_modules(XCB_DAMAGE REQUIRED IMPORTED_TARGET xcb xcb-damage)

add_executable(vantoro_bare_window ${CMAKE_CURRENT_LIST_DIR}/BareWindow.cpp)
target_link_libraries(vantoro_bare_window PRIVATE Qt6::Widgets)
vantoro_warnings(vantoro_bare_window)

add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/StartupBench.cpp)
target_link_libraries(startup_bench PRIVATE benchmark::benchmark PkgConfig::XCB_DAMAGE)
target_compile_definitions(startup_bench PRIVATE
  VANTORO_EXE="$<TARGET_FILE:vantoro>" BARE_WINDOW_EXE="$<TARGET_FILE:vantoro_bare_window>")
add_dependencies(startup_bench vantoro vantoro_bare_window)
vantoro_warnings(startup_bench)
