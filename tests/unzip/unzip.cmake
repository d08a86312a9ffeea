# Archive extraction: names, options, hostile archives, the read-back check; its fuzzer.
if(NORVANE_TESTS)
  norvane_add_test(test_unzip
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/UnzipNamesTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/UnzipTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/UnzipTestArchives.cpp
      ${CMAKE_CURRENT_LIST_DIR}/UnzipTestArchives.h
      ${CMAKE_CURRENT_LIST_DIR}/UnzipTestSupport.h
      ${CMAKE_CURRENT_LIST_DIR}/UnzipVerifyTest.cpp
    LIBS norvane_unzip LibArchive::LibArchive)
endif()
if(NORVANE_FUZZ)
  norvane_add_fuzzer(fuzz_unzip SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_unzip.cpp LIBS norvane_unzip)
endif()
