# Parsers of the download folder's files: version, news and package catalogue.
if(NORVANE_TESTS)
  norvane_add_test(test_serverfiles SOURCES ServerFilesTest.cpp LIBS norvane_update)
endif()
if(NORVANE_FUZZ)
  norvane_add_fuzzer(fuzz_server_files SOURCES fuzz_server_files.cpp LIBS norvane_update)
endif()
