# Capture settings, names and the log writer on the platform, under Wine.
brisklane_win32_test(capture_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_settings_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/capture_log_test.cpp)
if(BRISKLANE_CONFIG STREQUAL "win64")
    # Holds the process-wide settings and log, so that a test can see what its exit saves.
    add_executable(capture_log_exit_probe ${CMAKE_CURRENT_LIST_DIR}/capture_log_exit_probe.cpp)
    target_link_libraries(capture_log_exit_probe PRIVATE brisklane_app)
    add_dependencies(capture_win32_tests capture_log_exit_probe)
endif()
