// Helpers shared by the replay tests: parsing from a string and writing the
// small PNG files the tests read back.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script.h"

namespace replay_test {

// A fresh folder for the running test alone (ctest may run tests in parallel).
inline std::filesystem::path WorkDir() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path dir =
        std::filesystem::path(REPLAY_WORK_DIR) / (std::string(test->test_suite_name()) + "." + test->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Parses `text` as "t.replay" with pictures taken from `dir`.
inline replay::Script Parse(const std::string& text, std::vector<replay::ScriptError>& errors,
                            const std::filesystem::path& dir = ".") {
    errors.clear();
    return replay::ParseScript(text, "t.replay", dir, errors);
}

// libpng's simplified writer: RGB, grey, or a palette of `colours` RGB
// triplets with one index a pixel (libpng picks the smallest bit depth).
inline bool WritePng(const std::filesystem::path& path, int width, int height, std::uint32_t format,
                     const std::vector<std::uint8_t>& pixels, const std::vector<std::uint8_t>& colours = {}) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    image.colormap_entries = static_cast<png_uint_32>(colours.size() / 3);
    const bool ok = png_image_write_to_file(&image, path.string().c_str(), 0, pixels.data(), 0,
                                            colours.empty() ? nullptr : colours.data()) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace replay_test
