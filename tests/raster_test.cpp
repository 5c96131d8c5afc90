// The stand-in's drawing: coverage, culling, fans, lines, iterated colour,
// texturing, chroma key, combine units, blending and dithering. Every
// expected pixel is worked out by hand in the comments from the chip's rules:
// pixel centres at +0.5, top/left edges inclusive, combine and blend terms
// (v * (m + 1)) >> 8, 565 by truncation while dithering is off.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "glide_api.h"
#include "standin.h"
#include "state.h"

namespace {

constexpr std::uint16_t C565(int r5, int g6, int b5) { return static_cast<std::uint16_t>((r5 << 11) | (g6 << 5) | b5); }

GrVertex V(float x, float y, float r = 255, float g = 255, float b = 255, float a = 255) {
    GrVertex v{};
    v.x = x, v.y = y, v.r = r, v.g = g, v.b = b, v.a = a, v.oow = 1;
    return v;
}

GrVertex T(float x, float y, float s, float t, float oow = 1) {
    GrVertex v = V(x, y);
    v.oow = oow;
    v.tmuvtx[0] = {s * oow, t * oow, oow};
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

    static std::uint16_t Pixel(int x, int y, int buffer = GR_BUFFER_BACKBUFFER) {
        std::vector<std::uint16_t> pixels(320 * 200);
        standinReadColorBuffer(buffer, pixels.data(), static_cast<int>(pixels.size()));
        return pixels[static_cast<std::size_t>(y * 320 + x)];
    }

    // The top-left w x h pixels: '#' where the pixel differs from `background`.
    static std::vector<std::string> Grid(int w, int h, std::uint16_t background = 0) {
        std::vector<std::uint16_t> pixels(320 * 200);
        standinReadColorBuffer(GR_BUFFER_BACKBUFFER, pixels.data(), static_cast<int>(pixels.size()));
        std::vector<std::string> rows;
        for (int y = 0; y < h; ++y) {
            std::string row;
            for (int x = 0; x < w; ++x) row += pixels[static_cast<std::size_t>(y * 320 + x)] == background ? '.' : '#';
            rows.push_back(row);
        }
        return rows;
    }

    // Every pixel of the buffer that is not 0, as a count.
    static int Drawn() {
        std::vector<std::uint16_t> pixels(320 * 200);
        standinReadColorBuffer(GR_BUFFER_BACKBUFFER, pixels.data(), static_cast<int>(pixels.size()));
        int n = 0;
        for (std::uint16_t p : pixels) n += p != 0;
        return n;
    }

    // A clockwise rectangle as one polygon.
    static void Rect(GrVertex a, GrVertex b, GrVertex c, GrVertex d) {
        const GrVertex list[4] = {a, b, c, d};
        grDrawPolygonVertexList(4, list);
    }

    // Downloads one level at address 0 of TMU 0, selects it, and sets TMU 0
    // to pass its texel and the colour unit to show it.
    static void Texture(FxI32 lod, FxI32 aspect, FxI32 format, const std::vector<std::uint16_t>& texels) {
        grTexDownloadMipMapLevel(0, 0, lod, lod, aspect, format, GR_MIPMAPLEVELMASK_BOTH, texels.data());
        GrTexInfo info{lod, lod, aspect, format, nullptr};
        grTexSource(0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
        grTexCombine(0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_LOCAL,
                     GR_COMBINE_FACTOR_ZERO, 0, 0);
        grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_TEXTURE, 0);
    }
};

// ---------------------------------------------------------------------------
// Coverage.

TEST_F(Raster, CoverageOfASmallTriangle) {
    // (1,1) (7,1) (1,7): centres with x >= 1, y >= 1 and x + y < 8 (the
    // hypotenuse is a right edge: (1,6) and (2,5) have x + y = 8 and stay out).
    const GrVertex a = V(1, 1), b = V(7, 1), c = V(1, 7);
    grDrawTriangle(&a, &b, &c);
    const std::vector<std::string> expected = {"........", ".#####..", ".####...", ".###....",
                                               ".##.....", ".#......", "........", "........"};
    EXPECT_EQ(Grid(8, 8), expected);
    EXPECT_EQ(Drawn(), 15);
}

TEST_F(Raster, TrianglesSharingAnEdgeCoverEachPixelOnce) {
    // A square with corners on pixel centres, cut along its diagonal. The
    // diagonal is a left edge of the upper triangle (its centres are drawn
    // there) and a right edge of the lower one; the top row and left column
    // are in, the right column and bottom row out.
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    const GrVertex tl = V(0.5f, 0.5f, 64, 0, 0), tr = V(4.5f, 0.5f, 64, 0, 0), br = V(4.5f, 4.5f, 64, 0, 0),
                   bl = V(0.5f, 4.5f, 64, 0, 0);
    grDrawTriangle(&tl, &tr, &br);
    const std::vector<std::string> upper = {"####..", ".###..", "..##..", "...#..", "......"};
    EXPECT_EQ(Grid(6, 5), upper);
    grDrawTriangle(&tl, &br, &bl);
    const std::vector<std::string> square = {"####..", "####..", "####..", "####..", "......"};
    EXPECT_EQ(Grid(6, 5), square);
    // Added once each: red 64 >> 3 = 8 (twice would be 16).
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) ASSERT_EQ(Pixel(x, y), C565(8, 0, 0)) << x << "," << y;
    }
}

