# OpenURL and DownloadToFile against the curl command-line tool, both fetching from the
# loopback server; and the CPU a download paced like a real network costs.
add_executable(bench_download ${CMAKE_CURRENT_LIST_DIR}/DownloadBench.cpp)
target_link_libraries(bench_download PRIVATE norvane_update norvane_bench_support norvane_test_support)

add_executable(bench_download_cpu ${CMAKE_CURRENT_LIST_DIR}/DownloadCpuBench.cpp)
target_link_libraries(bench_download_cpu PRIVATE norvane_update norvane_bench_support norvane_test_support)
