# Win32 tests of src/framework (run under Wine). They need the framework alone, so they link it
# rather than the whole application library.
if(BRISKLANE_WINDOWS_TESTS)
    add_executable(win32_framework
        ${CMAKE_CURRENT_LIST_DIR}/framework_message_map_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_dialog_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_cmd_ui_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_controls_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_seams_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_test_app.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_test.rc)
    target_include_directories(win32_framework PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(win32_framework PRIVATE brisklane_framework gtest_main gmock)
    add_test(NAME win32_framework COMMAND win32_framework)
    set_tests_properties(win32_framework PROPERTIES LABELS win32)
    brisklane_wine_test_limits(win32_framework ${BRISKLANE_WIN32_TEST_SECONDS})
endif()