TEST_F(Raster, SnapOffsetAndWrapChangeNothing) {
    // x * 16 keeps its low 16 bits: + 786432 (3 << 18) and + 4096 vanish.
    const GrVertex a = V(1.5f, 1.25f), b = V(7, 2.0625f), c = V(2, 6.5f);
    grDrawTriangle(&a, &b, &c);
    const std::vector<std::string> plain = Grid(8, 8);
    EXPECT_GT(Drawn(), 10);
    for (float offset : {786432.0f, 4096.0f}) {
        grBufferClear(0, 0, 0);
        const GrVertex sa = V(a.x + offset, a.y + offset), sb = V(b.x + offset, b.y + offset),
                       sc = V(c.x + offset, c.y + offset);
        grDrawTriangle(&sa, &sb, &sc);
        EXPECT_EQ(Grid(8, 8), plain) << offset;
    }
}

TEST_F(Raster, CullingBySignedArea) {
    // (1,1) (1,7) (7,1): area 0*0 - 6*6 = -36, counter-clockwise on screen.
    const GrVertex a = V(1, 1), b = V(1, 7), c = V(7, 1);
    grCullMode(GR_CULL_NEGATIVE);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(Drawn(), 0);
    grCullMode(GR_CULL_POSITIVE);
    grDrawTriangle(&a, &c, &b);  // area +36
    EXPECT_EQ(Drawn(), 0);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(Drawn(), 15);  // the pixels of CoverageOfASmallTriangle
    grBufferClear(0, 0, 0);
    grCullMode(GR_CULL_DISABLE);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(Drawn(), 15);
    const GrVertex d = V(4, 4), e = V(7, 7);
    grBufferClear(0, 0, 0);
    grDrawTriangle(&a, &d, &e);  // on one line: area 0
    EXPECT_EQ(Drawn(), 0);
}

TEST_F(Raster, PolygonsAreFansCulledPerTriangle) {
    // Fan (v0 v1 v2) has area 4*4 - 4*0 = 16 and is drawn; (v0 v2 v3) has
    // 4*0 - 6*4 = -24 and is culled. The first covers centres with
    // x >= y (the diagonal is its left edge), y >= 1, x < 5.
    grCullMode(GR_CULL_NEGATIVE);
    const GrVertex list[4] = {V(1, 1), V(5, 1), V(5, 5), V(7, 1)};
    grDrawPolygonVertexList(4, list);
    const std::vector<std::string> fan = {"........", ".####...", "..###...", "...##...", "....#...", "........"};
    EXPECT_EQ(Grid(8, 6), fan);

    // grDrawPolygon through an index list (bottom-left, top-left, top-right,
    // bottom-right): both triangles positive, each pixel of the 5 x 4
    // rectangle added once.
    grBufferClear(0, 0, 0);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    const GrVertex quad[4] = {V(1, 1, 64, 0, 0), V(6, 1, 64, 0, 0), V(1, 5, 64, 0, 0), V(6, 5, 64, 0, 0)};
    const int order[4] = {2, 0, 1, 3};
    grDrawPolygon(4, order, quad);
    EXPECT_EQ(Drawn(), 20);
    for (int y = 1; y < 5; ++y) {
        for (int x = 1; x < 6; ++x) ASSERT_EQ(Pixel(x, y), C565(8, 0, 0)) << x << "," << y;
    }
}

