# Fuzzers of the capture settings rules, the services file and the log writer.
brisklane_fuzzer(capture_services_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_services_fuzzer.cpp)
brisklane_fuzzer(capture_log_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_log_fuzzer.cpp)
brisklane_fuzzer(capture_settings_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_settings_fuzzer.cpp)
