# Cross-compiling for 64-bit Windows with MinGW-w64 (Debian packages
# g++-mingw-w64-x86-64-win32 and binutils-mingw-w64-x86-64).
# x86_64 floating point is SSE2 by definition; nothing to choose here.
# Executables and DLLs link libgcc and libstdc++ statically, with no time
# stamp in the PE header so that a build is reproducible.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VRASTEX_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)


# Test programs built here run under Wine (Debian's wine64 package; its
# launcher is "wine").
find_program(VRASTEX_WINE NAMES wine wine64)
if(VRASTEX_WINE AND NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VRASTEX_WINE})
endif()
