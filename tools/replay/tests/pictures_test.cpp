// Colour words and PNG files: hand-computed conversions, files that come back
// as they were written, hand-made files of every supported kind, and damaged
// or unsupported ones.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

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
    EXPECT_EQ(image.bitDepth, 8);
    EXPECT_EQ(image.pixels, rgb);
    EXPECT_EQ(replay::HostColours(image, false)[2], replay::HostColour(0, 128, 255, false));
    EXPECT_EQ(replay::Glide555Colours(image)[1], replay::Glide555(250, 251, 252));

    // A directory that does not exist: a failure, and no file of either name.
    EXPECT_FALSE(replay::WritePngRgb((dir / "none" / "g.png").string(), 3, 2, rgb, error));
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
    EXPECT_FALSE(replay::WritePngRgb((dir / "h.png").string(), 3, 3, rgb, error));
    EXPECT_FALSE(std::filesystem::exists(dir / "h.png"));
}

// What the writer puts in a file: IHDR, IDATs of 65536 bytes but the last,
// IEND, nothing else; every row with filter type 0.
TEST(ReplayPictures, WriterLayout) {
    const int width = 160, height = 160;  // 76800 bytes of noise: more than one IDAT
    std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
    std::uint32_t state = 12345;
    for (auto& byte : rgb) byte = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 24);
    const replay_test::Bytes png = replay::EncodePngRgb(width, height, rgb);
    EXPECT_EQ(png, replay::EncodePngRgb(width, height, rgb));

    const replay_test::Bytes start(png.begin(), png.begin() + 33);
    EXPECT_EQ(start, replay_test::PngFile({replay_test::Ihdr(160, 160, 8, 2)}));
    std::vector<std::string> types;
    std::vector<std::uint32_t> sizes;
    replay_test::Bytes packed;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t size = std::uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        types.emplace_back(png.begin() + at + 4, png.begin() + at + 8);
        sizes.push_back(size);
        if (types.back() == "IDAT") packed.insert(packed.end(), png.begin() + at + 8, png.begin() + at + 8 + size);
        at += 12 + size;
    }
    ASSERT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IDAT", "IEND"}));
    EXPECT_EQ(sizes[1], 65536u);
    EXPECT_GT(sizes[2], 76800u + 160u - 65536u);  // noise does not compress
    EXPECT_EQ(packed[0], 0x78);  // zlib, 32K window
    EXPECT_EQ(packed[1], 0x9C);  // level 6

    std::vector<std::uint8_t> raw(160 * 481);
    uLongf rawSize = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawSize, packed.data(), packed.size()), Z_OK);
    ASSERT_EQ(rawSize, raw.size());
    for (int y = 0; y < height; ++y) {
        ASSERT_EQ(raw[y * 481], 0) << "row " << y;
        ASSERT_TRUE(std::equal(raw.begin() + y * 481 + 1, raw.begin() + (y + 1) * 481, rgb.begin() + y * 480));
    }
}

replay::PngImage Decode(const replay_test::Bytes& png, std::string& error) {
    replay::PngImage image;
    error.clear();
    if (!replay::DecodePng(png.data(), png.size(), image, error)) {
        EXPECT_TRUE(image.pixels.empty());
        EXPECT_NE(error, "");
    }
    return image;
}

