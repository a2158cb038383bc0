# The soak program: long runs of the capture host's window, the acceleration switch and the statistics
# tick, with the process's figures before and after. scripts/test.sh runs it on its own, not through ctest,
# so that its figures show in the output.
if(BRISKLANE_CONFIG STREQUAL "win64")
    add_executable(soak_win32
        ${CMAKE_CURRENT_LIST_DIR}/soak_test.cpp
        ${CMAKE_SOURCE_DIR}/tests/support/dialog_runner.cpp
        ${CMAKE_SOURCE_DIR}/tests/support/process_figures.cpp
        ${CMAKE_CURRENT_LIST_DIR}/capture_globals.cpp
        ${CMAKE_SOURCE_DIR}/src/capture/host/capture_window.cpp)
    target_link_libraries(soak_win32 PRIVATE brisklane_app brisklane_resources gtest_main gmock psapi)
    target_include_directories(soak_win32 PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    target_compile_definitions(soak_win32 PRIVATE BRISKLANE_DATA_DIR="${BRISKLANE_DATA_DIR}")
    # The capture window loads the stand-in from beside the program.
    add_dependencies(soak_win32 packet)
endif()
