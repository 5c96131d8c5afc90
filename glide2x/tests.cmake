# Tests of the Glide stand-in; included from tests/CMakeLists.txt.
if(NOT TARGET GTest::gtest_main)
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

add_executable(standin_test ${PROJECT_SOURCE_DIR}/tests/standin_test.cpp)
target_link_libraries(standin_test PRIVATE glide2x GTest::gtest_main)
gtest_discover_tests(standin_test)
if(NOT WIN32)
  # The library variant without guTexSource, opened by path.
  add_dependencies(standin_test glide2x_missing_last)
  target_compile_definitions(standin_test PRIVATE
    STANDIN_MISSING_LAST_LIBRARY="$<TARGET_FILE:glide2x_missing_last>")
endif()

# The drawing: coverage, texturing, combine, blending and dithering by hand.
add_executable(raster_test ${PROJECT_SOURCE_DIR}/tests/raster_test.cpp)
target_link_libraries(raster_test PRIVATE glide2x GTest::gtest_main)
gtest_discover_tests(raster_test)

# The trace's own number writer, built in (the library keeps it hidden).
add_executable(trace_format_test ${PROJECT_SOURCE_DIR}/tests/trace_format_test.cpp
  ${PROJECT_SOURCE_DIR}/glide2x/model/trace_format.cpp ${PROJECT_SOURCE_DIR}/glide2x/render/texture_layout.cpp
  ${PROJECT_SOURCE_DIR}/src/glide/glide_names.cpp)
target_include_directories(trace_format_test PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/glide2x)
target_link_libraries(trace_format_test PRIVATE GTest::gtest_main)
gtest_discover_tests(trace_format_test)

# The combine units' arithmetic, built in (the library keeps it hidden).
add_executable(combine_test ${PROJECT_SOURCE_DIR}/tests/combine_test.cpp
  ${PROJECT_SOURCE_DIR}/glide2x/render/texture_unit.cpp ${PROJECT_SOURCE_DIR}/glide2x/render/texture_layout.cpp)
target_include_directories(combine_test PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/glide2x)
target_link_libraries(combine_test PRIVATE GTest::gtest_main)
gtest_discover_tests(combine_test)

# The validation layer, one violation per row.
add_executable(validation_test ${PROJECT_SOURCE_DIR}/tests/validation_test.cpp)
target_link_libraries(validation_test PRIVATE glide2x GTest::gtest_main)
gtest_discover_tests(validation_test)

# The presenter's placement, gamma and frame queue, built in (no window).
add_executable(present_test ${PROJECT_SOURCE_DIR}/tests/present_test.cpp
  ${PROJECT_SOURCE_DIR}/glide2x/present/picture.cpp ${PROJECT_SOURCE_DIR}/glide2x/present/frame_queue.cpp)
target_include_directories(present_test PRIVATE ${PROJECT_SOURCE_DIR}/glide2x)
find_package(Threads REQUIRED)
target_link_libraries(present_test PRIVATE GTest::gtest_main Threads::Threads)
gtest_discover_tests(present_test)

# Specialised spans against the general path, band workers against one thread.
add_executable(bands_test ${PROJECT_SOURCE_DIR}/tests/bands_test.cpp)
target_link_libraries(bands_test PRIVATE glide2x GTest::gtest_main)
gtest_discover_tests(bands_test)

# The folders' includes point one way: present, render < model < entry.
add_test(NAME layout.glide2x COMMAND ${CMAKE_COMMAND} -DGLIDE2X_DIR=${PROJECT_SOURCE_DIR}/glide2x
  -P ${PROJECT_SOURCE_DIR}/scripts/check-glide2x-layout.cmake)
