# Native tests of src/capture: settings, service and host names, the log writer, the host's command line,
# and the capture path (record walk, flow table, pcap writer, the pipeline against the reference tables).
brisklane_native_test(native_capture_settings_rules SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_settings_rules_test.cpp)
brisklane_native_test(native_capture_names SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_services_test.cpp
                                                   ${CMAKE_CURRENT_LIST_DIR}/capture_name_cache_test.cpp
                                                   ${CMAKE_CURRENT_LIST_DIR}/capture_name_resolver_test.cpp)
brisklane_native_test(native_capture_log SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_log_format_test.cpp
                                                 ${CMAKE_CURRENT_LIST_DIR}/capture_traffic_log_test.cpp
                                                 ${CMAKE_CURRENT_LIST_DIR}/capture_log_tcpdump_test.cpp)
brisklane_native_test(native_capture_host_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_host_options_test.cpp)
brisklane_native_test(native_capture_record_walk SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_record_walk_test.cpp)
brisklane_native_test(native_capture_flow_table SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_flow_table_test.cpp)
brisklane_native_test(native_capture_pipeline SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_pipeline_test.cpp)
brisklane_uses_pcapng_corpus(native_capture_pipeline)
brisklane_native_test(native_capture_pcap_writer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_pcap_writer_test.cpp)
# The traffic over time: the per-second series against the reference reader, the graph's model, the history.
brisklane_native_test(native_capture_series SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_series_test.cpp
                                                    ${CMAKE_CURRENT_LIST_DIR}/capture_graph_model_test.cpp
                                                    ${CMAKE_CURRENT_LIST_DIR}/capture_flow_history_test.cpp)
brisklane_native_test(native_capture_export SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_export_test.cpp)
