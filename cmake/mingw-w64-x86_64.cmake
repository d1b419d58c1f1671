# Cross-compiles for 64-bit Windows with Debian's mingw-w64 compilers (the
# posix thread model, so std::thread and friends work). Use with
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SC_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SC_MINGW_PREFIX}-windres)

# Libraries and headers come from the mingw-w64 tree only, and from the folder
# SC_WINDOWS_DEPS where one is given (libraries built for Windows with this
# same toolchain: scripts/windows_deps.sh); programs (cmake's helpers, wine)
# from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${SC_MINGW_PREFIX} ${SC_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows programs under wine when it is installed.
find_program(SC_WINE wine)
if(SC_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SC_WINE})
endif()
