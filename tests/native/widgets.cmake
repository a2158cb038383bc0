# Native tests of src/widgets' portable rules.
brisklane_native_test(native_widgets SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets_tray_state_test.cpp
                                             ${CMAKE_CURRENT_LIST_DIR}/widgets_tray_rules_test.cpp)
