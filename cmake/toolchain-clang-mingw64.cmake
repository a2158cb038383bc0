# Second compiler: clang 16 for 64-bit Windows (x86_64-w64-windows-gnu), against the MinGW-w64 headers and
# the C++ library headers of MinGW's GCC (posix threads, as the GCC build). Used only to compile every
# Windows target with the project's warnings; cmake/Brisklane.cmake makes the link steps mark their target
# as made without linking, so the compiler checks below build a static library instead of a program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR /usr/bin/x86_64-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/x86_64-w64-mingw32-ranlib CACHE FILEPATH "")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# clang finds the MinGW-w64 C headers itself, but not GCC's C++ library, which lives with the GCC version.
file(GLOB _mingw_gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
list(SORT _mingw_gcc_dirs)
list(POP_BACK _mingw_gcc_dirs _mingw_gcc)
if(NOT _mingw_gcc)
    message(FATAL_ERROR "no MinGW-w64 GCC (posix threads) under /usr/lib/gcc/x86_64-w64-mingw32")
endif()
set(_cxx "${_mingw_gcc}/include/c++")
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem ${_cxx} -isystem ${_cxx}/x86_64-w64-mingw32 -isystem ${_cxx}/backward")