// A 2 x 5 RGB picture whose rows use the filters 0 to 4 in turn; the filtered
// bytes were worked out by hand from the pixels expected back.
TEST(ReplayPictures, EveryRowFilter) {
    const replay_test::Bytes raw = {
        0, 10, 20, 30, 40, 50, 60,     // none
        1, 15, 25, 35, 85, 175, 215,   // sub: 100-15, 200-25, 250-35
        2, 5, 241, 221, 246, 50, 5,    // up: 20-15, 10-25, 0-35, 90-100, 250-200, 255-250
        3, 20, 35, 50, 0, 151, 150,    // average: 30-20/2, ..., 40-(40+250)/2, 46-(50+255)/2
        4, 3, 4, 5, 140, 222, 40,      // Paeth: picks up, up, up, then up (60), left (44), upper left (50)
    };
    const std::vector<std::uint8_t> expected = {
        10, 20, 30, 40, 50, 60,
        15, 25, 35, 100, 200, 250,
        20, 10, 0, 90, 250, 255,
        30, 40, 50, 60, 40, 46,
        33, 44, 55, 200, 10, 90,
    };
    std::string error;
    replay::PngImage image = Decode(replay_test::PngFile({replay_test::Ihdr(2, 5, 8, 2),
                                                          replay_test::Chunk("IDAT", replay_test::Stored(raw)),
                                                          replay_test::Chunk("IEND", {})}),
                                    error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(image.pixels, expected);

    // RGBA, Paeth on the first row (nothing above: the left pixel, 4 bytes
    // back, predicts); the alpha is dropped. The image data comes in two
    // IDAT chunks and a text chunk before them is skipped.
    const replay_test::Bytes zlib = replay_test::Stored({4, 1, 2, 3, 9, 4, 5, 8, 191});
    image = Decode(replay_test::PngFile({replay_test::Ihdr(2, 1, 8, 6),
                                         replay_test::Chunk("tEXt", {'a', 0, 'b'}),
                                         replay_test::Chunk("IDAT", {zlib.begin(), zlib.begin() + 5}),
                                         replay_test::Chunk("IDAT", {zlib.begin() + 5, zlib.end()}),
                                         replay_test::Chunk("IEND", {})}),
                   error);
    EXPECT_EQ(error, "");
    EXPECT_FALSE(image.palette);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{1, 2, 3, 5, 7, 11}));
}

TEST(ReplayPictures, PaletteBitDepths) {
    struct Case {
        int depth, width;
        replay_test::Bytes rows;  // each with its filter byte
        std::vector<std::uint8_t> indices;
    };
    const Case cases[] = {
        // 1 0 1 1 0 0 1 0 | 1 1, then the same with filter none
        {1, 10, {0, 0xB2, 0xC0, 0, 0xB2, 0xC0}, {1, 0, 1, 1, 0, 0, 1, 0, 1, 1, 1, 0, 1, 1, 0, 0, 1, 0, 1, 1}},
        // 3 0 1 2 | 1, then 0 0 0 0 | 3
        {2, 5, {0, 0xC6, 0x40, 0, 0x00, 0xC0}, {3, 0, 1, 2, 1, 0, 0, 0, 0, 3}},
        // 15 0 9, then 1 2 3 with filter sub: 0x12, 0x30 - 0x12
        {4, 3, {0, 0xF0, 0x90, 1, 0x12, 0x1E}, {15, 0, 9, 1, 2, 3}},
        // 200 7, then 201 5 with filter up
        {8, 2, {0, 200, 7, 2, 1, 254}, {200, 7, 201, 5}},
        // 50 51 33, then 48 60 40 with filter Paeth and its ties: up (50);
        // left 48 where left and upper left tie; up 33 where up and upper left tie
        {8, 3, {0, 50, 51, 33, 4, 254, 12, 7}, {50, 51, 33, 48, 60, 40}},
    };
    for (const Case& c : cases) {
        // Four entries: a 1-bit file keeps the first two.
        const replay_test::Bytes plte = {10, 20, 30, 255, 255, 255, 8, 0, 248, 1, 2, 3};
        std::string error;
        const replay::PngImage image =
            Decode(replay_test::PngFile({replay_test::Ihdr(c.width, 2, c.depth, 3), replay_test::Chunk("PLTE", plte),
                                         replay_test::Chunk("IDAT", replay_test::Stored(c.rows)),
                                         replay_test::Chunk("IEND", {})}),
                   error);
        EXPECT_EQ(error, "") << c.depth;
        EXPECT_TRUE(image.palette);
        EXPECT_EQ(image.bitDepth, c.depth);
        EXPECT_EQ(image.pixels, c.indices) << c.depth;
        ASSERT_EQ(image.paletteEntries.size(), c.depth == 1 ? 2u : 4u) << c.depth;
        // (10, 20, 30) -> 1 | 2 << 5 | 3 << 10; white
        EXPECT_EQ(replay::PaletteColours(image, false)[0], 0x0C41);
        EXPECT_EQ(replay::PaletteColours(image, true)[1], 0xFFFF);
    }
}

