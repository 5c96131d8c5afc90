// The stand-in's fast drawing against its plain drawing: every specialised
// span against the general pixel path, and the band workers (2, 3 and 8)
// against drawing on the calling thread, on scenes that catch the faults of
// a banded rasteriser (triangles across band edges, blending order, LFB
// writes and texture downloads between draws).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "glide_api.h"
#include "standin.h"

namespace {

constexpr int kW = 320, kH = 200;

GrVertex V(float x, float y, float r, float g, float b, float a, float s = 0, float t = 0) {
    GrVertex v{};
    v.x = x, v.y = y, v.r = r, v.g = g, v.b = b, v.a = a, v.oow = 1;
    v.tmuvtx[0].sow = s, v.tmuvtx[0].tow = t, v.tmuvtx[0].oow = 1;
    return v;
}

// A 64 x 64 level with a keyed (all zero) texel in every 4 x 4 block; 8-bit
// formats take the low byte.
void Download(FxI32 format, int seed) {
    std::vector<std::uint16_t> texels(64 * 64);
    for (int i = 0; i < 64 * 64; ++i) {
        texels[i] = (i % 5 == 2) ? 0 : static_cast<std::uint16_t>((i * 2654435761u + seed * 40503u) >> 13);
    }
    const bool bytes = format < GR_TEXFMT_ARGB_8332;
    std::vector<std::uint8_t> packed(64 * 64);
    for (int i = 0; i < 64 * 64; ++i) packed[i] = static_cast<std::uint8_t>(texels[i]);
    grTexDownloadMipMapLevel(0, 0, GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1, format, 3,
                             bytes ? static_cast<const void*>(packed.data()) : texels.data());
    static GrTexInfo info;
    info = {GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1, format, nullptr};
    grTexSource(0, 0, 3, &info);
}

// A background with every 565 value class, so that blends read varied pixels.
void Background() {
    std::vector<std::uint16_t> pixels(kW * kH);
    for (int i = 0; i < kW * kH; ++i) pixels[i] = static_cast<std::uint16_t>(i * 40503u >> 3);
    grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, kW, kH, 2 * kW, pixels.data());
}

std::vector<std::uint16_t> Frame() {
    std::vector<std::uint16_t> pixels(kW * kH);
    standinReadColorBuffer(GR_BUFFER_BACKBUFFER, pixels.data(), kW * kH);
    return pixels;
}

void Open(FxI32 origin) {
    standinReset();
    standinSetValidation(0);
    ASSERT_EQ(grSstWinOpen(0, GR_RESOLUTION_320x200, 0, 0, origin, 2, 1), 1);
}

// --- specialised spans ----------------------------------------------------------

struct SpanCase {
    const char* name;
    FxI32 color[2], alpha[3], blend[2];  // combine function, factor (colour other: texture when textured)
    bool textured;
    FxI32 format, filter, clamp;
    bool key, flat;
    FxI32 origin;
};

// The plug-in's rows (and opaque forms of them), every filter, clamp, key
// and origin.
const SpanCase kSpanCases[] = {
    {"untextured alpha blend", {3, 1}, {3, 8, 1}, {1, 5}, false, 0, 0, 1, true, false, 0},
    {"untextured twice alpha", {3, 1}, {1, 0, 1}, {1, 1}, false, 0, 0, 1, true, false, 0},
    {"untextured flat opaque", {3, 1}, {3, 8, 1}, {4, 0}, false, 0, 0, 1, false, true, 0},
    {"untextured flat twice alpha", {3, 1}, {1, 0, 1}, {1, 1}, false, 0, 0, 1, true, true, 1},
    {"bilinear 565 alpha blend", {3, 1}, {3, 8, 1}, {1, 5}, true, GR_TEXFMT_RGB_565, 1, 1, true, false, 0},
    {"bilinear 1555 twice alpha", {3, 1}, {1, 0, 1}, {1, 1}, true, GR_TEXFMT_ARGB_1555, 1, 0, true, false, 0},
    {"bilinear 4444 one minus", {3, 9}, {3, 9, 0}, {1, 5}, true, GR_TEXFMT_ARGB_4444, 1, 1, true, false, 1},
    {"point 565 opaque", {3, 1}, {3, 8, 1}, {4, 0}, true, GR_TEXFMT_RGB_565, 0, 0, false, false, 0},
    {"point intensity flat", {3, 1}, {3, 8, 1}, {1, 5}, true, GR_TEXFMT_INTENSITY_8, 0, 1, true, true, 0},
    {"point 8332 one minus wrap", {3, 9}, {3, 9, 0}, {1, 5}, true, GR_TEXFMT_ARGB_8332, 0, 0, false, false, 1},
};

