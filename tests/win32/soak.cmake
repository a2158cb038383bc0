# The soak program: long runs of the capture host's window, the acceleration switch and the statistics
# tick, with the process's figures before and after. scripts/test.sh runs it on its own, not through ctest,
# so that its figures show in the output.
if(BRISKLANE_WINDOWS_TESTS)
    add_executable(win32_soak
        ${CMAKE_CURRENT_LIST_DIR}/soak_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/capture_globals.cpp
        ${CMAKE_SOURCE_DIR}/src/capture/host/capture_window.cpp)
    target_link_libraries(win32_soak PRIVATE brisklane_test_support brisklane_resources gtest_main gmock)
    brisklane_use_test_data(win32_soak)
    # The capture window loads the stand-in from beside the program.
    add_dependencies(win32_soak packet)
endif()
