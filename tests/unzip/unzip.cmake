# Archive extraction: names, options, hostile archives, the read-back check; its fuzzer.
if(NORVANE_TESTS)
  norvane_add_test(test_unzip
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/UnzipNamesTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/UnzipStickNamesTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/UnzipTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/UnzipTestArchives.cpp
      ${CMAKE_CURRENT_LIST_DIR}/UnzipTestArchives.h
      ${CMAKE_CURRENT_LIST_DIR}/UnzipTestSupport.h
      ${CMAKE_CURRENT_LIST_DIR}/UnzipVerifyTest.cpp
    LIBS norvane_unzip LibArchive::LibArchive)
  # The member names once more with the locale of the environment as the user may have
  # it: plain C, and a German locale this machine does not have.
  foreach(lang IN ITEMS C de_DE.UTF-8)
    add_test(NAME UnzipNames.UnderLang_${lang}
      COMMAND test_unzip --gtest_filter=UnzipFixture.MemberNamesComeOutTheSameUnderEveryLocale)
    set_tests_properties(UnzipNames.UnderLang_${lang} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=${lang};LC_ALL=;LC_CTYPE=")
  endforeach()
endif()
if(NORVANE_FUZZ)
  norvane_add_fuzzer(fuzz_unzip SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_unzip.cpp LIBS norvane_unzip)
endif()
