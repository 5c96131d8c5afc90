# Cross-compiling for 32-bit Windows with MinGW-w64 (Debian packages
# g++-mingw-w64-i686-win32 and binutils-mingw-w64-i686).
#
# The plug-in targets the P6 instruction set with x87 arithmetic and no
# MMX/SSE at all: every object of the build, the stand-in included, gets
# -march=i686 -mfpmath=387 -mno-sse. Executables and DLLs link libgcc and
# libstdc++ statically so nothing beyond system DLLs is needed beside them,
# with no time stamp in the PE header so that a build is reproducible.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VRASTEX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_C_FLAGS_INIT "-march=i686 -mtune=generic -mfpmath=387 -mno-sse -mno-mmx")
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -mtune=generic -mfpmath=387 -mno-sse -mno-mmx")


# No default emulator: running 32-bit Windows programs needs Wine's 32-bit
# part (wine32, an i386 package). Pass -DCMAKE_CROSSCOMPILING_EMULATOR=wine
# where it is installed.
