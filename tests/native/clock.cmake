brisklane_native_test(native_clock SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_elapsed_clock_test.cpp)
