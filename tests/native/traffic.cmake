# Native tests of the traffic list's portable core: the record walk, the flow table, the pipeline against
# the reference tables of the shared captures.
brisklane_native_test(traffic_walk_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_record_walk_test.cpp)
brisklane_native_test(traffic_flow_table_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_flow_table_test.cpp)
brisklane_native_test(traffic_pipeline_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_pipeline_test.cpp)
brisklane_native_test(traffic_pcap_writer_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_pcap_writer_test.cpp)
