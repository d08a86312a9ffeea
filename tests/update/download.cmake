# HTTP download, server addresses and the file store.
if(NORVANE_TESTS)
  norvane_add_test(test_download
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/DownloadTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/DownloadFailureTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/DownloadToFileTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/DownloadTestSupport.h
      ${CMAKE_CURRENT_LIST_DIR}/ServerUrlsTest.cpp
    LIBS norvane_update)
endif()
