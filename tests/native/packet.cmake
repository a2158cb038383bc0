# Native tests of the packet library stand-in's portable parts: capture-file reading and replay.
brisklane_native_test(packet_reader_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_reader_test.cpp)
brisklane_native_test(packet_replay_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_replay_test.cpp)
