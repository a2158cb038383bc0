# Native tests of src/ui: the rules of the stored preference values.
brisklane_native_test(native_ui_preference_values SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_preference_values_test.cpp)
