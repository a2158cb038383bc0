# Win32 tests of the skin layer; the About box template of the program's resources is their test dialog.
brisklane_win32_test(skin_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_skin_test.cpp
    LIBS brisklane_resources)
