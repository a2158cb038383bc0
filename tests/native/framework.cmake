# Native tests of src/framework's portable pieces.
brisklane_native_test(native_framework SOURCES ${CMAKE_CURRENT_LIST_DIR}/framework_dialog_init_data_test.cpp)