std::vector<std::uint16_t> DrawSpanCase(const SpanCase& c, bool specialised, int workers) {
    standinSetWorkers(workers);
    Open(c.origin);
    standinSetSpecialisedSpans(specialised ? 1 : 0);
    Background();
    grConstantColorValue(0x80FFFFFF);
    grColorCombine(c.color[0], c.color[1], 0, c.textured ? 1 : 0, 0);
    grAlphaCombine(c.alpha[0], c.alpha[1], c.alpha[2], c.alpha[0] == 1 ? 2 : 0, 0);  // LOCAL: other CONSTANT
    grAlphaBlendFunction(c.blend[0], c.blend[1], 4, 0);
    grChromakeyMode(c.key ? GR_CHROMAKEY_ENABLE : GR_CHROMAKEY_DISABLE);
    grChromakeyValue(0);
    if (c.textured) {
        grTexCombine(0, 1, 0, 1, 0, 0, 0);
        grTexFilterMode(0, c.filter, c.filter);
        grTexClampMode(0, c.clamp, c.clamp);
        Download(c.format, 1);
    }
    const auto shade = [&](float v) { return c.flat ? 150.0f : v; };
    // A large triangle magnified (and stretched past the map's edge), a small
    // one minified, a quad crossing the screen's edge.
    const GrVertex big[3] = {V(-5.5f, 3.25f, shade(250), shade(10), shade(90), shade(255), -20, -8),
                             V(300.75f, 20.5f, shade(0), shade(200), shade(30), shade(128), 90, 10),
                             V(40.25f, 190.5f, shade(128), shade(60), shade(255), shade(0), 10, 80)};
    grDrawPolygonVertexList(3, big);
    const GrVertex small[3] = {V(200, 100, shade(30), shade(40), shade(50), shade(200), 0, 0),
                               V(260, 110, shade(255), shade(255), shade(255), shade(100), 256, 0),
                               V(210, 170, shade(100), shade(0), shade(200), shade(50), 0, 256)};
    grDrawPolygonVertexList(3, small);
    const GrVertex quad[4] = {V(250, 150, shade(10), shade(20), shade(30), shade(40), 5, 5),
                              V(340, 150, shade(200), shade(100), shade(0), shade(255), 60, 5),
                              V(340, 210, shade(0), shade(255), shade(0), shade(90), 60, 60),
                              V(250, 210, shade(255), shade(0), shade(255), shade(180), 5, 60)};
    grDrawPolygonVertexList(4, quad);
    // The second half of the map, magnified: rows reach its last texel
    // column and row, where bilinear filtering must clamp or wrap.
    const GrVertex edge[4] = {V(150, 20, shade(90), shade(180), shade(30), shade(160), 128, 128),
                              V(214, 20, shade(200), shade(10), shade(120), shade(60), 256, 128),
                              V(214, 84, shade(20), shade(220), shade(250), shade(255), 256, 256),
                              V(150, 84, shade(250), shade(250), shade(0), shade(30), 128, 256)};
    grDrawPolygonVertexList(4, edge);
    std::vector<std::uint16_t> frame = Frame();
    grSstWinClose();
    standinSetWorkers(0);
    return frame;
}

TEST(Spans, EachSpecialisedSpanGivesTheGeneralPathsPixels) {
    for (const SpanCase& c : kSpanCases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint16_t> general = DrawSpanCase(c, false, 1);
        const std::vector<std::uint16_t> fast = DrawSpanCase(c, true, 1);
        int changed = 0, differ = 0;
        Open(c.origin);
        Background();
        const std::vector<std::uint16_t> background = Frame();
        for (std::size_t i = 0; i < general.size(); ++i) {
            changed += general[i] != background[i];
            differ += general[i] != fast[i];
        }
        EXPECT_GT(changed, 10000);  // the scene drew
        EXPECT_EQ(differ, 0);
    }
}

// --- bands ---------------------------------------------------------------------

using Scene = void (*)();