TEST_F(Raster, LinesAreOnePixelWideWithoutTheLastPixel) {
    // Horizontal through centres: x in [1.5, 5.5) gives columns 1..4 of row 2.
    const GrVertex h0 = V(1.5f, 2.5f), h1 = V(5.5f, 2.5f);
    grCullMode(GR_CULL_NEGATIVE);  // lines are never culled
    grDrawLine(&h0, &h1);
    EXPECT_EQ(Grid(8, 4), (std::vector<std::string>{"........", "........", ".####...", "........"}));
    // Vertical: rows 1..3 of column 2.
    grBufferClear(0, 0, 0);
    const GrVertex v0 = V(2.5f, 1.5f), v1 = V(2.5f, 4.5f);
    grDrawLine(&v1, &v0);  // upwards: the same parallelogram
    EXPECT_EQ(Grid(5, 6), (std::vector<std::string>{".....", "..#..", "..#..", "..#..", ".....", "....."}));
    // (1.5,1.5) to (5.5,4.5): x-major, y = 1.5 + 0.75 (x - 1.5) +- 0.5.
    // Column 1: y 1.5 -> row 1; column 2: 2.25 -> row 2; column 3: 3.0, the
    // band [2.5, 3.5) has centre 2.5 on its upper (right) edge, out, and 3.5
    // on its lower (left) edge, in -> row 3; column 4: 3.75 -> row 3.
    grBufferClear(0, 0, 0);
    const GrVertex d0 = V(1.5f, 1.5f), d1 = V(5.5f, 4.5f);
    grDrawLine(&d0, &d1);
    EXPECT_EQ(Grid(7, 6),
              (std::vector<std::string>{".......", ".#.....", "..#....", "...##..", ".......", "......."}));
}

// ---------------------------------------------------------------------------
// Iterated colour.

TEST_F(Raster, FlatAndGradientColour) {
    // 200, 100, 40 -> 200 >> 3 = 25, 100 >> 2 = 25, 40 >> 3 = 5.
    const GrVertex a = V(0, 0, 200, 100, 40), b = V(4, 0, 200, 100, 40), c = V(0, 4, 200, 100, 40);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(Pixel(0, 0), C565(25, 25, 5));
    EXPECT_EQ(Pixel(1, 1), C565(25, 25, 5));
    // The same triangle into the front buffer.
    grRenderBuffer(GR_BUFFER_FRONTBUFFER);
    grBufferClear(0, 0, 0);
    const GrVertex far = V(10, 0, 200, 100, 40), far2 = V(14, 0, 200, 100, 40), far3 = V(10, 4, 200, 100, 40);
    grDrawTriangle(&far, &far2, &far3);
    EXPECT_EQ(Pixel(10, 0, GR_BUFFER_FRONTBUFFER), C565(25, 25, 5));
    EXPECT_EQ(Pixel(10, 0, GR_BUFFER_BACKBUFFER), 0);
    grRenderBuffer(GR_BUFFER_BACKBUFFER);

    // r = 16 x (0 at x 0, 256 at x 16), g = 8 y: at the centre of (px, py)
    // r = 16 px + 8 and g = 8 py + 4, so R5 = 2 px + 1 and G6 = 2 py + 1.
    grBufferClear(0, 0, 0);
    Rect(V(0, 0, 0, 0, 0), V(16, 0, 256, 0, 0), V(16, 8, 256, 64, 0), V(0, 8, 0, 64, 0));
    EXPECT_EQ(Drawn(), 16 * 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) ASSERT_EQ(Pixel(x, y), C565(2 * x + 1, 2 * y + 1, 0)) << x << "," << y;
    }
}

