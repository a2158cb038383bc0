# The end-to-end harness and brisklane_e2e_test(): GoogleTest programs that start the real executables
# under Wine, each test program in a fresh prefix. Sorted first so that every other file here can use it.
if(BRISKLANE_CONFIG STREQUAL "win64")
    add_library(brisklane_e2e_harness STATIC ${CMAKE_SOURCE_DIR}/tests/support/e2e_harness.cpp)
    target_link_libraries(brisklane_e2e_harness PUBLIC brisklane_lookout advapi32 user32 gdi32)
    target_include_directories(brisklane_e2e_harness PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)

    # brisklane_e2e_test(NAME SOURCES ...): a GoogleTest program that drives the built executables.
    function(brisklane_e2e_test name)
        cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
        add_executable(${name} ${ARG_SOURCES})
        target_link_libraries(${name} PRIVATE brisklane_e2e_harness gtest_main ${ARG_LIBS})
        target_compile_definitions(${name} PRIVATE BRISKLANE_DATA_DIR="${BRISKLANE_DATA_DIR}"
                                                   BRISKLANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
        if(TARGET Brisklane)
            add_dependencies(${name} Brisklane)
        endif()
        foreach(dep IN LISTS ARG_DEPENDS)
            if(TARGET ${dep})
                add_dependencies(${name} ${dep})
            endif()
        endforeach()
        add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run_isolated.sh $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES TIMEOUT 900 LABELS e2e)
    endfunction()

endif()
