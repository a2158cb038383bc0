# Win32 tests of src/res, the program's resources linked into the test program exactly as into the executable.
brisklane_win32_test(win32_res SOURCES ${CMAKE_CURRENT_LIST_DIR}/res_resources_test.cpp
                     LIBS brisklane_resources version comctl32)
