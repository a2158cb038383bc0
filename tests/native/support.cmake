# Native tests of tests/support's portable parts: how the leak and soak tests judge the process's figures.
brisklane_native_test(native_support SOURCES ${CMAKE_CURRENT_LIST_DIR}/support_process_figures_test.cpp)
