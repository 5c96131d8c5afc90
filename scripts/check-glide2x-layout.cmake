# The software Glide's folders stack one way: present and render at the
# bottom (neither knows the other), model above render, entry on top.
# Fails on any quoted include a folder may not make, including a bare name
# that would bypass the folder prefixes.
#   cmake -DGLIDE2X_DIR=<source>/glide2x -P scripts/check-glide2x-layout.cmake

if(NOT GLIDE2X_DIR)
  get_filename_component(GLIDE2X_DIR "${CMAKE_CURRENT_LIST_DIR}/../glide2x" ABSOLUTE)
endif()

# What each folder may include, as prefixes of the quoted path ("glide/" is
# the plug-in's Glide types and names under src/).
set(allowed_present "present/")
set(allowed_render  "render/" "glide/")
set(allowed_model   "model/" "render/" "glide/" "standin.h")
set(allowed_entry   "entry/" "model/" "render/" "present/" "glide/" "standin.h" "glide_api.h")
set(allowed_root    "glide/")

set(violations "")
foreach(folder present render model entry root)
  if(folder STREQUAL "root")
    file(GLOB files "${GLIDE2X_DIR}/*.h" "${GLIDE2X_DIR}/*.cpp")
  else()
    file(GLOB files "${GLIDE2X_DIR}/${folder}/*")
    if(NOT files)
      list(APPEND violations "${folder}/: folder missing or empty")
    endif()
  endif()
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    file(RELATIVE_PATH name "${GLIDE2X_DIR}" "${file}")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" target "${line}")
      set(ok FALSE)
      foreach(prefix IN LISTS allowed_${folder})
        string(FIND "${target}" "${prefix}" at)
        if(at EQUAL 0)
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        list(APPEND violations "${name}: #include \"${target}\"")
      endif()
    endforeach()
  endforeach()
endforeach()

# Sources left at the root would sit outside the stack.
file(GLOB stray "${GLIDE2X_DIR}/*.cpp")
foreach(file IN LISTS stray)
  file(RELATIVE_PATH name "${GLIDE2X_DIR}" "${file}")
  list(APPEND violations "${name}: source outside the folders")
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "glide2x includes against the stack (present, render < model < entry):\n  ${text}")
endif()
message(STATUS "glide2x layout: every include points down")