void Blended() {
    grColorCombine(3, 1, 0, 0, 0);
    grAlphaCombine(3, 8, 1, 0, 0);
    grAlphaBlendFunction(1, 5, 4, 0);
}

// A triangle from row 0 to row 199 with slanted edges: every band edge cuts it.
void AcrossBandEdges() {
    Blended();
    const GrVertex t[3] = {V(3.3f, 0, 255, 0, 0, 200), V(317.9f, 77.7f, 0, 255, 0, 90), V(100.1f, 199.9f, 0, 0, 255, 30)};
    grDrawPolygonVertexList(3, t);
}

// Overlapping blended draws, whose result depends on their order.
void BlendingOrder() {
    Blended();
    for (int i = 0; i < 40; ++i) {
        const float x = static_cast<float>(i * 7), y = static_cast<float>((i * 13) % 150);
        const GrVertex q[4] = {V(x, y, 255.0f - i * 6, i * 6.0f, 128, 100), V(x + 60, y, 20, 200, i * 5.0f, 160),
                               V(x + 60, y + 50, 200, 20, 50, 220), V(x, y + 50, 90, 90, 255, 60)};
        grDrawPolygonVertexList(4, q);
    }
}

// An LFB write between two draws: the first draw lies under it, the second
// blends over it.
void LfbWriteBetweenDraws() {
    AcrossBandEdges();
    std::vector<std::uint16_t> block(100 * 90, 0x7BEF);
    grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 50, 30, GR_LFB_SRC_FMT_565, 100, 90, 200, block.data());
    Blended();
    const GrVertex t[3] = {V(0, 20, 10, 250, 10, 128), V(200, 60, 250, 10, 10, 128), V(20, 180, 10, 10, 250, 128)};
    grDrawPolygonVertexList(3, t);
}

// A download between two draws of the same frame, to the texture both use.
void DownloadBetweenDraws() {
    grColorCombine(3, 1, 0, 1, 0);
    grAlphaCombine(3, 8, 1, 0, 0);
    grAlphaBlendFunction(1, 5, 4, 0);
    grTexCombine(0, 1, 0, 1, 0, 0, 0);
    grTexFilterMode(0, 1, 1);
    grTexClampMode(0, 1, 1);
    Download(GR_TEXFMT_RGB_565, 1);
    const GrVertex a[3] = {V(0, 0, 255, 255, 255, 255, 0, 0), V(320, 0, 255, 255, 255, 255, 64, 0),
                           V(0, 200, 255, 255, 255, 255, 0, 64)};
    grDrawPolygonVertexList(3, a);
    Download(GR_TEXFMT_RGB_565, 2);
    const GrVertex b[3] = {V(320, 0, 255, 255, 255, 160, 64, 0), V(320, 200, 255, 255, 255, 160, 64, 64),
                           V(0, 200, 255, 255, 255, 160, 0, 64)};
    grDrawPolygonVertexList(3, b);
}

struct BandCase {
    const char* name;
    Scene scene;
};

const BandCase kBandCases[] = {
    {"a triangle across band edges", AcrossBandEdges},
    {"blending order", BlendingOrder},
    {"an LFB write between two draws", LfbWriteBetweenDraws},
    {"a texture download between two draws", DownloadBetweenDraws},
};

std::vector<std::uint16_t> DrawBandCase(const BandCase& c, int workers, bool specialised) {
    standinSetWorkers(workers);
    Open(GR_ORIGIN_UPPER_LEFT);
    standinSetSpecialisedSpans(specialised ? 1 : 0);
    Background();
    c.scene();
    std::vector<std::uint16_t> frame = Frame();
    grSstWinClose();
    standinSetWorkers(0);
    return frame;
}

TEST(Bands, WorkersDrawTheSamePixelsAsOneThread) {
    for (const BandCase& c : kBandCases) {
        for (bool specialised : {true, false}) {
            const std::vector<std::uint16_t> reference = DrawBandCase(c, 1, specialised);
            for (int workers : {2, 3, 8}) {
                SCOPED_TRACE(::testing::Message() << c.name << ", " << workers << " workers"
                                                  << (specialised ? "" : ", general path"));
                const std::vector<std::uint16_t> banded = DrawBandCase(c, workers, specialised);
                int differ = 0;
                for (std::size_t i = 0; i < reference.size(); ++i) differ += reference[i] != banded[i];
                EXPECT_EQ(differ, 0);
            }
        }
    }
}

}  // namespace
