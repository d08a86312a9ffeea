# DownloadToFile's peak memory on a large package, and the window thread's repaint latency
# while a transfer stalls and while the main window ejects and renames through a slow UDisks2.
add_executable(bench_stream_to_file ${CMAKE_CURRENT_LIST_DIR}/StreamToFileBench.cpp)
target_link_libraries(bench_stream_to_file PRIVATE norvane_update norvane_bench_support)

add_executable(bench_window_latency ${CMAKE_CURRENT_LIST_DIR}/WindowLatencyBench.cpp)
target_link_libraries(bench_window_latency PRIVATE norvane_app norvane_update norvane_test_support Qt6::Widgets)
