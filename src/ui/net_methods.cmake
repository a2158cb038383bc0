# The main dialog's preference, launcher and About methods, and their portable value rules.
target_sources(brisklane_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/preference_values.cpp)
if(BRISKLANE_WINDOWS)
    target_sources(brisklane_app PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/registry_key.cpp
        ${CMAKE_CURRENT_LIST_DIR}/preferences.cpp
        ${CMAKE_CURRENT_LIST_DIR}/launchers.cpp
        ${CMAKE_CURRENT_LIST_DIR}/about_dlg.cpp)
endif()
