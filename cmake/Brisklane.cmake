# Compiler settings per configuration and the helper functions that every folder uses to add targets.

set(BRISKLANE_WINDOWS FALSE)
set(BRISKLANE_BUILD_TESTS FALSE)   # GoogleTest and the test programs are built
set(BRISKLANE_WINDOWS_TESTS FALSE) # the Win32 and end-to-end test programs are built
if(BRISKLANE_CONFIG MATCHES "^win(64|32|64-clang)$")
    set(BRISKLANE_WINDOWS TRUE)
    enable_language(RC)
endif()
if(BRISKLANE_CONFIG MATCHES "^(win64|native|win64-clang)$")
    set(BRISKLANE_BUILD_TESTS TRUE)
endif()
if(BRISKLANE_CONFIG MATCHES "^win64(-clang)?$")
    set(BRISKLANE_WINDOWS_TESTS TRUE)
endif()

if(NOT CMAKE_BUILD_TYPE)
    if(BRISKLANE_CONFIG STREQUAL "bench")
        set(CMAKE_BUILD_TYPE Release)
    elseif(BRISKLANE_CONFIG STREQUAL "native" OR BRISKLANE_CONFIG STREQUAL "fuzz")
        set(CMAKE_BUILD_TYPE Debug)
    elseif(BRISKLANE_CONFIG STREQUAL "win64-clang")
        set(CMAKE_BUILD_TYPE None) # what the compiler says does not need its optimiser: the quickest compile
    else()
        set(CMAKE_BUILD_TYPE RelWithDebInfo)
    endif()
endif()

if(BRISKLANE_CONFIG STREQUAL "win64-clang")
    # Compiled only: each link step just marks its program or DLL as made, so that one ninja run compiles every
    # Windows target. (Linking the clang objects against MinGW's GCC runtime is not what this build checks.)
    foreach(_language C CXX)
        set(CMAKE_${_language}_LINK_EXECUTABLE "${CMAKE_COMMAND} -E touch <TARGET>")
        set(CMAKE_${_language}_CREATE_SHARED_LIBRARY "${CMAKE_COMMAND} -E touch <TARGET> <TARGET_IMPLIB>")
        set(CMAKE_${_language}_CREATE_SHARED_MODULE "${CMAKE_COMMAND} -E touch <TARGET>")
    endforeach()
endif()

# GoogleTest from Debian's source package, built by each toolchain before our warning flags apply.
if(BRISKLANE_BUILD_TESTS)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
    if(BRISKLANE_CONFIG STREQUAL "win64")
        # Like the Windows test programs (tests/CMakeLists.txt): built quickly, without optimisation.
        foreach(_gtest_target gtest gtest_main gmock gmock_main)
            target_compile_options(${_gtest_target} PRIVATE -O0 -g0)
        endforeach()
    endif()
endif()
if(BRISKLANE_CONFIG STREQUAL "bench")
    find_package(benchmark REQUIRED)
    # scripts/test.sh runs every program of bin/ as a benchmark.
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
endif()

add_compile_options(-Wall -Wextra -Werror)
if(BRISKLANE_CONFIG STREQUAL "win32")
    # Compiled, linked and shipped stripped, never run or debugged here: no debug information to write, which
    # is a third of the compile time (the code is the same with or without it).
    add_compile_options(-g0)
endif()
if(BRISKLANE_WINDOWS)
    # All executables and DLLs side by side, as they are installed: the program, packet.dll, the capture
    # host, the default skin and the test programs that start them.
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
    # Single-byte text everywhere; Windows 7 level API; static runtime so the program needs no DLL of ours.
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Reproducible programs: no link time in the PE header, and no checkout path in __FILE__ texts.
    add_link_options(-Wl,--no-insert-timestamp)
    add_compile_options(-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=)
elseif(BRISKLANE_CONFIG STREQUAL "native")
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(BRISKLANE_CONFIG STREQUAL "fuzz")
    # scripts/test.sh runs every program of bin/ as a fuzzer.
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# The portable core: plain C++ over plain data, no <windows.h>. Every configuration builds it.
add_library(brisklane_core STATIC)
target_include_directories(brisklane_core PUBLIC "${CMAKE_SOURCE_DIR}/src")
# Narrowing conversions are where parsers of outside data go wrong: the core must spell each one out.
target_compile_options(brisklane_core PRIVATE -Wconversion)

