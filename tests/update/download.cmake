# HTTP download, server addresses, the file store and the stick's messages.
if(NORVANE_TESTS)
  norvane_add_test(test_download
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/DownloadTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/DownloadFailureTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/DownloadToFileTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/DownloadTestSupport.h
      ${CMAKE_CURRENT_LIST_DIR}/ServerUrlsTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/StickMessagesTest.cpp
    LIBS norvane_update)
endif()
