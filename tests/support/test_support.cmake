# The one test-support library of the Win32 and end-to-end tests: the in-process dialog runner, recorded
# message boxes, the registry, files and temporary folders, the process's figures, whether a control shows
# its whole text, the end-to-end harness that drives the programs from outside, the capture host's runs and
# the main dialog's layout. Every Win32 and end-to-end test program links it.
if(BRISKLANE_WINDOWS_TESTS)
    add_library(brisklane_test_support STATIC
        ${CMAKE_CURRENT_LIST_DIR}/capture_host.cpp
        ${CMAKE_CURRENT_LIST_DIR}/dialog_runner.cpp
        ${CMAKE_CURRENT_LIST_DIR}/e2e_harness.cpp
        ${CMAKE_CURRENT_LIST_DIR}/files.cpp
        ${CMAKE_CURRENT_LIST_DIR}/loopback.cpp
        ${CMAKE_CURRENT_LIST_DIR}/message_boxes.cpp
        ${CMAKE_CURRENT_LIST_DIR}/process_figures.cpp
        ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
        ${CMAKE_CURRENT_LIST_DIR}/text_fit.cpp)
    target_include_directories(brisklane_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    brisklane_use_test_data(brisklane_test_support)
    target_link_libraries(brisklane_test_support PUBLIC brisklane_app brisklane_lookout brisklane_core gtest gmock
                                                        ws2_32 psapi advapi32 user32 gdi32)
endif()
