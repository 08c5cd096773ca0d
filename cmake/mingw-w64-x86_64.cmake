# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model) against the
# static libraries that scripts/build-windows-deps puts in its cache prefix. The prefix comes
# from -DZELVARO_WINDOWS_PREFIX=... or the environment variable of the same name; the script
# prints it:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DZELVARO_WINDOWS_PREFIX="$(scripts/build-windows-deps)" ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingwTriplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingwTriplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingwTriplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingwTriplet}-windres)

if(NOT ZELVARO_WINDOWS_PREFIX AND DEFINED ENV{ZELVARO_WINDOWS_PREFIX})
  set(ZELVARO_WINDOWS_PREFIX "$ENV{ZELVARO_WINDOWS_PREFIX}")
endif()
if(NOT ZELVARO_WINDOWS_PREFIX OR NOT EXISTS "${ZELVARO_WINDOWS_PREFIX}/lib")
  message(FATAL_ERROR "ZELVARO_WINDOWS_PREFIX must name the library prefix that "
    "scripts/build-windows-deps prints (got '${ZELVARO_WINDOWS_PREFIX}').")
endif()
set(ZELVARO_WINDOWS_PREFIX "${ZELVARO_WINDOWS_PREFIX}" CACHE PATH "Cross-built Windows libraries")
# try_compile projects re-read this file: hand the prefix on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZELVARO_WINDOWS_PREFIX)

# Libraries and headers only from the prefix and the compiler's own sysroot; programs from the host.
set(CMAKE_FIND_ROOT_PATH "${ZELVARO_WINDOWS_PREFIX}" /usr/${mingwTriplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The prefix holds static libraries only; its pkg-config answers for static linking and its
# wx-config is the MSW one, not the host's GTK one.
set(PKG_CONFIG_EXECUTABLE "${ZELVARO_WINDOWS_PREFIX}/bin/pkg-config" CACHE FILEPATH "")
set(wxWidgets_CONFIG_EXECUTABLE "${ZELVARO_WINDOWS_PREFIX}/bin/wx-config" CACHE FILEPATH "")

# Only the program, its engine and the sky archive get copied: link the C, C++ and thread
# runtimes into them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
