# The signed list of digests, trusted keys and the memory of signed servers (packages
# checked against their digest while they stream: DownloadToFileTest).
if(NORVANE_TESTS)
  norvane_add_test(test_signature
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/ManifestTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/SignedServersTest.cpp
    LIBS norvane_update)
  target_compile_definitions(test_signature PRIVATE
    NORVANE_DEFAULT_SERVER_KEY="${NORVANE_DEFAULT_SERVER_KEY}"
    NORVANE_SIGN_SCRIPT="${PROJECT_SOURCE_DIR}/scripts/sign-download-folder.sh")
endif()
if(NORVANE_FUZZ)
  norvane_add_fuzzer(fuzz_manifest SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_manifest.cpp LIBS norvane_update)
endif()
