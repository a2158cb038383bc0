# Native tests of the network, statistics and preference rules.
brisklane_native_test(net_native_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_preference_values_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_interface_rows_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_dotted_quad_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/net_watcher_test.cpp)
