# What both Windows cross builds share. The including toolchain file sets
# CMAKE_SYSTEM_PROCESSOR and pagora_mingw_triple first.
#
# The posix-thread compilers: the default win32 thread model has no
# std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${pagora_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${pagora_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${pagora_mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${pagora_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages only from the cross root: the host's own GoogleTest package is
# built for Linux and must not be found here.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run under the Wine loader that runs on this host: /usr/bin/wine
# picks the 32-bit loader whenever it is installed, runnable or not.
get_filename_component(pagora_wine ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${pagora_wine})