TEST_F(Raster, CombineFunctions) {
    // Iterated (200, 100, 40) with alpha 128; constant ARGB 0x604080C0: a 96,
    // r 64, g 128, b 192. Alpha unit: local = constant 96, other = iterated 128.
    grConstantColorValue(0x604080C0u);
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_ITERATED, 0);
    struct Case {
        FxI32 function, factor, local, other, invert;
        std::uint16_t expected;
    };
    const Case cases[] = {
        // BLEND, LOCAL_ALPHA: (other - local) * 97 >> 8 + local:
        // 136 -> 51 + 64 = 115; -28 -> -11 + 128 = 117; -152 -> -58 + 192 = 134.
        {7, GR_COMBINE_FACTOR_LOCAL_ALPHA, 1, 0, 0, C565(115 >> 3, 117 >> 2, 134 >> 3)},
        // 9, ONE_MINUS_OTHER_ALPHA (m 127): -local * 128 >> 8 + local = 32, 64, 96.
        {9, GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA, 1, 0, 0, C565(32 >> 3, 64 >> 2, 96 >> 3)},
        // SCALE_OTHER_ADD_LOCAL, LOCAL per channel, inverted:
        // 200*65>>8 = 50 + 64 = 114; 100*129>>8 = 50 + 128 = 178; 40*193>>8 = 30 + 192 = 222; 255 - x.
        {4, GR_COMBINE_FACTOR_LOCAL, 1, 0, 1, C565(141 >> 3, 77 >> 2, 33 >> 3)},
        // SCALE_OTHER_MINUS_LOCAL, ONE: constant - iterated = -136 -> 0, 28, 152.
        {6, GR_COMBINE_FACTOR_ONE, 0, 2, 0, C565(0, 28 >> 2, 152 >> 3)},
        // LOCAL_ALPHA: a_local 96 in every channel.
        {2, GR_COMBINE_FACTOR_ZERO, 1, 0, 0, C565(96 >> 3, 96 >> 2, 96 >> 3)},
    };
    int x = 0;
    for (const Case& c : cases) {
        grColorCombine(c.function, c.factor, c.local, c.other, c.invert);
        Rect(V(x, 0, 200, 100, 40, 128), V(x + 2, 0, 200, 100, 40, 128), V(x + 2, 2, 200, 100, 40, 128),
             V(x, 2, 200, 100, 40, 128));
        EXPECT_EQ(Pixel(x, 0), c.expected) << "function " << c.function;
        x += 2;
    }
    // Alpha unit BLEND, OTHER_ALPHA: (128 - 96) * 129 >> 8 + 96 = 112; shown
    // through (SRC_ALPHA, ZERO): constant colour * 113 >> 8 = 28, 56, 84.
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_CONSTANT, 0);
    grAlphaCombine(7, GR_COMBINE_FACTOR_OTHER_ALPHA, GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_ITERATED, 0);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    Rect(V(20, 0, 0, 0, 0, 128), V(22, 0, 0, 0, 0, 128), V(22, 2, 0, 0, 0, 128), V(20, 2, 0, 0, 0, 128));
    EXPECT_EQ(Pixel(20, 0), C565(28 >> 3, 56 >> 2, 84 >> 3));
}

// ---------------------------------------------------------------------------
// Blending: the plug-in's five combine and blend states over a background
// cleared to ARGB 0x00402010 = 565 (8, 8, 2), which reads back as 66, 32, 16.

class Blend : public Raster {
protected:
    void SetUp() override {
        Raster::SetUp();
        grBufferClear(0x00402010u, 0, 0);
        // A 1 x 1 ARGB 1555 texture: alpha 1, R 20, G 10, B 5 -> 165, 82, 41.
        Texture(GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, {0xD145});
    }
    static std::uint16_t DrawWith(FxI32 cf, FxI32 cfac, FxI32 cl, FxI32 co, FxI32 af, FxI32 afac, FxI32 al,
                                  FxI32 ao, FxI32 src, FxI32 dst, float c, float a) {
        grBufferClear(0x00402010u, 0, 0);
        grColorCombine(cf, cfac, cl, co, 0);
        grAlphaCombine(af, afac, al, ao, 0);
        grAlphaBlendFunction(src, dst, GR_BLEND_ONE, GR_BLEND_ZERO);
        Rect(V(0, 0, c, c, c, a), V(2, 0, c, c, c, a), V(2, 2, c, c, c, a), V(0, 2, c, c, c, a));
        return Pixel(1, 1);
    }
};