TEST(ReplayPictures, PaletteAndAlphaFiles) {
    const std::filesystem::path dir = replay_test::WorkDir();
    ASSERT_TRUE(replay_test::WritePng(dir / "p.png", 4, 1, replay_test::kPngPalette, {2, 0, 1, 2},
                                      {10, 20, 30, 255, 255, 255, 8, 0, 248}));
    replay::PngImage image;
    std::string error;
    ASSERT_TRUE(replay::ReadPng((dir / "p.png").string(), image, error)) << error;
    EXPECT_TRUE(image.palette);
    EXPECT_EQ(image.bitDepth, 2);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{2, 0, 1, 2}));
    // (10, 20, 30) -> 1 | 2 << 5 | 3 << 10; white; (8, 0, 248) -> 1 | 31 << 10, flag set.
    EXPECT_EQ(replay::PaletteColours(image, false), (std::vector<std::uint16_t>{0x0C41, 0x7FFF, 0x7C01}));
    EXPECT_EQ(replay::PaletteColours(image, true)[2], 0xFC01);

    ASSERT_TRUE(replay_test::WritePng(dir / "a.png", 1, 1, replay_test::kPngRgba, {40, 80, 120, 0}));
    ASSERT_TRUE(replay::ReadPng((dir / "a.png").string(), image, error)) << error;
    EXPECT_FALSE(image.palette);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{40, 80, 120}));

    ASSERT_TRUE(replay_test::WritePng(dir / "g.png", 1, 1, replay_test::kPngGrey, {40}));
    EXPECT_FALSE(replay::ReadPng((dir / "g.png").string(), image, error));
    EXPECT_NE(error.find("g.png: grey-scale"), std::string::npos) << error;

    replay_test::WriteText(dir / "t.png", "\x89PNG\r\n\x1b\n");
    EXPECT_FALSE(replay::ReadPng((dir / "t.png").string(), image, error));
    EXPECT_NE(error.find("t.png is not a PNG file"), std::string::npos) << error;
}

