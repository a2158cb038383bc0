# Benchmarks of src/capture. The log writer against tcpdump's hex and text output on the same capture.
brisklane_benchmark(capture_log_writer_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_log_writer_bench.cpp)
# The capture path against tcpdump natively, and the whole program path under Wine against the native one.
brisklane_benchmark(capture_pipeline_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_pipeline_bench.cpp)
if(BRISKLANE_CONFIG STREQUAL "bench")
    # Beside the benchmark programs, so that it runs with them; it finds the Windows build next to this one.
    configure_file(${CMAKE_CURRENT_LIST_DIR}/capture_wine_ratio.sh ${CMAKE_BINARY_DIR}/bin/capture_wine_ratio.sh
                   COPYONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                             WORLD_READ WORLD_EXECUTE)
    # The console's flow export to nfcapd under Wine, against softflowd on the same file.
    configure_file(${CMAKE_CURRENT_LIST_DIR}/capture_ipfix_export.sh ${CMAKE_BINARY_DIR}/bin/capture_ipfix_export.sh
                   COPYONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                             WORLD_READ WORLD_EXECUTE)
endif()
# The flow table's memory per flow, its peak on a million flows, and idle removal on a paced replay.
brisklane_benchmark(capture_flow_memory_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_flow_memory_bench.cpp)
# Live capture on a veth pair between two namespaces it makes: tcpdump alone against scripts/live.sh
# --console, both with the same settings, on 200,000 datagrams sent as fast as one core sends them. The
# sender is kept out of bin/, whose programs scripts/test.sh runs as benchmarks.
if(BRISKLANE_CONFIG STREQUAL "bench")
    add_executable(udp_flood ${CMAKE_CURRENT_LIST_DIR}/udp_flood.cpp)
    set_target_properties(udp_flood PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/helpers)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/capture_live_drops.sh ${CMAKE_BINARY_DIR}/bin/capture_live_drops.sh
                   COPYONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                             WORLD_READ WORLD_EXECUTE)
endif()