TEST_F(Blend, UntexturedModeOne) {
    // Colour (3,1,0,0,0): c * (c + 1) >> 8 of iterated 200, 100, 40 = 157, 39, 6.
    // Alpha (1,0,1,2,0): the constant's 192. Blend (1,1,4,0), both factors
    // SRC_ALPHA: 157 * 193 >> 8 = 118, 29, 4 plus 66, 32, 16 * 193 >> 8 =
    // 49, 24, 12.
    grConstantColorValue(0xC0FFFFFFu);
    grColorCombine(3, 1, 0, 0, 0);
    grAlphaCombine(1, 0, 1, 2, 0);
    grAlphaBlendFunction(1, 1, 4, 0);
    const auto draw = [] {
        Rect(V(0, 0, 200, 100, 40), V(2, 0, 200, 100, 40), V(2, 2, 200, 100, 40), V(0, 2, 200, 100, 40));
        return Pixel(1, 1);
    };
    EXPECT_EQ(draw(), C565(167 >> 3, 53 >> 2, 16 >> 3));
    // Additive (SRC_ALPHA, ONE) with alpha 128: 79, 19, 3 plus 66, 32, 16.
    grBufferClear(0x00402010u, 0, 0);
    grConstantColorValue(0x80FFFFFFu);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    EXPECT_EQ(draw(), C565(145 >> 3, 51 >> 2, 19 >> 3));
}

TEST_F(Blend, UntexturedMix) {
    // Colour 157, 39, 6 as above; alpha (3,8,1,0,0): iterated 128.
    // (SRC_ALPHA, ONE_MINUS_SRC_ALPHA): 79, 19, 3 plus dst * 128 >> 8 = 33, 16, 8.
    grColorCombine(3, 1, 0, 0, 0);
    grAlphaCombine(3, 8, 1, 0, 0);
    grAlphaBlendFunction(1, 5, 4, 0);
    Rect(V(0, 0, 200, 100, 40, 128), V(2, 0, 200, 100, 40, 128), V(2, 2, 200, 100, 40, 128),
         V(0, 2, 200, 100, 40, 128));
    EXPECT_EQ(Pixel(1, 1), C565(112 >> 3, 35 >> 2, 11 >> 3));
}

TEST_F(Blend, TexturedModeOne) {
    // Colour (3,1,0,1,0): texel * (128 + 1) >> 8 = 83, 41, 20; constant alpha
    // 128, both factors SRC_ALPHA (* 129 >> 8): 41, 20, 10 plus 33, 16, 8.
    grConstantColorValue(0x80FFFFFFu);
    EXPECT_EQ(DrawWith(3, 1, 0, 1, 1, 0, 1, 2, 1, 1, 128, 255), C565(74 >> 3, 36 >> 2, 18 >> 3));
}

TEST_F(Blend, TexturedModeTwo) {
    // Colour (3,9,0,1,0): texel * (256 - 64) >> 8 = 123, 61, 30. Alpha
    // (3,9,0,0,0): 128 * (256 - 128) >> 8 = 64. Mix: * 65 >> 8 = 31, 15, 7
    // plus dst * 192 >> 8 = 49, 24, 12.
    EXPECT_EQ(DrawWith(3, 9, 0, 1, 3, 9, 0, 0, 1, 5, 64, 128), C565(80 >> 3, 39 >> 2, 19 >> 3));
}

TEST_F(Blend, TexturedOpaque) {
    // Colour (3,1,0,1,0) with iterated 255: the texel 165, 82, 41. Alpha
    // (3,8,1,0,0) iterated 255: the source alone; with 128: * 129 >> 8 =
    // 83, 41, 20 plus dst * 128 >> 8 = 33, 16, 8.
    EXPECT_EQ(DrawWith(3, 1, 0, 1, 3, 8, 1, 0, 1, 5, 255, 255), C565(165 >> 3, 82 >> 2, 41 >> 3));
    EXPECT_EQ(DrawWith(3, 1, 0, 1, 3, 8, 1, 0, 1, 5, 255, 128), C565(116 >> 3, 57 >> 2, 28 >> 3));
}

// ---------------------------------------------------------------------------
// Texturing.

