# The capture log writer against tcpdump's hex and text output on the same capture.
brisklane_benchmark(capture_log_writer_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_log_writer_bench.cpp)
