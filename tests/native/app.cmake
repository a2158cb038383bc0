# Native tests of src/app: the skin file parser and the gradient arithmetic.
brisklane_native_test(native_app_skin_format SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_skin_format_test.cpp)
if(TARGET native_app_skin_format)
    target_compile_definitions(native_app_skin_format PRIVATE
                               BRISKLANE_SKIN_FILE="${CMAKE_SOURCE_DIR}/src/res/skin.smf")
endif()
