# A whole update run in-process on a folder-backed stick; scripts/bench.sh measures
# its peak memory with /usr/bin/time -v.
add_executable(bench_update_run ${CMAKE_CURRENT_LIST_DIR}/UpdateRunBench.cpp)
target_compile_definitions(bench_update_run PRIVATE NORVANE_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets")
target_link_libraries(bench_update_run PRIVATE norvane_app norvane_test_support norvane_bench_support)

# The flushes of a staged update with 10, 100 and 1,000 members, against bsdtar.
add_executable(bench_staged_update ${CMAKE_CURRENT_LIST_DIR}/StagedUpdateBench.cpp)
target_link_libraries(bench_staged_update PRIVATE norvane_update norvane_bench_support)
