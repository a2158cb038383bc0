# The main dialog run in-process under Wine: its menus, lists and handlers, which other processes can't read.
brisklane_win32_test(dialog_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_main_dialog_test.cpp LIBS brisklane_resources)
