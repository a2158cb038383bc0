# End-to-end tests of the main window.
brisklane_e2e_test(e2e_main_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_window_e2e_test.cpp)
