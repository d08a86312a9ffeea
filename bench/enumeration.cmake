# One full drive enumeration on a recorded system of 48 volumes, with and without
# the snapshot of the mount table.
add_executable(bench_enumeration
  ${CMAKE_CURRENT_LIST_DIR}/EnumerationBench.cpp
  ${PROJECT_SOURCE_DIR}/tests/platform/RecordedSystem.cpp)
target_include_directories(bench_enumeration PRIVATE ${PROJECT_SOURCE_DIR}/tests/platform)
target_compile_definitions(bench_enumeration PRIVATE
  NORVANE_PLATFORM_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/platform/data")
target_link_libraries(bench_enumeration PRIVATE norvane_stick norvane_test_support benchmark::benchmark)
