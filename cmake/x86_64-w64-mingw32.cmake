# Cross build for 64-bit Windows: the same tree, so that the tests also run
# on hosts that run no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(pagora_mingw_triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-posix.cmake)
