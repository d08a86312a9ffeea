# OpenURL against the curl command-line tool, both fetching from the loopback server.
add_executable(bench_download ${CMAKE_CURRENT_LIST_DIR}/DownloadBench.cpp)
target_link_libraries(bench_download PRIVATE norvane_update norvane_test_support)
