# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, so std::thread works through winpthreads):
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORNEL_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORNEL_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORNEL_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${VORNEL_MINGW_HOST}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORNEL_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs run here through Wine (the tests set its prefix themselves).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

