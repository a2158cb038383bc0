# Win32 tests of src/capture under Wine: the settings, names and log writer on the platform; and the capture
# engine with a real list view, its process-wide objects held by capture_globals.cpp.
brisklane_win32_test(win32_capture
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_settings_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/capture_log_test.cpp)
if(BRISKLANE_WINDOWS_TESTS)
    # Holds the process-wide settings and log, so that a test can see what its exit saves.
    add_executable(capture_log_exit_probe ${CMAKE_CURRENT_LIST_DIR}/capture_log_exit_probe.cpp)
    target_link_libraries(capture_log_exit_probe PRIVATE brisklane_app)
    add_dependencies(win32_capture capture_log_exit_probe)
endif()

brisklane_win32_test(win32_capture_engine
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_engine_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/capture_window_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/capture_globals.cpp
            ${CMAKE_SOURCE_DIR}/src/capture/host/capture_window.cpp)
if(TARGET win32_capture_engine)
    # The stand-in is loaded from beside the test program.
    add_dependencies(win32_capture_engine packet)
endif()

# The capture window's traffic graph, painted in process, and the menu items that go with it in the window.
brisklane_win32_test(win32_capture_graph
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_graph_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/capture_globals.cpp
            ${CMAKE_SOURCE_DIR}/src/capture/host/capture_window.cpp)
if(TARGET win32_capture_graph)
    add_dependencies(win32_capture_graph packet)
endif()
