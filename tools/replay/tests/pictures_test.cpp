// PNG files: files that come back as they were written, palette pictures read
// as indices with their colours as host words, refused files. (The colour
// conversions of direct pictures and frames are pinned by the golden demo.)
#include <gtest/gtest.h>

#include "pictures.h"
#include "support.h"

namespace {

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

// stb decodes a palette picture without its palette; the reader refuses it.
TEST(ReplayPictures, PaletteWithoutPlteIsRefused) {
    using namespace replay_test;
    const std::filesystem::path dir = WorkDir();
    WriteBytes(dir / "r.png", PngFile({Ihdr(2, 1, 4, 3), Chunk("IDAT", Stored({0, 0})), Chunk("IEND", {})}));
    replay::PngImage image;
    std::string error;
    EXPECT_FALSE(replay::ReadPng((dir / "r.png").string(), image, error));
    EXPECT_NE(error.find("without a PLTE chunk"), std::string::npos) << error;
    EXPECT_TRUE(image.pixels.empty());
}

}  // namespace
