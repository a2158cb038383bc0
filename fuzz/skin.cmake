# Fuzzer of the skin file parser.
brisklane_fuzzer(skin_format_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_format_fuzzer.cpp)
