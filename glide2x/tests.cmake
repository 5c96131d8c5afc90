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
