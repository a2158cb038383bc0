# The one test-support library of the Win32 and end-to-end tests: the in-process dialog runner, recorded
# message boxes, the registry, files and temporary folders, the process's figures, whether a control shows
# its whole text, the end-to-end harness that drives the programs from outside, the capture host's runs,
# the main dialog's layout and its template. Every Win32 and end-to-end test program links it.

# Where the real captures converted to pcapng go (see the fixture below).
set(BRISKLANE_PCAPNG_DIR "${CMAKE_BINARY_DIR}/pcapng-corpus")
if(BRISKLANE_WINDOWS_TESTS)
    add_library(brisklane_test_support STATIC
        ${CMAKE_CURRENT_LIST_DIR}/capture_host.cpp
        ${CMAKE_CURRENT_LIST_DIR}/dialog_runner.cpp
        ${CMAKE_CURRENT_LIST_DIR}/e2e_harness.cpp
        ${CMAKE_CURRENT_LIST_DIR}/files.cpp
        ${CMAKE_CURRENT_LIST_DIR}/loopback.cpp
        ${CMAKE_CURRENT_LIST_DIR}/main_dialog_template.cpp
        ${CMAKE_CURRENT_LIST_DIR}/message_boxes.cpp
        ${CMAKE_CURRENT_LIST_DIR}/process_figures.cpp
        ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
        ${CMAKE_CURRENT_LIST_DIR}/text_fit.cpp)
    target_include_directories(brisklane_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    brisklane_use_test_data(brisklane_test_support)
    target_compile_definitions(brisklane_test_support PRIVATE BRISKLANE_PCAPNG_DIR="${BRISKLANE_PCAPNG_DIR}")
    target_link_libraries(brisklane_test_support PUBLIC brisklane_app brisklane_lookout brisklane_core gtest gmock
                                                        ws2_32 psapi advapi32 user32 gdi32)
endif()

# The real captures in pcapng form, converted by editcap when the tests run, into the build folder (never
# into the data folder): a fixture that the tests of the pcapng reading require.
if(BRISKLANE_CONFIG STREQUAL "native" OR BRISKLANE_CONFIG STREQUAL "win64")
    add_test(NAME pcapng_corpus COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/pcapng_corpus.sh ${BRISKLANE_DATA_DIR}
                                        ${BRISKLANE_PCAPNG_DIR})
    set_tests_properties(pcapng_corpus PROPERTIES FIXTURES_SETUP pcapng_corpus TIMEOUT 120)
endif()
# Gives a test program the converted captures: their folder as BRISKLANE_PCAPNG_DIR, filled before it runs.
function(brisklane_uses_pcapng_corpus name)
    if(TARGET ${name})
        target_compile_definitions(${name} PRIVATE BRISKLANE_PCAPNG_DIR="${BRISKLANE_PCAPNG_DIR}")
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED pcapng_corpus)
    endif()
endfunction()
