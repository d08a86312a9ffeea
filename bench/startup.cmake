# Start-up of the program against a bare Qt window with the same title, timed to the
# X server's MapNotify under a private Xvfb.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
add_executable(bench_bare_window ${CMAKE_CURRENT_LIST_DIR}/BareWindow.cpp)
target_link_libraries(bench_bare_window PRIVATE Qt6::Widgets)

add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/StartUpBench.cpp)
target_link_libraries(bench_startup PRIVATE Qt6::Core PkgConfig::XCB)