TEST_F(Raster, ChromaKeySkipsBlackTexelsAndIteratedBlack) {
    // 2 x 2 texels (LOD_2: 128 s units each) over 8 x 8 pixels: black alpha 0,
    // red, black with alpha (0x8000), green. Background blue.
    grBufferClear(0x000000FFu, 0, 0);
    Texture(GR_LOD_2, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, {0x0000, 0xFC00, 0x8000, 0x83E0});
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    grChromakeyValue(0);
    Rect(T(0, 0, 0, 0), T(8, 0, 256, 0), T(8, 8, 256, 256), T(0, 8, 0, 256));
    const std::uint16_t blue = C565(0, 0, 31);
    EXPECT_EQ(Pixel(1, 1), blue);
    EXPECT_EQ(Pixel(5, 1), C565(31, 0, 0));
    EXPECT_EQ(Pixel(1, 5), blue);
    EXPECT_EQ(Pixel(5, 5), C565(0, 63, 0));
    // Key red: the black texels are drawn, the red one is not.
    grChromakeyValue(0x00FF0000u);
    grBufferClear(0x000000FFu, 0, 0);
    Rect(T(0, 0, 0, 0), T(8, 0, 256, 0), T(8, 8, 256, 256), T(0, 8, 0, 256));
    EXPECT_EQ(Pixel(5, 1), blue);
    EXPECT_EQ(Pixel(1, 1), 0);
    EXPECT_EQ(Pixel(1, 5), 0);
    EXPECT_EQ(Pixel(5, 5), C565(0, 63, 0));
    // Untextured: the colour unit's other input is the iterated colour.
    grChromakeyValue(0);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_ITERATED, 0);
    Rect(V(10, 0, 0, 0, 0), V(12, 0, 0, 0, 0), V(12, 2, 0, 0, 0), V(10, 2, 0, 0, 0));
    EXPECT_EQ(Pixel(11, 1), blue);
    Rect(V(10, 0, 8, 0, 0), V(12, 0, 8, 0, 0), V(12, 2, 8, 0, 0), V(10, 2, 8, 0, 0));
    EXPECT_EQ(Pixel(11, 1), C565(1, 0, 0));
}

TEST_F(Raster, PointSamplingClampAndWrap) {
    // Red, blue / green, white. s at the centre of column x is 32 x + 16:
    // texel floor(s / 128), so columns 0..3 take texel 0 and 4..7 texel 1.
    Texture(GR_LOD_2, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, {0xFC00, 0x801F, 0x83E0, 0xFFFF});
    Rect(T(0, 0, 0, 0), T(8, 0, 256, 0), T(8, 8, 256, 256), T(0, 8, 0, 256));
    EXPECT_EQ(Pixel(0, 0), C565(31, 0, 0));
    EXPECT_EQ(Pixel(3, 3), C565(31, 0, 0));
    EXPECT_EQ(Pixel(4, 3), C565(0, 0, 31));
    EXPECT_EQ(Pixel(3, 4), C565(0, 63, 0));
    EXPECT_EQ(Pixel(7, 7), 0xFFFF);
    // s from -128 to 384 on row 0 (t 64): 64 x - 96 = -96, -32, 32, 96, 160,
    // 224, 288, 352: texels -1 -1 0 0 1 1 2 2.
    const std::uint16_t r = C565(31, 0, 0), b = C565(0, 0, 31);
    const auto row = [&] {
        Rect(T(0, 10, -128, 64), T(8, 10, 384, 64), T(8, 11, 384, 64), T(0, 11, -128, 64));
        std::vector<std::uint16_t> out;
        for (int x = 0; x < 8; ++x) out.push_back(Pixel(x, 10));
        return out;
    };
    EXPECT_EQ(row(), (std::vector<std::uint16_t>{r, r, r, r, b, b, b, b}));  // clamp
    grTexClampMode(0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    EXPECT_EQ(row(), (std::vector<std::uint16_t>{b, b, r, r, b, b, r, r}));  // -1 & 1 = 1, 2 & 1 = 0
}

TEST_F(Raster, BilinearBlendsAndTheFilterFollowsMagnification) {
    // Red, blue in both rows; t 64 is the centre of row 0 (no vertical mix).
    // s = 32 x at the centre of column x; minus half a texel (64), in texels
    // of 128: column 4 is (128 - 64) / 128 = 0.5 -> fraction 8 -> 127, 0, 127.
    Texture(GR_LOD_2, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, {0xFC00, 0x801F, 0xFC00, 0x801F});
    grTexFilterMode(0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_BILINEAR);
    Rect(T(0, 0, -16, 64), T(8, 0, 240, 64), T(8, 1, 240, 64), T(0, 1, -16, 64));
    EXPECT_EQ(Pixel(4, 0), C565(127 >> 3, 0, 127 >> 3));
    EXPECT_EQ(Pixel(2, 0), C565(31, 0, 0));
    EXPECT_EQ(Pixel(6, 0), C565(0, 0, 31));
    // Column 3: fraction 4: red 255 * 192 >> 8 = 191, blue 255 * 64 >> 8 = 63.
    EXPECT_EQ(Pixel(3, 0), C565(191 >> 3, 0, 63 >> 3));
    // Column 0: s 0 lies half a texel left of texel 0's centre; clamped, both
    // texels are texel 0.
    EXPECT_EQ(Pixel(0, 0), C565(31, 0, 0));
    // 256 s units per pixel is two texels a pixel: minified, point-sampled.
    // Column 0: s 128 -> texel 1 (blue), not the even mix.
    Rect(T(0, 4, 0, 64), T(2, 4, 512, 64), T(2, 5, 512, 64), T(0, 5, 0, 64));
    EXPECT_EQ(Pixel(0, 4), C565(0, 0, 31));
}

TEST_F(Raster, WideMapTakesTUpTo128) {
    // 256 x 128 (LOD_256, aspect 2x1); texel (x, y) holds R = y >> 2, B = x >> 3.
    // t 0..128 down 8 rows: t = 16 y + 8 -> R = 4 y + 2; s = 32 x + 16 -> B = 4 x + 2.
    std::vector<std::uint16_t> texels(256 * 128);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 256; ++x) texels[static_cast<std::size_t>(y * 256 + x)] = 0x8000 | ((y >> 2) << 10) | (x >> 3);
    }
    Texture(GR_LOD_256, GR_ASPECT_2x1, GR_TEXFMT_ARGB_1555, texels);
    Rect(T(0, 0, 0, 0), T(8, 0, 256, 0), T(8, 8, 256, 128), T(0, 8, 0, 128));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) ASSERT_EQ(Pixel(x, y), C565(4 * y + 2, 0, 4 * x + 2)) << x << "," << y;
    }
}

