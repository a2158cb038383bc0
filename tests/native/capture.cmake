# Capture settings, service and host names, and the traffic log writer.
brisklane_native_test(capture_settings_rules SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_settings_rules_test.cpp)
brisklane_native_test(capture_names SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_services_test.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/capture_name_cache_test.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/capture_name_resolver_test.cpp)
brisklane_native_test(capture_log SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_log_format_test.cpp
                                          ${CMAKE_CURRENT_LIST_DIR}/capture_traffic_log_test.cpp
                                          ${CMAKE_CURRENT_LIST_DIR}/capture_log_tcpdump_test.cpp)
# The capture host's command line.
brisklane_native_test(capture_host_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_host_options_test.cpp)
