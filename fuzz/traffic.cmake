# Fuzzers of the capture path: the record walk into the flow table, and the stand-in's capture-file reading.
brisklane_fuzzer(traffic_walk SOURCES ${CMAKE_CURRENT_LIST_DIR}/traffic_walk.cpp)
brisklane_fuzzer(traffic_pcap_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/traffic_pcap_reader.cpp)
