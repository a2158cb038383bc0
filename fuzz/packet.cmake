# Fuzzer of src/packet: the stand-in's capture-file reading.
brisklane_fuzzer(packet_pcap_reader_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_pcap_reader_fuzzer.cpp)
