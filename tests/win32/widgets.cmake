# Win32 tests of src/widgets under Wine: the tray icon against the real shell, the tooltip button, the
# transparent label. The test program carries resources of its own (a tray menu, icons, strings).
if(BRISKLANE_WINDOWS_TESTS)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set(_widgets_test_dir "${CMAKE_CURRENT_BINARY_DIR}/widgets")
    add_custom_command(
        OUTPUT "${_widgets_test_dir}/widgets_test.ico"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${_widgets_test_dir}"
        COMMAND Python3::Interpreter "${CMAKE_SOURCE_DIR}/src/res/brisklane_icon.py"
                "${_widgets_test_dir}/widgets_test.ico"
        DEPENDS "${CMAKE_SOURCE_DIR}/src/res/brisklane_icon.py"
        COMMENT "Drawing the widgets tests' icon"
        VERBATIM)
    set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/widgets_test.rc PROPERTIES OBJECT_DEPENDS
        "${_widgets_test_dir}/widgets_test.ico;${CMAKE_CURRENT_LIST_DIR}/widgets_test_resources.h")
endif()
brisklane_win32_test(win32_widgets SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/widgets_system_tray_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/widgets_button_st_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/widgets_transparent_static_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/widgets_win32_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/widgets_test.rc)
if(TARGET win32_widgets)
    target_include_directories(win32_widgets PRIVATE ${CMAKE_CURRENT_LIST_DIR} "${_widgets_test_dir}")
endif()
