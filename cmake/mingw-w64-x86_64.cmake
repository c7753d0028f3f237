# Cross-building the Windows (x64) program on Linux with MinGW-w64:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The posix-threads variant of the compilers is used throughout; the C and
# C++ runtimes are linked statically (see the top-level CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALVOX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALVOX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVOX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TALVOX_MINGW_PREFIX}-windres)

# Libraries and headers come from the MinGW-w64 sysroot only; programs
# (tools run during the build) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TALVOX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