// Damaged and unsupported files: refused with a message naming the fault,
// and nothing decoded.
TEST(ReplayPictures, RefusedFiles) {
    using namespace replay_test;
    const Bytes rows = {0, 1, 2, 3, 1, 4, 5, 6};  // 1 x 2 RGB, filters none and sub
    const Bytes idat = Chunk("IDAT", Stored(rows)), iend = Chunk("IEND", {});
    const Bytes good = PngFile({Ihdr(1, 2, 8, 2), idat, iend});
    std::string error;
    EXPECT_EQ(Decode(good, error).pixels, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(error, "");

    // Every shorter prefix of a good file is refused.
    for (std::size_t size = 0; size < good.size(); ++size) {
        replay::PngImage image;
        EXPECT_FALSE(replay::DecodePng(good.data(), size, image, error)) << size;
        EXPECT_TRUE(image.pixels.empty());
        if (size >= 8) {
            EXPECT_NE(error.find("cut short"), std::string::npos) << size << ": " << error;
        }
    }

    Bytes badCrc = good;
    badCrc[33 + 8 + 3] ^= 1;  // a byte of the IDAT data
    Bytes badZlib = Stored(rows);
    badZlib[0] = 0x79;  // compression method 9
    const Bytes noAdler = Stored(rows);
    Bytes badFilter = rows;
    badFilter[4] = 5;
    Bytes plte = Chunk("PLTE", {1, 2, 3});
    const struct {
        Bytes file;
        const char* message;
    } cases[] = {
        {PngFile({Ihdr(1, 2, 8, 0), idat, iend}), "grey-scale"},
        {PngFile({Ihdr(1, 2, 8, 4), idat, iend}), "grey-scale"},
        {PngFile({Ihdr(1, 2, 16, 2), idat, iend}), "16-bit channels"},
        {PngFile({Ihdr(1, 2, 16, 6), idat, iend}), "16-bit channels"},
        {PngFile({Ihdr(1, 2, 8, 2, 1), idat, iend}), "interlaced"},
        {PngFile({Ihdr(1, 2, 4, 2), idat, iend}), "invalid colour type 2 with bit depth 4"},
        {PngFile({Ihdr(1, 2, 8, 5), idat, iend}), "invalid colour type 5"},
        {PngFile({Ihdr(0, 2, 8, 2), idat, iend}), "invalid picture size 0x2"},
        {PngFile({Ihdr(8193, 1, 8, 2), idat, iend}), "picture of 8193x1 is larger than 8192x8192"},
        {badCrc, "CRC error in the IDAT chunk at byte 33"},
        {PngFile({idat, Ihdr(1, 2, 8, 2), iend}), "the first chunk is IDAT, not IHDR"},
        {PngFile({Ihdr(1, 2, 8, 2), Ihdr(1, 2, 8, 2), idat, iend}), "a second IHDR"},
        {PngFile({Chunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 2, 8, 2, 0, 0}), idat, iend}), "IHDR chunk of 12 bytes"},
        {PngFile({Ihdr(1, 2, 8, 2), iend}), "no image data"},
        {PngFile({Ihdr(1, 2, 8, 2), idat}), "ends before its IEND chunk"},
        {PngFile({Ihdr(1, 2, 8, 2), Chunk("IDAT", Stored({0, 1, 2, 3})), iend}), "image data ends early (4 of 8 bytes)"},
        {PngFile({Ihdr(1, 2, 8, 2), Chunk("IDAT", Stored({0, 1, 2, 3, 0, 4, 5, 6, 0})), iend}), "more image data"},
        {PngFile({Ihdr(1, 2, 8, 2), Chunk("IDAT", badZlib), iend}), "corrupt image data"},
        {PngFile({Ihdr(1, 2, 8, 2), Chunk("IDAT", {noAdler.begin(), noAdler.end() - 4}), iend}),
         "without the end of its compressed stream"},
        {PngFile({Ihdr(1, 2, 8, 2), Chunk("IDAT", Stored(badFilter)), iend}), "unknown row filter 5 in row 1"},
        {PngFile({Ihdr(1, 2, 8, 2), Chunk("IDAT", Stored({0, 1, 2, 3})), Chunk("tIME", {}), idat, iend}),
         "IDAT chunks that do not follow one another"},
        {PngFile({Ihdr(1, 2, 8, 2), Chunk("ABCD", {}), idat, iend}), "unknown critical chunk ABCD"},
        {PngFile({Ihdr(2, 1, 4, 3), idat, iend}), "palette picture without a PLTE chunk"},
        {PngFile({Ihdr(2, 1, 4, 3), Chunk("PLTE", {1, 2}), idat, iend}), "PLTE chunk of 2 bytes"},
        {PngFile({Ihdr(2, 1, 4, 3), plte, plte, idat, iend}), "a second PLTE chunk"},
        {PngFile({Ihdr(2, 1, 4, 3), Chunk("IDAT", Stored({0, 0})), plte, iend}), "palette picture without a PLTE"},
        // 8192 x 8192 RGB needs at least 192 KiB of deflate data
        {PngFile({Ihdr(8192, 8192, 8, 2), idat, iend}), "image data of 19 bytes is too short for a 8192x8192 picture"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(Decode(c.file, error).pixels.empty()) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << "expected \"" << c.message << "\", got \"" << error << "\"";
    }
}

}  // namespace
