# OpenURL against the curl command-line tool, both fetching from the loopback server.
add_executable(bench_download
  ${CMAKE_CURRENT_LIST_DIR}/DownloadBench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/LoopbackServer.cpp)
target_include_directories(bench_download PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_download PRIVATE norvane_update norvane_folder_files PkgConfig::HTTPLIB benchmark::benchmark)
