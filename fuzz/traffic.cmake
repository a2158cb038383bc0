# Fuzzers of the capture path: the record walk into the flow table, and the stand-in's capture-file reading.
brisklane_fuzzer(capture_record_walk_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_record_walk_fuzzer.cpp)
brisklane_fuzzer(packet_pcap_reader_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_pcap_reader_fuzzer.cpp)
