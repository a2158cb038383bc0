# Native tests of src/net: interface rows, addresses, the watcher loop and the elapsed clock.
brisklane_native_test(native_net
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_interface_rows_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_dotted_quad_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_watcher_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_elapsed_clock_test.cpp)
