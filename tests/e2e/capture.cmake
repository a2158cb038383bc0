# End-to-end tests of the capture host: the console against the reference tables, the window, and bad input.
foreach(name oracle window bad_input series)
    brisklane_e2e_test(e2e_capture_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_${name}_e2e_test.cpp
                       DEPENDS BrisklaneCapture packet)
endforeach()
brisklane_uses_pcapng_corpus(e2e_capture_oracle)
brisklane_uses_pcapng_corpus(e2e_capture_bad_input)

# Shell-driven end to end: the console mode with no display at all (a file, and a FIFO written in pieces),
# and live traffic on a veth pair between two namespaces through scripts/live.sh (skipped, and saying why,
# where namespaces cannot be created).
if(BRISKLANE_WINDOWS_TESTS)
    # Each script is ended from inside its time limit (its clean-up trap then runs), before CTest's own.
    add_test(NAME e2e_console_headless
             COMMAND timeout --kill-after=10 ${BRISKLANE_SHELL_TEST_SECONDS}
                     bash ${CMAKE_CURRENT_LIST_DIR}/console_headless_e2e.sh $<TARGET_FILE_DIR:BrisklaneCapture>
                     ${BRISKLANE_DATA_DIR})
    add_test(NAME e2e_live_netns
             COMMAND timeout --kill-after=10 ${BRISKLANE_SHELL_TEST_SECONDS}
                     bash ${CMAKE_CURRENT_LIST_DIR}/live_netns_e2e.sh $<TARGET_FILE_DIR:BrisklaneCapture>
                     ${CMAKE_SOURCE_DIR} ${BRISKLANE_DATA_DIR})
    foreach(test e2e_console_headless e2e_live_netns)
        set_tests_properties(${test} PROPERTIES LABELS e2e)
        brisklane_wine_test_limits(${test} ${BRISKLANE_SHELL_TEST_SECONDS})
    endforeach()
    set_tests_properties(e2e_live_netns PROPERTIES SKIP_RETURN_CODE 77)
    # The console's flow export read back by nfcapd and nfdump (skipped, and saying why, without them).
    add_test(NAME e2e_console_ipfix
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/console_ipfix_e2e.sh $<TARGET_FILE_DIR:BrisklaneCapture>
                     ${BRISKLANE_DATA_DIR})
    set_tests_properties(e2e_console_ipfix PROPERTIES TIMEOUT 300 LABELS e2e SKIP_RETURN_CODE 77)
endif()

# The window's export of flows to a collector, which the test itself plays on a loopback port.
brisklane_e2e_test(e2e_capture_export_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_export_window_e2e_test.cpp
                   DEPENDS BrisklaneCapture packet)
