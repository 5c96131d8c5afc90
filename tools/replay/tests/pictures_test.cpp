// Colour words and PNG files: hand-computed conversions, and files that come
// back as they were written.
#include <gtest/gtest.h>

#include "pictures.h"
#include "support.h"

namespace {

struct ColourCase {
    std::uint8_t r, g, b;
    bool flag;
    std::uint16_t host;  // red in bits 0-4
    std::uint16_t glide;  // red in bits 10-14
};

TEST(ReplayPictures, ColourWords) {
    const ColourCase cases[] = {
        {255, 0, 0, false, 0x001F, 0x7C00},
        {0, 255, 0, false, 0x03E0, 0x03E0},
        {0, 0, 255, false, 0x7C00, 0x001F},
        {255, 255, 255, true, 0xFFFF, 0x7FFF},
        {8, 16, 24, false, 0x0C41, 0x0443},  // 1, 2, 3 in the three fields
        {7, 7, 7, true, 0x8000, 0x0000},     // below one step of five bits
        {128, 64, 200, false, 0x6510, 0x4119},  // 16, 8, 25
    };
    for (const ColourCase& c : cases) {
        EXPECT_EQ(replay::HostColour(c.r, c.g, c.b, c.flag), c.host) << int(c.r) << "," << int(c.g) << "," << int(c.b);
        EXPECT_EQ(replay::Glide555(c.r, c.g, c.b), c.glide) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
}

TEST(ReplayPictures, Rgb565ExpandsByBitReplication) {
    const std::uint16_t pixels[] = {0xF800, 0x07E0, 0x001F, 0x0821, 0x8410, 0xFFFF, 0x0000};
    const std::vector<std::uint8_t> expected = {
        255, 0, 0,   0, 255, 0,   0, 0, 255,   8, 4, 8,  // r 1 -> 8, g 1 -> 4
        132, 130, 132,                                 // r 16 -> 128 + 4, g 32 -> 128 + 2
        255, 255, 255, 0, 0, 0,
    };
    EXPECT_EQ(replay::Rgb565ToRgb8(pixels, std::size(pixels)), expected);
}

TEST(ReplayPictures, IndicesPackPerUnit) {
    replay::PngImage image;
    image.width = 8;
    image.height = 1;
    image.palette = true;
    image.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(replay::PackIndices(image, 4, bytes, error)) << error;
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x21, 0x43, 0x65, 0x87}));
    ASSERT_TRUE(replay::PackIndices(image, 8, bytes, error)) << error;
    EXPECT_EQ(bytes, image.pixels);

    image.pixels[5] = 16;
    EXPECT_FALSE(replay::PackIndices(image, 4, bytes, error));
    EXPECT_NE(error.find("index 16 at pixel (5, 0)"), std::string::npos) << error;
    EXPECT_TRUE(replay::PackIndices(image, 8, bytes, error));

    image.width = 6;
    image.pixels.resize(6);
    EXPECT_FALSE(replay::PackIndices(image, 4, bytes, error));
    EXPECT_NE(error.find("multiple of 4 pixels"), std::string::npos) << error;
    EXPECT_TRUE(replay::PackIndices(image, 8, bytes, error));
    image.width = 3;
    image.pixels.resize(3);
    EXPECT_FALSE(replay::PackIndices(image, 8, bytes, error));
}

TEST(ReplayPictures, RgbFileRoundTripsWithoutLeftovers) {
    const std::filesystem::path dir = replay_test::WorkDir();
    const std::vector<std::uint8_t> rgb = {1, 2, 3, 250, 251, 252, 0, 128, 255, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    std::string error;
    ASSERT_TRUE(replay::WritePngRgb((dir / "f.png").string(), 3, 2, rgb, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir / "f.png.part"));
    replay::PngImage image;
    ASSERT_TRUE(replay::ReadPng((dir / "f.png").string(), image, error)) << error;
    EXPECT_FALSE(image.palette);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels, rgb);
    EXPECT_EQ(replay::HostColours(image, false)[2], replay::HostColour(0, 128, 255, false));
    EXPECT_EQ(replay::Glide555Colours(image)[1], replay::Glide555(250, 251, 252));

    // A directory that does not exist: a failure, and no file of either name.
    EXPECT_FALSE(replay::WritePngRgb((dir / "none" / "g.png").string(), 3, 2, rgb, error));
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
    EXPECT_FALSE(replay::WritePngRgb((dir / "h.png").string(), 3, 3, rgb, error));
    EXPECT_FALSE(std::filesystem::exists(dir / "h.png"));
}

TEST(ReplayPictures, PaletteAndAlphaFiles) {
    const std::filesystem::path dir = replay_test::WorkDir();
    ASSERT_TRUE(replay_test::WritePng(dir / "p.png", 4, 1, PNG_FORMAT_RGB_COLORMAP, {2, 0, 1, 2},
                                      {10, 20, 30, 255, 255, 255, 8, 0, 248}));
    replay::PngImage image;
    std::string error;
    ASSERT_TRUE(replay::ReadPng((dir / "p.png").string(), image, error)) << error;
    EXPECT_TRUE(image.palette);
    EXPECT_LE(image.bitDepth, 4);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{2, 0, 1, 2}));
    // (10, 20, 30) -> 1 | 2 << 5 | 3 << 10; white; (8, 0, 248) -> 1 | 31 << 10, flag set.
    EXPECT_EQ(replay::PaletteColours(image, false), (std::vector<std::uint16_t>{0x0C41, 0x7FFF, 0x7C01}));
    EXPECT_EQ(replay::PaletteColours(image, true)[2], 0xFC01);

    // RGBA: the alpha is dropped.
    ASSERT_TRUE(replay_test::WritePng(dir / "a.png", 1, 1, PNG_FORMAT_RGBA, {40, 80, 120, 0}));
    ASSERT_TRUE(replay::ReadPng((dir / "a.png").string(), image, error)) << error;
    EXPECT_FALSE(image.palette);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{40, 80, 120}));

    ASSERT_TRUE(replay_test::WritePng(dir / "g.png", 1, 1, PNG_FORMAT_GRAY, {40}));
    EXPECT_FALSE(replay::ReadPng((dir / "g.png").string(), image, error));
    EXPECT_NE(error.find("grey-scale"), std::string::npos) << error;

    // A file cut short fails cleanly.
    replay_test::WriteText(dir / "cut.png", "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR");
    EXPECT_FALSE(replay::ReadPng((dir / "cut.png").string(), image, error));
    EXPECT_TRUE(image.pixels.empty());
}

}  // namespace
