// The stand-in's coverage rule and its reports of state it does not model,
// worked out by hand: pixel centres at +0.5, top/left edges inclusive, 565 by
// truncation while dithering is off. Everything else it draws is pinned by the
// golden frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "glide_api.h"
#include "standin.h"

namespace {

constexpr std::uint16_t C565(int r5, int g6, int b5) { return static_cast<std::uint16_t>((r5 << 11) | (g6 << 5) | b5); }

GrVertex V(float x, float y, float r = 255, float g = 255, float b = 255, float a = 255) {
    GrVertex v{};
    v.x = x, v.y = y, v.r = r, v.g = g, v.b = b, v.a = a, v.oow = 1;
    return v;
}

class Raster : public ::testing::Test {
protected:
    void SetUp() override {
        standinReset();
        standinSetValidation(0);  // Glide driven directly, outside a session
        ASSERT_EQ(grSstWinOpen(0, GR_RESOLUTION_320x200, 0, 0, 0, 2, 1), 1);
        grDitherMode(0);
    }
    void TearDown() override {
        EXPECT_EQ(standinErrorCount(), 0) << (standinErrorCount() ? standinErrorText(0) : "");
        standinReset();
    }
    static std::vector<std::uint16_t> Pixels() {
        std::vector<std::uint16_t> pixels(320 * 200);
        standinReadColorBuffer(GR_BUFFER_BACKBUFFER, pixels.data(), static_cast<int>(pixels.size()));
        return pixels;
    }
    // The top-left w x h pixels: '#' where the pixel is not black.
    static std::vector<std::string> Grid(int w, int h) {
        const std::vector<std::uint16_t> pixels = Pixels();
        std::vector<std::string> rows;
        for (int y = 0; y < h; ++y) {
            std::string row;
            for (int x = 0; x < w; ++x) row += pixels[static_cast<std::size_t>(y * 320 + x)] == 0 ? '.' : '#';
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(Raster, CoverageOfASmallTriangle) {
    // (1,1) (7,1) (1,7): centres with x >= 1, y >= 1 and x + y < 8 (the
    // hypotenuse is a right edge: (1,6) and (2,5) have x + y = 8 and stay out).
    const GrVertex a = V(1, 1), b = V(7, 1), c = V(1, 7);
    grDrawTriangle(&a, &b, &c);
    const std::vector<std::string> expected = {"........", ".#####..", ".####...", ".###....",
                                               ".##.....", ".#......", "........", "........"};
    EXPECT_EQ(Grid(8, 8), expected);
}

// Horizontal edges through pixel centres (y 1.5 and 7.5): a centre on a top
// edge is drawn, one on a bottom edge is not. The two triangles share the
// diagonal from (1, 1.5) to (7, 7.5) and split the square between them; no
// centre lies on the diagonal (its centres differ by whole numbers, the
// diagonal by 0.5). Row 1 belongs to the upper triangle's top edge; row 7 to
// neither (it is the bottom edge of the lower one), in either winding.
TEST_F(Raster, CentresOnAHorizontalEdgeBelongToTheTriangleBelowIt) {
    const struct {
        GrVertex a, b, c;
        std::vector<std::string> expected;
    } cases[] = {
        {V(1, 1.5f), V(7, 1.5f), V(1, 7.5f),  // flat top: x >= 1, y >= 1.5, x + y < 8.5
         {"........", ".######.", ".#####..", ".####...", ".###....", ".##.....", ".#......", "........"}},
        {V(1, 1.5f), V(1, 7.5f), V(7, 1.5f),  // the same, wound the other way
         {"........", ".######.", ".#####..", ".####...", ".###....", ".##.....", ".#......", "........"}},
        {V(1, 1.5f), V(7, 7.5f), V(1, 7.5f),  // flat bottom: x >= 1, y < 7.5, y > x + 0.5
         {"........", "........", ".#......", ".##.....", ".###....", ".####...", ".#####..", "........"}},
        {V(1, 1.5f), V(1, 7.5f), V(7, 7.5f),
         {"........", "........", ".#......", ".##.....", ".###....", ".####...", ".#####..", "........"}},
    };
    for (const auto& c : cases) {
        grBufferClear(0, 0, 0);
        grDrawTriangle(&c.a, &c.b, &c.c);
        EXPECT_EQ(Grid(8, 8), c.expected);
    }
}

// Row 0 of a triangle over the whole window whose value rises along x only:
// (0, 0) and (0, 200) at the low end, (320, 0) at the high end. Pixel x's
// centre is x + 0.5, so the value there is low + (high - low) (x + 0.5) / 320.
TEST_F(Raster, ValuesChangingAlongARowAreSteppedEveryPixel) {
    // Red from 7.96875 to 8.03125 (4096ths 32640 and 32896): 0.8 of a 4096th
    // a pixel, less than one whole step. It reaches 8 (32768) where
    // 256 (x + 0.5) / 320 >= 128, at x = 160; 565 red is r >> 3.
    {
        const GrVertex a = V(0, 0, 7.96875f, 0, 0), b = V(320, 0, 8.03125f, 0, 0), c = V(0, 200, 7.96875f, 0, 0);
        grDrawTriangle(&a, &b, &c);
        const std::vector<std::uint16_t> pixels = Pixels();
        EXPECT_EQ(pixels[0], 0);
        EXPECT_EQ(pixels[159], 0);
        EXPECT_EQ(pixels[160], C565(1, 0, 0));
        EXPECT_EQ(pixels[300], C565(1, 0, 0));
    }
    // Depth from 0 to 65535 (1048560 sixteenths) read as the alpha unit's
    // local input (its top 8 bits), which the colour unit outputs
    // (LOCAL_ALPHA): at x = 160 the depth is 1048560 * 160.5 / 320 / 16 =
    // 32869, whose top bits are 128; at x = 0 it is 102, top bits 0.
    {
        grBufferClear(0, 0, 0);
        grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_DEPTH,
                       GR_COMBINE_OTHER_CONSTANT, 0);
        grColorCombine(GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_ITERATED, 0);
        GrVertex a = V(0, 0), b = V(320, 0), c = V(0, 200);
        a.ooz = 0, b.ooz = 65535, c.ooz = 0;
        grDrawTriangle(&a, &b, &c);
        const std::vector<std::uint16_t> pixels = Pixels();
        EXPECT_EQ(pixels[0], 0);
        EXPECT_EQ(pixels[160], C565(128 >> 3, 128 >> 2, 128 >> 3));
    }
}

TEST_F(Raster, StateTheModelLacksIsReportedAndDrawnAsZero) {
    // Colour factor 5 (TEXTURE_RGB) draws as ZERO: (200 * 1) >> 8 = 0.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_TEXTURE_RGB, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_ITERATED, 0);
    grBufferClear(0x00FFFFFFu, 0, 0);
    const GrVertex a = V(0, 0, 200, 200, 200), b = V(4, 0, 200, 200, 200), c = V(0, 4, 200, 200, 200);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(Pixels()[0], 0);
    ASSERT_EQ(standinErrorCount(), 1);
    EXPECT_NE(std::string(standinErrorText(0)).find("grDrawTriangle: not modelled: colour combine factor 5"),
              std::string::npos)
        << standinErrorText(0);
    // A reserved blend factor (8) also draws as ZERO: one report per call.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_ITERATED, 0);
    grAlphaBlendFunction(8, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    grBufferClear(0x00204080u, 0, 0);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(Pixels()[0], C565(4, 16, 16));  // the destination alone
    EXPECT_EQ(standinErrorCount(), 2);
    standinClearErrors();
}

}  // namespace
