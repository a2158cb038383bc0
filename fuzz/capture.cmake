# Fuzzers of src/capture: the settings rules, the services file, the log writer, and the record walk into
# the flow table.
brisklane_fuzzer(capture_services_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_services_fuzzer.cpp)
brisklane_fuzzer(capture_log_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_log_fuzzer.cpp)
brisklane_fuzzer(capture_settings_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_settings_fuzzer.cpp)
brisklane_fuzzer(capture_record_walk_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_record_walk_fuzzer.cpp)
