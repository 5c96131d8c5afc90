# vrastex_freestanding_dll(TARGET ENTRY): a Windows DLL that links no C
# runtime: its own entry point ENTRY (a WINAPI function of three arguments),
# the plug-in's own memcpy family, libgcc for compiler helpers, and imports
# from KERNEL32.dll only. The plug-in, the capture plug-in and the Glide
# tracer are all built this way.
function(vrastex_freestanding_dll target entry)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/exports/freestanding.cpp)
  # The memcpy family must not be compiled back into calls to itself.
  set_source_files_properties(${PROJECT_SOURCE_DIR}/src/exports/freestanding.cpp
    TARGET_DIRECTORY ${target} PROPERTIES
    COMPILE_OPTIONS "-ffreestanding;-fno-builtin;-fno-tree-loop-distribute-patterns")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(entry _${entry}@12)  # stdcall decoration
  endif()
  set_target_properties(${target} PROPERTIES PREFIX "")
  target_link_options(${target} PRIVATE
    -nostdlib -nostartfiles -Wl,--entry,${entry}
    -Wl,--exclude-all-symbols -Wl,--no-undefined -Wl,--disable-stdcall-fixup
    $<$<CONFIG:Release,MinSizeRel>:-s>)
  target_link_libraries(${target} PRIVATE kernel32 gcc)
endfunction()
