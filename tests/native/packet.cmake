# Native tests of src/packet, the packet library stand-in's portable parts: capture-file reading and replay.
brisklane_native_test(native_packet_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_reader_test.cpp)
brisklane_native_test(native_packet_replay SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_replay_test.cpp)
brisklane_native_test(native_packet_pcapng_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_pcapng_reader_test.cpp)
brisklane_uses_pcapng_corpus(native_packet_pcapng_reader)
