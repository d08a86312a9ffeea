# The update run's rules against scripted seams.
if(NORVANE_TESTS)
  norvane_add_test(test_updaterun SOURCES ${CMAKE_CURRENT_LIST_DIR}/UpdateRunTest.cpp LIBS norvane_update)
endif()
