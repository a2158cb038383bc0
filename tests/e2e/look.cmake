# End to end in Wine's own visual style, which every other test's prefix turns off: the main window shows
# its controls whole, and the capture window replays a capture and lists its flows.
brisklane_e2e_test(e2e_look_themed SOURCES ${CMAKE_CURRENT_LIST_DIR}/look_themed_e2e_test.cpp
                   DEPENDS BrisklaneCapture packet)
