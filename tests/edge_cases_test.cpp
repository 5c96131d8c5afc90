// Behaviours at the edges of the host's input, seen only through the exports
// and what Glide received: the fold of the drawing area, clipper corner
// cases, sign extension, strides, redirects, colour tables, flat-line oow and
// what survives shutdown, pause and a failed window.
#include <algorithm>
#include <bit>
#include <cstring>

#include "support/plugin_fixture.h"

namespace {

using Points = std::vector<std::pair<double, double>>;
using Vertices = std::vector<GrVertex>;

constexpr int kPage3 = 0x0008;   // page column 8, row 0: slot 3
constexpr int kPage12 = 0x0016;  // page column 6, row 1: slot 12

// TMU address of slot n after a full load from address 0: the three halved
// pages take 64 KiB each, the others 128 KiB.
constexpr std::int64_t SlotAddress(int n) { return n < 3 ? 65536 * n : 196608 + 131072 * (n - 3); }

class EdgeCases : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        OpenAt(3);  // screen scale 2.0 x 1.875: every host point is exact on screen
    }

    // The vertices of every polygon and line RenderScene sends, in order.
    static std::vector<Vertices> Flush() {
        standinClearLog();
        RenderScene();
        std::vector<Vertices> sent;
        for (int i = 0; i < standinCallCount(); ++i) {
            const StandinCall* call = standinGetCall(i);
            if (!std::strcmp(call->name, "grDrawPolygonVertexList") || !std::strcmp(call->name, "grDrawLine"))
                sent.emplace_back(call->vertices, call->vertices + call->vertexCount);
        }
        return sent;
    }

    static Points Host(const Vertices& vertices) {
        Points points;
        for (const GrVertex& v : vertices) points.emplace_back((v.x - 786432.0) / 2.0, (v.y - 786432.0) / 1.875);
        return points;
    }

    // The TMU address of the one texture source set by a flush, else -1.
    static std::int64_t FlushedTexAddress() {
        Flush();
        const auto calls = CallsNamed("grTexSource");
        return calls.size() == 1 ? calls[0]->args[1] : -1;
    }

    // A move packet that points redirect cell 14 (u 192..223, v 224..255 of
    // page 12) at the host frame-buffer position (sx, sy).
    static void MoveCell14(int sx, int sy) {
        Packet move;
        move.Xy(8, 432, 480).Xy(12, sx, sy);
        DoDrMove(move.data());
    }

    // DrawFlatTexture on page 12 with vertex 0 at u 200, v 230 (cell 14).
    static Packet DrawInCell14() {
        Packet p;
        p.Xy(8, 10, 10).U8(12, 200).U8(13, 230).Xy(16, 50, 10).U8(20, 210).U8(21, 230).Xy(24, 10, 50);
        p.U8(28, 200).U8(29, 250).U16(22, kPage12);
        DrawFlatTexture(p.data());
        return p;
    }
};

TEST_F(EdgeCases, DrawingAreaFoldsYButNeverX) {
    const struct {
        int x, y, offsetX, offsetY;
    } cases[] = {{300, 266, 300, 10}, {600, 10, 600, 10}, {256, 511, 256, 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        SetDrawEnv(c.x, c.y, 50, 50);
        Packet flat;
        flat.Xy(8, 0, 0).Xy(12, 10, 0).Xy(16, 0, 10);
        DrawFlat(flat.data());
        const auto sent = Flush();
        ASSERT_EQ(sent.size(), 1u);
        const double x = c.offsetX, y = c.offsetY;
        EXPECT_EQ(Host(sent[0]), (Points{{x + 10, y}, {x, y + 10}, {x, y}}));
    }
}

// A vertex exactly on a bound right after one beyond it is kept once, with
// no crossing of its own.
TEST_F(EdgeCases, VertexOnABoundAfterOneOutsideMakesNoCrossing) {
    SetDrawEnv(0, 0, 100, 100);
    const struct {
        int points[6];
        Points expected;
    } cases[] = {
        {{-10, 50, 0, 20, 50, 50}, {{0, 20}, {50, 50}, {0, 50}}},
        {{110, 50, 100, 20, 50, 50}, {{100, 20}, {50, 50}, {100, 50}}},
        {{50, -10, 20, 0, 50, 50}, {{20, 0}, {50, 50}, {50, 0}}},
    };
    for (const auto& c : cases) {
        Packet flat;
        for (int k = 0; k < 3; ++k) flat.Xy(8 + 4 * k, c.points[2 * k], c.points[2 * k + 1]);
        DrawFlat(flat.data());
        const auto sent = Flush();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(Host(sent[0]), c.expected) << c.points[0] << "," << c.points[1];
    }
}

// Top and bottom are cut first, then left and right. Gouraud walks 0, 2, 1:
// the y stage gives B, A (on y 0), P0, P2 rotated; the x stage cuts at x 0
// from the edges A-P0 and P0-P2 (t 20/54 and 1/4), each value truncated.
TEST_F(EdgeCases, YIsCutBeforeX) {
    SetDrawEnv(0, 0, 100, 100);
    Packet gouraud;
    gouraud.Rgb(4, 200, 0, 0).Xy(8, -20, 40).Rgb(12, 0, 200, 0).Xy(16, 60, -20).Rgb(20, 0, 0, 200).Xy(24, 60, 60);
    DrawGouraud(gouraud.data());
    const auto sent = Flush();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Host(sent[0]), (Points{{60, 0}, {34, 0}, {0, 26}, {0, 45}, {60, 60}}));
    // Before doubling: (0, 150, 50), (66, 134, 0), (151, 49, 0), (150, 0, 50), (0, 0, 200).
    const float expected[5][3] = {{0, 255, 100}, {132, 255, 0}, {255, 98, 0}, {255, 0, 100}, {0, 0, 255}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(sent[0][i].r, expected[i][0]) << i;
        EXPECT_EQ(sent[0][i].g, expected[i][1]) << i;
        EXPECT_EQ(sent[0][i].b, expected[i][2]) << i;
    }
}

