# Win32 tests of src/app's skin layer; the About box template of the program's resources is their dialog.
brisklane_win32_test(win32_app_skin SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_skin_test.cpp LIBS brisklane_resources)
