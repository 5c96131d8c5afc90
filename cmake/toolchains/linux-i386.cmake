# 32-bit x86 Linux build with the host's multilib GCC (Debian packages
# g++-multilib, which brings gcc-12-multilib, lib32stdc++ and libc6-dev-i386).
#
# Everything - plug-in, Glide stand-in, tests and GoogleTest - is compiled for
# the P6 instruction set with x87 arithmetic, the floating-point unit the
# Windows plug-in runs on, so the test suite checks that the x87 build gives
# the same results as the x86_64 (SSE2) build.
#
# Test programs run under qemu-i386 (Debian package qemu-user). The emulator's
# -L prefix is a directory holding lib/ld-linux.so.2 -> /lib32/ld-linux.so.2,
# created here at configure time; qemu falls back to the host's own paths for
# every other file, so the 32-bit libraries come from /usr/lib32 as usual.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

if(NOT DEFINED CMAKE_C_COMPILER)
  set(CMAKE_C_COMPILER gcc)
endif()
if(NOT DEFINED CMAKE_CXX_COMPILER)
  set(CMAKE_CXX_COMPILER g++)
endif()

set(CMAKE_C_FLAGS_INIT "-m32 -march=i686 -mtune=generic -mfpmath=387")
set(CMAKE_CXX_FLAGS_INIT "-m32 -march=i686 -mtune=generic -mfpmath=387")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# The emulator: an explicit CMAKE_CROSSCOMPILING_EMULATOR (the i386 preset sets
# one) wins; the default runs qemu-i386 with a prefix in the build directory.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(VRASTEX_QEMU_I386 NAMES qemu-i386 qemu-i386-static)
  if(VRASTEX_QEMU_I386)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${VRASTEX_QEMU_I386};-L;${CMAKE_BINARY_DIR}/qemu-i386-root"
        CACHE STRING "Runs 32-bit test programs")
  endif()
endif()

# Create the -L prefix named by the emulator command, if it names one.
set(_vrastex_args ${CMAKE_CROSSCOMPILING_EMULATOR})
list(FIND _vrastex_args "-L" _vrastex_l)
if(_vrastex_l GREATER_EQUAL 0)
  math(EXPR _vrastex_l "${_vrastex_l} + 1")
  list(LENGTH _vrastex_args _vrastex_n)
  if(_vrastex_l LESS _vrastex_n)
    list(GET _vrastex_args ${_vrastex_l} _vrastex_root)
    if(NOT EXISTS "${_vrastex_root}/lib/ld-linux.so.2")
      if(NOT EXISTS /lib32/ld-linux.so.2)
        message(FATAL_ERROR "/lib32/ld-linux.so.2 is missing: install libc6-i386 (g++-multilib)")
      endif()
      file(MAKE_DIRECTORY "${_vrastex_root}/lib")
      file(CREATE_LINK /lib32/ld-linux.so.2 "${_vrastex_root}/lib/ld-linux.so.2" SYMBOLIC)
    endif()
  endif()
endif()
unset(_vrastex_args)
unset(_vrastex_l)
unset(_vrastex_n)
unset(_vrastex_root)
