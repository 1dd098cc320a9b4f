# Cross build for 64-bit Windows with Debian's mingw-w64 (package mingw-w64).
#   cmake -S windows -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SPE_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model gives std::thread and std::mutex, as the MinGW builds of Qt use.
find_program(CMAKE_C_COMPILER NAMES ${SPE_MINGW_PREFIX}-gcc-posix ${SPE_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${SPE_MINGW_PREFIX}-g++-posix ${SPE_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${SPE_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${SPE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs are run with Wine here: ctest and add_custom_command put it in front of them.
find_program(SPE_WINE NAMES wine64 wine)
if(SPE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SPE_WINE})
endif()
