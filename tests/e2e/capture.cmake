# End-to-end tests of the capture host: the console against the reference tables, and the window.
if(BRISKLANE_CONFIG STREQUAL "win64")
    foreach(name oracle window)
        brisklane_e2e_test(e2e_capture_${name}
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_${name}_e2e_test.cpp
                    ${CMAKE_CURRENT_LIST_DIR}/capture_e2e_support.cpp
            DEPENDS BrisklaneCapture packet)
        target_include_directories(e2e_capture_${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
    endforeach()
endif()
