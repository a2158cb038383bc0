# Win32 tests of src/ui under Wine: the main dialog run in this process with the program's resources (its
# menus, lists and handlers, which other processes can't read), its stored preferences, its launchers and
# the About box, and how every text fits.
brisklane_win32_test(win32_ui
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_main_dialog_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ui_preferences_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ui_launchers_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ui_look_test.cpp
    LIBS brisklane_resources)