TEST_F(Raster, TextureCoordinatesArePerspectiveCorrect) {
    // 8 x 1 texels (LOD_8: 32 s units each), texel i with R = i. oow 1 at
    // x 0 (s 0), 0.25 at x 8 (s 256): at l = (x + 0.5) / 8 of the way,
    // s = 64 l / (1 - 0.75 l) = 4.2, 14.0, 26.1, 41.7, 62.3, 90.8, 133.1, 202.1.
    std::vector<std::uint16_t> texels;
    for (int i = 0; i < 8; ++i) texels.push_back(static_cast<std::uint16_t>(0x8000 | (i << 10)));
    Texture(GR_LOD_8, GR_ASPECT_8x1, GR_TEXFMT_ARGB_1555, texels);
    Rect(T(0, 0, 0, 0), T(8, 0, 256, 0, 0.25f), T(8, 2, 256, 0, 0.25f), T(0, 2, 0, 0));
    const int expected[8] = {0, 0, 0, 1, 1, 2, 4, 6};  // linear would be 0..7
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(x, 1), C565(expected[x], 0, 0)) << x;
}

TEST_F(Raster, TexelFormatsAndTheTextureCombine) {
    // RGB 565 (16, 33, 8) expands to 132, 134, 66 and truncates back.
    Texture(GR_LOD_1, GR_ASPECT_1x1, 0xA, {0x8428});
    Rect(T(0, 0, 0, 0), T(2, 0, 0, 0), T(2, 2, 0, 0), T(0, 2, 0, 0));
    EXPECT_EQ(Pixel(0, 0), 0x8428);
    // TMU combine ZERO (its state after grSstWinOpen) gives black.
    grTexCombine(0, GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_ZERO,
                 GR_COMBINE_FACTOR_ZERO, 0, 0);
    grBufferClear(0x00FFFFFFu, 0, 0);
    Rect(T(0, 0, 0, 0), T(2, 0, 0, 0), T(2, 2, 0, 0), T(0, 2, 0, 0));
    EXPECT_EQ(Pixel(0, 0), 0);
    // ARGB 4444 0x8C53: a 0x88 = 136, r 0xCC, g 0x55, b 0x33. Alpha from the
    // texture, (SRC_ALPHA, ZERO): * 137 >> 8 = 109, 45, 27.
    Texture(GR_LOD_1, GR_ASPECT_1x1, 0xC, {0x8C53});
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_TEXTURE, 0);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    Rect(T(0, 0, 0, 0), T(2, 0, 0, 0), T(2, 2, 0, 0), T(0, 2, 0, 0));
    EXPECT_EQ(Pixel(0, 0), C565(109 >> 3, 45 >> 2, 27 >> 3));
}

// ---------------------------------------------------------------------------
// Dithering, LFB writes, state the model lacks.

