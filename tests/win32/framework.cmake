# Win32 tests of the window framework (run under Wine). They need the framework alone, so they link it
# rather than the whole application library.
if(BRISKLANE_CONFIG STREQUAL "win64")
    add_executable(framework_test
        ${CMAKE_CURRENT_LIST_DIR}/framework_message_map_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_dialog_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_cmd_ui_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_controls_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_seams_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_test_app.cpp
        ${CMAKE_CURRENT_LIST_DIR}/framework_test.rc)
    target_include_directories(framework_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(framework_test PRIVATE brisklane_framework gtest_main gmock)
    add_test(NAME framework_test COMMAND framework_test)
    set_tests_properties(framework_test PROPERTIES TIMEOUT 300 LABELS win32)
endif()