if(BRISKLANE_WINDOWS)
    add_library(brisklane_platform STATIC)
    target_include_directories(brisklane_platform PUBLIC "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(brisklane_platform PUBLIC brisklane_core user32 gdi32 advapi32)
    add_library(brisklane_framework STATIC)
    target_include_directories(brisklane_framework PUBLIC "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(brisklane_framework PUBLIC brisklane_platform brisklane_core user32 gdi32 comctl32
                                                     comdlg32 advapi32 shell32)
    add_library(brisklane_app STATIC)
    target_link_libraries(brisklane_app PUBLIC brisklane_framework brisklane_core ws2_32 iphlpapi wininet
                                               shell32 advapi32 comctl32 gdi32 user32)
endif()

# The large capture of the benchmarks and of the tests that need many flows: written at build time by a
# generator of ours, deterministic from its seed, with its expected flows and totals beside it. Only
# regenerated when the generator changes. BRISKLANE_LARGE_CAPTURE is its one name; tests and benchmarks get
# it as a compile definition, scripts from CMakeCache.txt.
set(BRISKLANE_LARGE_CAPTURE "${CMAKE_BINARY_DIR}/data/pcap/eth-generated-large.pcap" CACHE INTERNAL
    "the generated large capture")
set(BRISKLANE_LARGE_CAPTURE_SEED 1)
if(BRISKLANE_CONFIG MATCHES "^(native|win64|bench)$")
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    get_filename_component(_large_dir "${BRISKLANE_LARGE_CAPTURE}" DIRECTORY)
    get_filename_component(_large_name "${BRISKLANE_LARGE_CAPTURE}" NAME_WLE)
    set(_large_generator "${CMAKE_SOURCE_DIR}/tests/data/generate_large_capture.py")
    add_custom_command(
        OUTPUT "${BRISKLANE_LARGE_CAPTURE}" "${_large_dir}/${_large_name}.flows.csv"
               "${_large_dir}/${_large_name}.totals.txt"
        COMMAND Python3::Interpreter "${_large_generator}" --seed ${BRISKLANE_LARGE_CAPTURE_SEED} --out "${_large_dir}"
                --name "${_large_name}"
        DEPENDS "${_large_generator}"
        COMMENT "Generating the large capture and its expected flows"
        VERBATIM)
    add_custom_target(brisklane_large_capture ALL DEPENDS "${BRISKLANE_LARGE_CAPTURE}")
endif()

# Gives a test or benchmark the test data: the folder of the real captures and the generated large capture.
function(brisklane_use_test_data target)
    target_compile_definitions(${target} PRIVATE BRISKLANE_DATA_DIR="${BRISKLANE_DATA_DIR}"
                                                 BRISKLANE_LARGE_CAPTURE="${BRISKLANE_LARGE_CAPTURE}")
    if(TARGET brisklane_large_capture)
        add_dependencies(${target} brisklane_large_capture)
    endif()
endfunction()

# Time limits of the tests under Wine. Each bounds itself from inside (run_isolated.sh's `timeout` around
# the program, or around the whole script of a shell test), which ends the Wine processes and lets the test
# remove its prefix and display; CTest's own limit comes a minute later and is only for a test that could not
# end itself, since CTest kills without any clean-up.
set(BRISKLANE_WIN32_TEST_SECONDS 240)
set(BRISKLANE_E2E_TEST_SECONDS 600)
set(BRISKLANE_SHELL_TEST_SECONDS 240)
function(brisklane_wine_test_limits name inner_seconds)
    math(EXPR outer "${inner_seconds} + 60")
    set_tests_properties(${name} PROPERTIES TIMEOUT ${outer} ENVIRONMENT "BRISKLANE_TEST_TIMEOUT=${inner_seconds}")
endfunction()

function(brisklane_native_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT BRISKLANE_CONFIG STREQUAL "native")
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE brisklane_core gtest_main gmock ${ARG_LIBS})
    # The builders of capture bytes are shared with the Win32 and end-to-end tests.
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests/support")
    brisklane_use_test_data(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS native)
endfunction()

function(brisklane_win32_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT BRISKLANE_WINDOWS_TESTS)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE brisklane_test_support gtest_main gmock ${ARG_LIBS})
    brisklane_use_test_data(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS win32)
    brisklane_wine_test_limits(${name} ${BRISKLANE_WIN32_TEST_SECONDS})
endfunction()

# A GoogleTest program that starts the built executables and drives them from outside, in a prefix and on a
# display of its own. DEPENDS names the programs it starts besides Brisklane.exe.
function(brisklane_e2e_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
    if(NOT BRISKLANE_WINDOWS_TESTS)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE brisklane_test_support gtest_main ${ARG_LIBS})
    brisklane_use_test_data(${name})
    target_compile_definitions(${name} PRIVATE BRISKLANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_dependencies(${name} Brisklane ${ARG_DEPENDS})
    add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run_isolated.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES LABELS e2e)
    brisklane_wine_test_limits(${name} ${BRISKLANE_E2E_TEST_SECONDS})
endfunction()

function(brisklane_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT BRISKLANE_CONFIG STREQUAL "fuzz")
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE brisklane_core ${ARG_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_compile_definitions(${name} PRIVATE BRISKLANE_DATA_DIR="${BRISKLANE_DATA_DIR}")
endfunction()

function(brisklane_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT BRISKLANE_CONFIG STREQUAL "bench")
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE brisklane_core benchmark::benchmark ${ARG_LIBS})
    brisklane_use_test_data(${name})
endfunction()

# Includes every *.cmake file of a folder, so that each area registers its tests in a file of its own.
macro(brisklane_include_all folder)
    file(GLOB _brisklane_parts CONFIGURE_DEPENDS "${folder}/*.cmake")
    list(SORT _brisklane_parts)
    foreach(_part IN LISTS _brisklane_parts)
        include("${_part}")
    endforeach()
endmacro()
