# Fuzzer of src/app's skin file parser.
brisklane_fuzzer(app_skin_format_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_skin_format_fuzzer.cpp)
