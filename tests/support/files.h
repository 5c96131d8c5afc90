// Files for the tests that run whole programs: a fresh folder for the running
// test, a file's bytes, and frames compared by their decoded pixels.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "pictures.h"

namespace test_files {

// `base`/Suite.Test, emptied (ctest may run tests in parallel).
inline std::filesystem::path FreshDir(const std::filesystem::path& base) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path dir = base / (std::string(test->test_suite_name()) + "." + test->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Same size and pixels, else where the first difference lies.
inline void ExpectSamePicture(const std::filesystem::path& expected, const std::filesystem::path& actual) {
    replay::PngImage a, b;
    std::string error;
    ASSERT_TRUE(replay::ReadPng(expected.string(), a, error)) << error;
    ASSERT_TRUE(replay::ReadPng(actual.string(), b, error)) << actual << ": " << error;
    ASSERT_TRUE(a.width == b.width && a.height == b.height) << actual << " differs in size from " << expected;
    std::size_t i = 0;
    while (i < a.pixels.size() && a.pixels[i] == b.pixels[i]) ++i;
    EXPECT_EQ(i, a.pixels.size()) << actual << " differs from " << expected << " first at (" << i / 3 % a.width
                                  << ", " << i / 3 / a.width << ")";
}

}  // namespace test_files
