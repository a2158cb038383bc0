# The generated large capture itself: the same seed writes the same bytes again, every frame is whole, and
# tcpdump reads it with correct checksums. (Its flows against the engine: native_capture_pipeline.)
if(BRISKLANE_CONFIG STREQUAL "native")
    add_test(NAME native_data_large_capture
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/data/generate_large_capture_test.py
                     ${BRISKLANE_LARGE_CAPTURE} ${BRISKLANE_LARGE_CAPTURE_SEED})
    set_tests_properties(native_data_large_capture PROPERTIES TIMEOUT 300 LABELS native)
endif()
