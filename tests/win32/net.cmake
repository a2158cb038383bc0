# Win32 tests of src/net under Wine: the address utilities, the acceleration run, and the main dialog's
# statistics and acceleration switch, the dialog running in this process with the program's resources.
brisklane_win32_test(win32_net
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_ip_utils_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_acceleration_run_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_statistics_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_acceleration_test.cpp
    LIBS brisklane_resources)

# The library is looked up once per process, so its absence is tested in a program of its own.
brisklane_win32_test(win32_net_iphlpapi_missing SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_iphlpapi_missing_test.cpp
                     LIBS brisklane_resources)
