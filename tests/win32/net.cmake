# Win32 tests of the network utilities, the acceleration run, and the main dialog's preferences,
# statistics, acceleration and launchers, under Wine.
brisklane_win32_test(net_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_ip_utils_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_acceleration_run_test.cpp)

# The main dialog runs in this process, with the program's own resources.
brisklane_win32_test(net_dialog_win32_tests
    SOURCES ${CMAKE_SOURCE_DIR}/tests/support/dialog_runner.cpp
            ${CMAKE_SOURCE_DIR}/tests/support/process_figures.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ui_preferences_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_statistics_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_acceleration_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ui_launchers_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ui_look_test.cpp
    LIBS brisklane_resources psapi)
# Each in-process run of the main dialog takes a few seconds under Wine.
if(TARGET net_dialog_win32_tests)
    set_tests_properties(net_dialog_win32_tests PROPERTIES TIMEOUT 600)
endif()

# The library is looked up once per process, so its absence is tested in a program of its own.
brisklane_win32_test(net_iphlpapi_missing_test
    SOURCES ${CMAKE_SOURCE_DIR}/tests/support/dialog_runner.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_iphlpapi_missing_test.cpp
    LIBS brisklane_resources)
