// Colour words and PNG files: hand-computed conversions, files that come back
// as they were written, palette pictures read as indices, refused files.
#include <gtest/gtest.h>

#include "pictures.h"
#include "support.h"

namespace {

TEST(ReplayPictures, ColourWords) {
    const struct {
        std::uint8_t r, g, b;
        bool flag;
        std::uint16_t host;   // red in bits 0-4
        std::uint16_t glide;  // red in bits 10-14
    } cases[] = {
        {255, 0, 0, false, 0x001F, 0x7C00},
        {0, 0, 255, false, 0x7C00, 0x001F},
        {8, 16, 24, false, 0x0C41, 0x0443},     // 1, 2, 3 in the three fields
        {7, 7, 7, true, 0x8000, 0x0000},        // below one step of five bits
        {128, 64, 200, false, 0x6510, 0x4119},  // 16, 8, 25
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replay::HostColour(c.r, c.g, c.b, c.flag), c.host) << int(c.r) << "," << int(c.g) << "," << int(c.b);
        EXPECT_EQ(replay::Glide555(c.r, c.g, c.b), c.glide) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
    const std::uint16_t pixels[] = {0xF800, 0x07E0, 0x0821, 0x8410};
    const std::vector<std::uint8_t> expected = {
        255, 0, 0, 0, 255, 0, 8, 4, 8,  // r 1 -> 8, g 1 -> 4
        132, 130, 132,                  // r 16 -> 128 + 4, g 32 -> 128 + 2
    };
    EXPECT_EQ(replay::Rgb565ToRgb8(pixels, std::size(pixels)), expected);
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
    EXPECT_EQ(replay::EncodePngRgb(3, 2, rgb), replay::EncodePngRgb(3, 2, rgb));

    // A directory that does not exist, or pixels that do not fill the picture:
    // a failure, and no file of either name.
    EXPECT_FALSE(replay::WritePngRgb((dir / "none" / "g.png").string(), 3, 2, rgb, error));
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
    EXPECT_FALSE(replay::WritePngRgb((dir / "h.png").string(), 3, 3, rgb, error));
    EXPECT_FALSE(std::filesystem::exists(dir / "h.png"));
}

// Palette pictures come back as indices at every bit depth, also where two
// entries have the same colour and where an index lies beyond the palette.
TEST(ReplayPictures, PaletteFilesGiveIndices) {
    const std::filesystem::path dir = replay_test::WorkDir();
    const replay_test::Bytes colours = {10, 20, 30, 255, 255, 255, 10, 20, 30};
    const struct {
        int width;
        std::vector<std::uint8_t> indices;
        int depth;  // the smallest that holds the largest index
    } cases[] = {
        {4, {2, 0, 1, 0}, 2},
        {3, {0, 2, 3}, 2},  // 3: no entry
        {2, {15, 2}, 4},
        {2, {200, 0}, 8},
    };
    for (const auto& c : cases) {
        replay_test::Bytes palette = colours;
        palette.resize(3u << c.depth, 0);
        ASSERT_TRUE(replay_test::WritePng(dir / "p.png", c.width, 1, replay_test::kPngPalette, c.indices, palette));
        replay::PngImage image;
        std::string error;
        ASSERT_TRUE(replay::ReadPng((dir / "p.png").string(), image, error)) << error;
        EXPECT_TRUE(image.palette);
        EXPECT_EQ(image.bitDepth, c.depth);
        EXPECT_EQ(image.pixels, c.indices) << c.depth;
        ASSERT_EQ(image.paletteEntries.size(), 1u << c.depth);
        // (10, 20, 30) -> 1 | 2 << 5 | 3 << 10; white with the flag
        EXPECT_EQ(replay::PaletteColours(image, false)[2], 0x0C41);
        EXPECT_EQ(replay::PaletteColours(image, true)[1], 0xFFFF);
    }
}

TEST(ReplayPictures, OtherKindsAndRefusals) {
    const std::filesystem::path dir = replay_test::WorkDir();
    replay::PngImage image;
    std::string error;
    ASSERT_TRUE(replay_test::WritePng(dir / "a.png", 1, 1, replay_test::kPngRgba, {40, 80, 120, 0}));
    ASSERT_TRUE(replay::ReadPng((dir / "a.png").string(), image, error)) << error;
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{40, 80, 120}));
    ASSERT_TRUE(replay_test::WritePng(dir / "g.png", 1, 1, replay_test::kPngGrey, {40}));
    ASSERT_TRUE(replay::ReadPng((dir / "g.png").string(), image, error)) << error;
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{40, 40, 40}));

    using namespace replay_test;
    const Bytes iend = Chunk("IEND", {});
    const Bytes rgb = PngFile({Ihdr(1, 1, 8, 2), Chunk("IDAT", Stored({0, 1, 2, 3})), iend});
    const struct {
        Bytes file;
        const char* message;
    } refused[] = {
        {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1b, '\n'}, "is not a PNG file"},
        {{rgb.begin(), rgb.end() - 20}, "cannot decode"},  // cut inside the image data
        {PngFile({Ihdr(2, 1, 4, 3), Chunk("IDAT", Stored({0, 0})), iend}), "without a PLTE chunk"},
        {PngFile({Ihdr(8193, 1, 8, 2), Chunk("IDAT", Stored({0, 1, 2, 3})), iend}), "cannot decode"},
    };
    for (const auto& c : refused) {
        WriteBytes(dir / "r.png", c.file);
        EXPECT_FALSE(replay::ReadPng((dir / "r.png").string(), image, error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << "expected \"" << c.message << "\", got \"" << error << "\"";
        EXPECT_TRUE(image.pixels.empty());
    }
}

}  // namespace
