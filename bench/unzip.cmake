# UnzipArchive against bsdtar -xf on the same generated archive.
add_executable(bench_unzip ${CMAKE_CURRENT_LIST_DIR}/UnzipBench.cpp)
target_link_libraries(bench_unzip PRIVATE norvane_unzip norvane_bench_support)
