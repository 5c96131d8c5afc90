// Flat polygons and tiles: the code byte, a triangle clipped away, tiles with
// the draw offset and negative sizes. Vertex orders and worked examples are
// pinned by the golden trace.
#include "support/plugin_fixture.h"

namespace {

// Screen 640 x 480 (scale 2.0 x 1.875), no draw offset, drawing area 0..319 x 0..255.
class PolygonTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        OpenAt(3);
        SetDrawEnv(0, 0, 319, 255);
    }
    static const SentRecord& Record(int i = 0) { return Sent().at(i); }
    static std::vector<std::pair<float, float>> HostPoints(int i = 0) { return ::HostPoints(Record(i), 2.0, 1.875); }
    static std::vector<std::array<float, 3>> Colors(int i = 0) {
        std::vector<std::array<float, 3>> colors;
        for (int k = 0; k < Record(i).vertexCount; ++k)
            colors.push_back({Record(i).vertices[k].r, Record(i).vertices[k].g, Record(i).vertices[k].b});
        return colors;
    }
};

using Points = std::vector<std::pair<float, float>>;
using Colors3 = std::vector<std::array<float, 3>>;

Packet FlatTriangle(int code = 0) {
    Packet p;
    p.Rgb(4, 64, 32, 16).U8(7, code).Xy(8, 10, 10).Xy(12, 100, 10).Xy(16, 10, 100);
    return p;
}

TEST_F(PolygonTest, CodeByteBitsSetTransparencyAndFullBright) {
    Packet mode;
    mode.U16(8, 0x0040);
    DoDrMode(mode.data());
    Packet semi = FlatTriangle(0x02);
    DrawFlat(semi.data());
    Packet bright = FlatTriangle(0x01);
    DrawFlat(bright.data());
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(Record(0).vertices[0].a, 128.0f);
    EXPECT_EQ(Record(0).blend, kMixBlend);  // mode 2 mixes, untextured
    EXPECT_EQ(Colors(1), (Colors3(3, {255.0f, 255.0f, 255.0f})));
    EXPECT_EQ(Record(1).vertices[0].a, 255.0f);
    EXPECT_EQ(Record(1).blend, kMixBlend);
}

TEST_F(PolygonTest, TriangleLeftOfTheAreaWritesNothingButSetsFullBright) {
    Packet p;
    p.U8(7, 0x01).Xy(8, -50, 10).Xy(12, -10, 10).Xy(16, -30, 50);
    DrawFlat(p.data());
    EXPECT_EQ(Sent().size(), 0u);
    // The flag shows in the next Gouraud line: white.
    Packet line;
    line.Rgb(4, 1, 2, 3).Xy(8, 10, 10).Rgb(12, 1, 2, 3).Xy(16, 50, 50);
    DrawLineGouraud(line.data());
    EXPECT_EQ(Colors(0), (Colors3(2, {255.0f, 255.0f, 255.0f})));
}

TEST_F(PolygonTest, TileUsesTheDrawOffsetAndNegativeSizes) {
    SetDrawEnv(20, 30, 200, 200);
    Packet p;
    p.Xy(8, 50, 50).Xy(12, -10, -20);
    DrawTile(p.data());
    // Corners (70, 80), (60, 80), (60, 60), (70, 60), stored rotated by two.
    EXPECT_EQ(HostPoints(), (Points{{60, 60}, {70, 60}, {70, 80}, {60, 80}}));
}

// Cuts can carry colours beyond 0..255; shading clamps them above 255 only,
// so a colour below 0 reaches Glide doubled (the card clamps it).
// - A drawing area reaching past 16 bits cuts at the 16-bit bound: g -387 and
//   b 642 at the cuts, -774 and 255 after shading.
// - A drawing area of negative width (left 100, right 40): the edge from
//   vertex 2 (x 50, g 10) to vertex 1 (x 150, g 250), walked in that
//   direction (input order 0, 2, 1), is cut at 100 (t 0.5, g 130) and at 40
//   (t -0.1, g 10 - 24 = -14); nothing else of the triangle is kept.
TEST_F(PolygonTest, CutColoursAreClampedAbove255Only) {
    const struct {
        int x, w;
        Packet packet;
        Colors3 colors;
    } cases[] = {
        {20000, 20000, Packet().Rgb(4, 10, 0, 255).Xy(8, 0, 10).Rgb(12, 10, 255, 0).Xy(16, 30000, 10)
                           .Rgb(20, 10, 0, 255).Xy(24, 0, 100),
         {{20, 0, 255}, {20, -774, 255}, {20, -774, 255}, {20, 0, 255}}},
        {100, -60, Packet().Rgb(4, 0, 0, 0).Xy(8, -50, 10).Rgb(12, 0, 250, 100).Xy(16, 50, 10)
                       .Rgb(20, 0, 10, 100).Xy(24, -50, 100),
         {{0, 255, 200}, {0, -28, 200}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.w);
        ForgetSent();
        SetDrawEnv(c.x, 0, c.w, 255);
        Packet p = c.packet;
        DrawGouraud(p.data());
        ASSERT_EQ(Sent().size(), 1u);
        EXPECT_EQ(Colors(0), c.colors);
    }
}

}  // namespace