// A negative packet coordinate is sign-extended in every polygon export: the
// shape pokes 10 units past the left (or top) of the area and is cut there.
TEST_F(EdgeCases, NegativePacketCoordinatesAreSignExtended) {
    SetDrawEnv(20, 30, 100, 100);
    const struct {
        const char* name;
        void (*draw)(void*);
        int first, stride, count, pageWordAt;
    } exports[] = {
        {"DrawFlat", [](void* p) { DrawFlat(p); }, 8, 4, 3, -1},
        {"DrawFlat4", [](void* p) { DrawFlat4(p); }, 8, 4, 4, -1},
        {"DrawGouraud", [](void* p) { DrawGouraud(p); }, 8, 8, 3, -1},
        {"DrawGouraud4", [](void* p) { DrawGouraud4(p); }, 8, 8, 4, -1},
        {"DrawFlatTexture", DrawFlatTexture, 8, 8, 3, 22},
        {"DrawFlatTexture4", DrawFlatTexture4, 8, 8, 4, 22},
        {"DrawGouraudTexture", DrawGouraudTexture, 8, 12, 3, 26},
        {"DrawGouraudTexture4", DrawGouraudTexture4, 8, 12, 4, 26},
        {"DrawTile", [](void* p) { DrawTile(p); }, 8, 4, 0, -1},
    };
    // Packet points of a triangle and of a quadrilateral (0, 1, 3, 2 around),
    // with x negative, and the same transposed; the host points they leave.
    const int triangle[3][2] = {{-10, 40}, {10, 40}, {10, 60}};
    const int quad[4][2] = {{-10, 40}, {10, 40}, {-10, 60}, {10, 60}};
    for (bool transposed : {false, true}) {
        const Points cutTriangle = transposed ? Points{{60, 30}, {60, 40}, {70, 30}, {80, 40}}
                                              : Points{{20, 70}, {20, 80}, {30, 70}, {30, 90}};
        const Points cutQuad = transposed ? Points{{60, 30}, {60, 40}, {80, 30}, {80, 40}}
                                          : Points{{20, 70}, {20, 90}, {30, 70}, {30, 90}};
        for (const auto& e : exports) {
            SCOPED_TRACE(testing::Message() << e.name << (transposed ? " transposed" : ""));
            Packet p;
            for (int k = 0; k < e.count; ++k) {
                const int* point = e.count == 3 ? triangle[k] : quad[k];
                p.Xy(e.first + e.stride * k, point[transposed], point[!transposed]);
            }
            if (e.pageWordAt >= 0) p.U16(e.pageWordAt, kPage3);
            if (e.count == 0) p.Xy(8, transposed ? 40 : -10, transposed ? -10 : 40).Xy(12, 20, 20);
            e.draw(p.data());
            const auto sent = Flush();
            ASSERT_EQ(sent.size(), 1u);
            Points points = Host(sent[0]);
            std::sort(points.begin(), points.end());
            EXPECT_EQ(points, e.count == 3 ? cutTriangle : cutQuad);
        }
    }
}

