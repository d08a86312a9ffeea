# The update run's rules against scripted seams.
if(NORVANE_TESTS)
  norvane_add_test(test_updaterun SOURCES ${CMAKE_CURRENT_LIST_DIR}/UpdateRunTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StagedUpdateTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StickFileSystemsTest.cpp LIBS norvane_update)
endif()
