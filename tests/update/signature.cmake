# The signed list of digests, trusted keys and the memory of signed servers (packages
# checked against their digest while they stream: DownloadToFileTest).
if(NORVANE_TESTS)
  norvane_add_test(test_signature
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/ManifestTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/SignedServersTest.cpp
    LIBS norvane_signature norvane_update)
  target_compile_definitions(test_signature PRIVATE
    NORVANE_DEFAULT_SERVER_KEY="${NORVANE_DEFAULT_SERVER_KEY}"
    NORVANE_SIGN_SCRIPT="${PROJECT_SOURCE_DIR}/scripts/sign-download-folder.sh")
  # CI runs as root, users do not: the memory's rules once more as an ordinary user.
  add_test(NAME SignedServersMemory.AsAnOrdinaryUser COMMAND sh -c
    "[ $(id -u) -ne 0 ] || exec setpriv --reuid=65534 --regid=65534 --clear-groups \"$0\" --gtest_filter='SignedServersMemory.*'; exec \"$0\" --gtest_filter='SignedServersMemory.*'"
    $<TARGET_FILE:test_signature>)
  set_tests_properties(SignedServersMemory.AsAnOrdinaryUser PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endif()
if(NORVANE_FUZZ)
  norvane_add_fuzzer(fuzz_manifest SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_manifest.cpp LIBS norvane_signature)
endif()
