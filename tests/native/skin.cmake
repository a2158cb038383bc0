# Native tests of the skin file parser and the gradient arithmetic.
brisklane_native_test(skin_native_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_skin_format_test.cpp)
if(TARGET skin_native_tests)
    target_compile_definitions(skin_native_tests PRIVATE BRISKLANE_SKIN_FILE="${CMAKE_SOURCE_DIR}/src/res/skin.smf")
endif()