// Pages are cut at the fixed 4096-pixel stride, whatever InitSurfaces gave
// direct uploads.
TEST_F(EdgeCases, PagesUseTheFixedStride) {
    InitSurfaces(0, 0, 0, 2048, 0, 0, 0, 0, 0, 0);
    host.staging[1 * 4096 + 1280 + 3 * 256 + 5] = 0x1234;   // page 3, row 1, column 5
    host.staging[1 * 2048 + 1280 + 3 * 256 + 5] = 0x4321;   // where the direct stride would look
    host.staging[257 * 4096 + 1280 + 5] = 0x2222;            // page 11, row 1, column 5
    LoadTextures();
    const auto downloads = CallsNamed("grTexDownloadMipMapLevel");
    ASSERT_EQ(downloads.size(), 17u);
    EXPECT_EQ(downloads[3]->pixels[256 + 5], 0x1234);
    EXPECT_EQ(downloads[11]->pixels[256 + 5], 0x2222);
}

// On a quadrilateral the walk starts at vertex 2, but the cell is vertex 0's:
// cell 14 (from slot 5) and not cell 0 (from slot 1), where vertex 2 lies.
TEST_F(EdgeCases, QuadRedirectTakesTheCellOfVertexZero) {
    LoadTextures();
    MoveCell14(640, 0);
    Packet cell0;
    cell0.Xy(8, 384, 448).Xy(12, 400, 0);
    DoDrMove(cell0.data());
    Packet p;
    const int uv[4][2] = {{200, 230}, {220, 230}, {10, 200}, {20, 210}};
    const int xy[4][2] = {{10, 10}, {50, 10}, {10, 50}, {50, 50}};
    for (int k = 0; k < 4; ++k) p.Xy(8 + 12 * k, xy[k][0], xy[k][1]).U8(12 + 12 * k, uv[k][0]).U8(13 + 12 * k, uv[k][1]);
    p.U16(26, kPage12);
    DrawGouraudTexture4(p.data());
    EXPECT_EQ(FlushedTexAddress(), SlotAddress(5));
    EXPECT_EQ(p.bytes[36], 10);  // vertex 2: origin (0, 0) of slot 5 plus u & 31
    EXPECT_EQ(p.bytes[37], 8);
}

// Which move sources name a page: the source slot is (x * 4 - 1280) / 256 +
// (y / 256) * 11 with truncating divisions, and only 0..17 draw.
TEST_F(EdgeCases, RedirectSourcesOutsideTheTextureAreaStillNameASlot) {
    LoadTextures();
    const struct {
        int sx, sy, slot, u0;  // u0: vertex 0's u afterwards, origin + 200 & 31
    } cases[] = {
        {100, 300, 8, (144 + 8) & 255},  // -3 + 11; origin ((3 - 5) * 64 + 100) * 4 = -112
        {704, 300, 17, 8},
        {100, 0, -3, 152},  // dropped, but the packet is rewritten first
        {1023, 300, 21, 252 + 8 - 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sx << "," << c.sy);
        MoveCell14(c.sx, c.sy);
        const Packet p = DrawInCell14();
        EXPECT_EQ(p.bytes[12], c.u0);
        if (c.slot >= 0 && c.slot <= 17) {
            EXPECT_EQ(FlushedTexAddress(), c.slot == 17 ? 0 : SlotAddress(c.slot));
        } else {
            EXPECT_EQ(RenderScene(), 0u);
        }
    }
}

// The table is read at the indexed upload, not when it was captured, and
// LoadTextures forgets it: the next upload is direct and leaves the pages
// current.
TEST_F(EdgeCases, ColourTableIsReadAtTheUploadAndForgottenByLoadTextures) {
    std::uint16_t table[8 + 16] = {};  // the host header's flag word 16 bytes before: 16 entries
    table[8 + 1] = 0x001F;
    Packet tableRect, rect;
    tableRect.Xy(0, 0, 0).Xy(4, 16, 1);
    EXPECT_EQ(LoadImagePC(tableRect.data(), table + 8), 0);
    table[8 + 1] = 0x7C00;
    rect.Xy(0, 400, 0).Xy(4, 1, 1);
    const std::uint8_t indices[2] = {0x11, 0x11};
    LoadImagePC(rect.data(), indices);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(host.staging[1600 + i], 0x001F) << i;

    LoadTextures();
    standinClearLog();
    rect.Xy(0, 400, 1);
    const std::uint16_t colour = 0x001F;
    EXPECT_EQ(LoadImagePC(rect.data(), &colour), 0);
    EXPECT_EQ(host.staging[4096 + 1600], 0x7C00);
    EXPECT_EQ(host.staging[4096 + 1601], 0);
    LoadTextures();
    EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), 0);
}

