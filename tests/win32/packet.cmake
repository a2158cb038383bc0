# Win32 tests of src/packet: the packet.dll stand-in as a caller loads and uses it under Wine.
brisklane_win32_test(win32_packet_standin SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_standin_test.cpp)
if(TARGET win32_packet_standin)
    add_dependencies(win32_packet_standin packet)
endif()
