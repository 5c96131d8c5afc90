# What both MinGW-w64 toolchains share; the including file sets
# VRASTEX_MINGW_TRIPLET and the processor first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VRASTEX_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${VRASTEX_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${VRASTEX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VRASTEX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static libgcc and libstdc++, and no time stamp in the PE header, so that a
# build needs nothing beside it and is reproducible.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
endforeach()