// screen scale x / divisor * 0.1f, in double and rounded once, the same in
// every vertex of both flat exports: float arithmetic would give 0x3E23D70B
// for the first, a double 0.1 0x3B8E7835 for the second. A zero divisor
// counts as 1.
TEST_F(EdgeCases, FlatLineOowBits) {
    const struct {
        int resolution, divisor;
        std::uint32_t bits;
    } cases[] = {{1, 1, 0x3E23D70Au}, {0, 23, 0x3B8E7836u}, {3, -4, 0xBD4CCCCDu}, {3, 0, 0x3E4CCCCDu}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "resolution " << c.resolution << " divisor " << c.divisor);
        InitHost(host, c.resolution);
        Packet line;
        line.Xy(8, 0, 0).Xy(12, 10, 10).Xy(16, 10, 0).Xy(20, 0, 10);
        DrawLineFlat2(line.data(), c.divisor);
        DrawLineFlat4(line.data(), c.divisor);
        const auto sent = Flush();
        ASSERT_EQ(sent.size(), 5u);
        for (const Vertices& v : sent) {
            EXPECT_EQ(std::bit_cast<std::uint32_t>(v[0].oow), c.bits);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(v[1].oow), c.bits);
        }
    }
}

TEST_F(EdgeCases, RedirectCellsSurviveEverything) {
    LoadTextures();
    MoveCell14(650, 270);  // slot 16, origin u 40, v 14
    const struct {
        const char* what;
        void (*run)();
    } steps[] = {
        {"LoadTextures", [] { LoadTextures(); }},
        {"fxShutdown and fxInit", [] {
             fxShutdown();
             fxInit(0, 3, 0);
         }},
        {"pause and resume", [] {
             pause_render();
             unpause_render();
         }},
        {"InitVariables", [] {
             static HostMemory other;
             InitHost(other, 3);
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.run();
        const Packet p = DrawInCell14();
        EXPECT_EQ(p.bytes[12], 40 + 8);
        EXPECT_EQ(p.bytes[13], 14 + 6);
        EXPECT_EQ(FlushedTexAddress(), SlotAddress(16));
    }
}

// Texture coordinates of the vertices the clipper makes are interpolated,
// then pulled with the others toward the mean of the final list (u 100,
// v 50).
TEST_F(EdgeCases, ClipperMadeVerticesArePulledAfterClipping) {
    SetDrawEnv(0, 0, 100, 100);
    Packet p;
    p.Xy(8, -20, 10).U8(12, 0).U8(13, 0).Xy(16, 60, 10).U8(20, 160).U8(21, 0).Xy(24, 60, 90).U8(28, 160).U8(29, 160);
    p.U16(22, kPage3);
    DrawFlatTexture(p.data());
    const auto sent = Flush();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Host(sent[0]), (Points{{60, 10}, {60, 90}, {0, 30}, {0, 10}}));
    const float sow[4] = {159, 159, 41, 41}, tow[4] = {1, 159, 41, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sent[0][i].tmuvtx[0].sow, sow[i]) << i;
        EXPECT_EQ(sent[0][i].tmuvtx[0].tow, tow[i]) << i;
    }
}

TEST_F(EdgeCases, ResumeGoesOnWhenTheWindowDoesNotOpen) {
    pause_render();
    standinSetWinOpenResult(0);
    standinClearLog();
    unpause_render();
    EXPECT_EQ(CountCalls("grSstWinOpen"), 1);
    EXPECT_EQ(CountCalls("grGlideSetState"), 1);
    EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), 17);
}

// The drawing area, blend mode and screen scale outlive RenderScene, Flip and
// a shutdown with a reopen at another resolution: the triangle is still moved
// by (20, 30), cut at x 120, scaled by 2.0 x 1.875 and blended by mode 1.
TEST_F(EdgeCases, DrawingStateAndScaleOutliveFramesAndReopening) {
    SetDrawEnv(20, 30, 100, 100);
    Packet mode;
    mode.U16(8, 0x0020);
    DoDrMode(mode.data());
    RenderScene();
    Flip();
    fxShutdown();
    ASSERT_EQ(fxInit(0, 5, 0), 1);
    Packet flat;
    flat.U8(7, 0x02).Xy(8, 0, 0).Xy(12, 200, 0).Xy(16, 0, 10);
    DrawFlat(flat.data());
    const auto sent = Flush();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Host(sent[0]), (Points{{120, 35}, {20, 40}, {20, 30}, {120, 30}}));
    EXPECT_EQ(sent[0][0].a, 128.0f);
    EXPECT_EQ(Args(OnlyCall("grAlphaCombine")), (std::vector<std::int64_t>{1, 0, 1, 2, 0}));
}

}  // namespace
