# The traffic list, the capture engine and the packet.dll stand-in under Wine.
brisklane_win32_test(traffic_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_engine_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/capture_globals.cpp
            ${CMAKE_CURRENT_LIST_DIR}/packet_standin_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/traffic_win32_support.cpp)
if(TARGET traffic_win32_tests)
    # The stand-in is loaded from beside the test program.
    add_dependencies(traffic_win32_tests packet)
endif()
