# GoogleTest for the test suites: the installed package by default, or built
# from Debian's googletest sources (package googletest, /usr/src/googletest)
# with the project's own compiler flags, for targets that have no installed
# copy: the 32-bit x87 build (i386 preset) and cross builds.
#
# Safe to include more than once; every test directory may include it.
option(VRASTEX_GTEST_FROM_SOURCE "Build GoogleTest from /usr/src/googletest" OFF)
set(VRASTEX_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for VRASTEX_GTEST_FROM_SOURCE")

if(VRASTEX_GTEST_FROM_SOURCE)
  if(NOT TARGET gtest)
    if(NOT EXISTS ${VRASTEX_GTEST_SOURCE_DIR}/CMakeLists.txt)
      message(FATAL_ERROR "VRASTEX_GTEST_FROM_SOURCE: no GoogleTest sources in ${VRASTEX_GTEST_SOURCE_DIR} "
                          "(install the googletest package)")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    # GoogleTest is third-party code: build it without the project's warning
    # flags (-Werror above all), which a subdirectory would otherwise inherit.
    get_directory_property(_vrastex_saved_options COMPILE_OPTIONS)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
    add_subdirectory(${VRASTEX_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "${_vrastex_saved_options}")
    unset(_vrastex_saved_options)
  endif()
  # GoogleTest 1.11 and later define these aliases themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
  endif()
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
  # A find_package(GTest) anywhere in the project then finds these targets
  # rather than an installed library built for another architecture.
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/gtest-config.cmake
    "# GoogleTest built from source by cmake/googletest.cmake: GTest::gtest and\n"
    "# GTest::gtest_main are targets of this build.\n"
    "set(GTEST_LIBRARIES GTest::gtest)\nset(GTEST_MAIN_LIBRARIES GTest::gtest_main)\n")
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/gtest-config-version.cmake
    "set(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
elseif(NOT TARGET GTest::gtest)
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
