# The 64-bit release zip unpacked into a fresh prefix, both programs started from there. Not a CTest test:
# the zip is written after the tests, so scripts/test.sh runs tests/e2e/release_zip_test.sh with it.
if(BRISKLANE_WINDOWS_TESTS)
    add_executable(e2e_release_zip ${CMAKE_CURRENT_LIST_DIR}/release_zip_e2e_test.cpp)
    target_link_libraries(e2e_release_zip PRIVATE brisklane_test_support gtest_main)
    brisklane_use_test_data(e2e_release_zip)
endif()
