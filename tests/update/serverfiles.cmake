# Parsers of the download folder's files: version, news and package catalogue.
if(NORVANE_TESTS)
  norvane_add_test(test_serverfiles SOURCES ServerFilesTest.cpp LIBS norvane_catalogue)
  # The demo server's catalogue is checked against its packages and the program's pictures.
  target_compile_definitions(test_serverfiles PRIVATE
    NORVANE_DEMO_DOWNLOAD_DIR="${PROJECT_SOURCE_DIR}/demo/download/norvane/download"
    NORVANE_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets")
endif()
if(NORVANE_FUZZ)
  norvane_add_fuzzer(fuzz_server_files SOURCES fuzz_server_files.cpp LIBS norvane_catalogue)
endif()