TEST_F(Raster, DitherOffAndFourByFour) {
    standinReset();
    standinSetValidation(0);
    ASSERT_EQ(grSstWinOpen(0, GR_RESOLUTION_320x200, 0, 0, 0, 2, 1), 1);
    GrState block;
    grGlideGetState(&block);
    StandinRenderState s;
    std::memcpy(&s, block.pad, sizeof s);
    EXPECT_EQ(s.ditherMode, 2);  // 4x4 after grSstWinOpen
    // 128 grey: R,B = (256 - 8 + 1 + d) >> 4 = 15 for d <= 6, else 16;
    // G = (512 - 8 + 2 + d) >> 4 = 31 for d <= 5, else 32.
    // d at (0,0) 0, (1,0) 8, (3,1) 6.
    Rect(V(0, 0, 128, 128, 128), V(4, 0, 128, 128, 128), V(4, 4, 128, 128, 128), V(0, 4, 128, 128, 128));
    EXPECT_EQ(Pixel(0, 0), C565(15, 31, 15));
    EXPECT_EQ(Pixel(1, 0), C565(16, 32, 16));
    EXPECT_EQ(Pixel(3, 1), C565(15, 32, 15));
    // 2x2 (the stand-in's matrix 2 10 / 14 6): d 2 at (0,0), 10 at (1,0).
    grDitherMode(1);
    Rect(V(0, 0, 128, 128, 128), V(4, 0, 128, 128, 128), V(4, 4, 128, 128, 128), V(0, 4, 128, 128, 128));
    EXPECT_EQ(Pixel(0, 0), C565(15, 31, 15));
    EXPECT_EQ(Pixel(1, 0), C565(16, 32, 16));
    grDitherMode(0);  // truncation: 16, 32, 16 everywhere
    Rect(V(0, 0, 128, 128, 128), V(4, 0, 128, 128, 128), V(4, 4, 128, 128, 128), V(0, 4, 128, 128, 128));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) ASSERT_EQ(Pixel(x, y), C565(16, 32, 16));
    }
}

TEST_F(Raster, LowerLeftOriginCountsRowsFromTheBottom) {
    standinReset();
    standinSetValidation(0);
    ASSERT_EQ(grSstWinOpen(0, GR_RESOLUTION_320x200, 0, 0, GR_ORIGIN_LOWER_LEFT, 2, 1), 1);
    grDitherMode(0);
    // Centres with x + y < 3 in window rows 0 and 1: (0,0) (1,0) (0,1).
    const GrVertex a = V(0, 0), b = V(3, 0), c = V(0, 3);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(Pixel(0, 199), 0xFFFF);
    EXPECT_EQ(Pixel(1, 199), 0xFFFF);
    EXPECT_EQ(Pixel(0, 198), 0xFFFF);
    EXPECT_EQ(Pixel(1, 198), 0);
    EXPECT_EQ(Drawn(), 3);
}

TEST_F(Raster, LfbWritesBypassThePixelPipeline) {
    // Chroma key on black, additive blending and dithering change nothing.
    grBufferClear(0x000000FFu, 0, 0);
    grDitherMode(2);
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    const std::uint16_t source[2] = {0x0000, 0x4210};  // black; 555 (16, 16, 16) -> 565 (16, 33, 16)
    EXPECT_EQ(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 3, 2, GR_LFB_SRC_FMT_555, 2, 1, 4, source), 1);
    EXPECT_EQ(Pixel(3, 2), 0);
    EXPECT_EQ(Pixel(4, 2), C565(16, 33, 16));
    EXPECT_EQ(Pixel(5, 2), C565(0, 0, 31));
}

TEST_F(Raster, StateTheModelLacksIsReportedAndDrawnAsZero) {
    // Colour factor 5 (TEXTURE_RGB) draws as ZERO: (200 * 1) >> 8 = 0.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_TEXTURE_RGB, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_ITERATED, 0);
    grBufferClear(0x00FFFFFFu, 0, 0);
    const GrVertex a = V(0, 0, 200, 200, 200), b = V(4, 0, 200, 200, 200), c = V(0, 4, 200, 200, 200);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(Pixel(0, 0), 0);
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
    EXPECT_EQ(Pixel(0, 0), C565(4, 16, 16));  // the destination alone
    EXPECT_EQ(standinErrorCount(), 2);
    standinClearErrors();
}

}  // namespace
