# The skin layer: the portable parser of the skin file in the core, the Win32 part in the application library.
target_sources(brisklane_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/skin_format.cpp)
if(BRISKLANE_WINDOWS)
    target_sources(brisklane_app PRIVATE ${CMAKE_CURRENT_LIST_DIR}/skin.cpp)
endif()
