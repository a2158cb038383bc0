# End-to-end tests of the preferences, statistics, acceleration, launchers and About box, with a recording
# stand-in for the programs that Brisklane starts.
if(BRISKLANE_WINDOWS_TESTS)
    add_executable(net_recorder ${CMAKE_CURRENT_LIST_DIR}/net_recorder.cpp)
    target_link_libraries(net_recorder PRIVATE brisklane_platform)
endif()
brisklane_e2e_test(e2e_prefs SOURCES ${CMAKE_CURRENT_LIST_DIR}/prefs_e2e_test.cpp)
brisklane_e2e_test(e2e_net SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_e2e_test.cpp LIBS ws2_32 iphlpapi wininet)
brisklane_e2e_test(e2e_net_launchers SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_launchers_e2e_test.cpp DEPENDS net_recorder)
