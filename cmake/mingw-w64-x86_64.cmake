# Cross build for 64-bit Windows with Debian's mingw-w64, threads of the
# posix variant, every library linked in so that the programs need no DLL:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The tests run under Wine through the emulator setting.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEL_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEL_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
