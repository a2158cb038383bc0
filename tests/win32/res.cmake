# Win32 tests of the program's resources, linked into the test program exactly as into the executable.
brisklane_win32_test(res_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/res_resources_test.cpp
    LIBS brisklane_resources version comctl32)
