# The traffic list, the capture engine and the packet-library loader: portable flow table and record walk
# in the core, the Win32 side in the application library.
target_sources(brisklane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/capture_pass.cpp
    ${CMAKE_CURRENT_LIST_DIR}/flow_csv.cpp
    ${CMAKE_CURRENT_LIST_DIR}/flow_order.cpp
    ${CMAKE_CURRENT_LIST_DIR}/flow_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/host_options.cpp
    ${CMAKE_CURRENT_LIST_DIR}/name_resolver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pcap_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/traffic_counters.cpp)
if(BRISKLANE_WINDOWS)
    target_sources(brisklane_app PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/capture_engine.cpp
        ${CMAKE_CURRENT_LIST_DIR}/list_view_view.cpp
        ${CMAKE_CURRENT_LIST_DIR}/packet_library.cpp
        ${CMAKE_CURRENT_LIST_DIR}/traffic_list.cpp)
endif()
