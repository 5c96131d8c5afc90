// Flat and Gouraud polygons and tiles: vertex order, screen positions,
// colours, transparency and what clipping leaves.
#include "support/plugin_fixture.h"

namespace {

constexpr float kSnap = 786432.0f;

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

TEST_F(PolygonTest, FlatTriangleWorkedExample) {
    Packet p = FlatTriangle();
    DrawFlat(p.data());
    ASSERT_EQ(Sent().size(), 1u);
    const SentRecord& r = Record();
    ASSERT_EQ(r.vertexCount, 3);
    const float expected[3][2] = {{786632.0f, 786450.75f}, {786452.0f, 786619.5f}, {786452.0f, 786450.75f}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(r.vertices[k].x, expected[k][0]);
        EXPECT_EQ(r.vertices[k].y, expected[k][1]);
        EXPECT_EQ(r.vertices[k].r, 128.0f);
        EXPECT_EQ(r.vertices[k].g, 64.0f);
        EXPECT_EQ(r.vertices[k].b, 32.0f);
        EXPECT_EQ(r.vertices[k].a, 255.0f);
        EXPECT_EQ(r.vertices[k].oow, 1.0f);
    }
    EXPECT_EQ(r.blend, kMixBlend);
    EXPECT_EQ(r.texAddress, -1);
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

TEST_F(PolygonTest, ScaleYOf1875PutsLine10AtAFraction) {
    Packet p = FlatTriangle();
    DrawFlat(p.data());
    EXPECT_EQ(Record().vertices[0].y, 786450.75f);
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

TEST_F(PolygonTest, VertexBeyondTheRightBoundIsCutAtTheBound) {
    Packet p;
    p.Xy(8, 300, 10).Xy(12, 340, 20).Xy(16, 300, 30);
    DrawFlat(p.data());
    ASSERT_EQ(Record().vertexCount, 4);
    int atBound = 0;
    for (int k = 0; k < 4; ++k) atBound += Record().vertices[k].x == 319.0f * 2.0f + kSnap;
    EXPECT_EQ(atBound, 2);
}

TEST_F(PolygonTest, TileCornersAreRightAndBottomThemselves) {
    Packet p;
    p.Rgb(4, 1, 2, 3).Xy(8, 0, 0).Xy(12, 16, 8);
    DrawTile(p.data());
    EXPECT_EQ(HostPoints(), (Points{{16, 8}, {0, 8}, {0, 0}, {16, 0}}));
    EXPECT_EQ(Colors(), (Colors3(4, {2.0f, 4.0f, 6.0f})));
}

TEST_F(PolygonTest, TileUsesTheDrawOffsetAndNegativeSizes) {
    SetDrawEnv(20, 30, 200, 200);
    Packet p;
    p.Xy(8, 50, 50).Xy(12, -10, -20);
    DrawTile(p.data());
    // Corners (70, 80), (60, 80), (60, 60), (70, 60), stored rotated by two.
    EXPECT_EQ(HostPoints(), (Points{{60, 60}, {70, 60}, {70, 80}, {60, 80}}));
}

TEST_F(PolygonTest, VertexOrdersOfEveryPolygonExport) {
    Packet flat4;
    flat4.Xy(8, 10, 10).Xy(12, 50, 10).Xy(16, 10, 50).Xy(20, 50, 50);
    DrawFlat4(flat4.data());
    EXPECT_EQ(HostPoints(0), (Points{{50, 10}, {50, 50}, {10, 50}, {10, 10}}));  // packet 1, 3, 2, 0

    Packet gouraud;
    gouraud.Rgb(4, 100, 0, 0).Xy(8, 10, 10).Rgb(12, 0, 100, 0).Xy(16, 50, 10).Rgb(20, 0, 0, 100).Xy(24, 10, 50);
    DrawGouraud(gouraud.data());
    EXPECT_EQ(HostPoints(1), (Points{{10, 50}, {50, 10}, {10, 10}}));  // packet 2, 1, 0
    EXPECT_EQ(Colors(1), (Colors3{{0, 0, 200}, {0, 200, 0}, {200, 0, 0}}));

    Packet gouraud4;
    gouraud4.Rgb(4, 1, 0, 0).Xy(8, 10, 10).Rgb(12, 2, 0, 0).Xy(16, 50, 10).Rgb(20, 3, 0, 0).Xy(24, 10, 50)
        .Rgb(28, 4, 0, 0).Xy(32, 50, 50);
    DrawGouraud4(gouraud4.data());
    EXPECT_EQ(HostPoints(2), (Points{{50, 10}, {50, 50}, {10, 50}, {10, 10}}));
    EXPECT_EQ(Colors(2), (Colors3{{4, 0, 0}, {8, 0, 0}, {6, 0, 0}, {2, 0, 0}}));
}

float SignedArea(const SentRecord& r) {
    const GrVertex &a = r.vertices[0], &b = r.vertices[1], &c = r.vertices[2];
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

TEST_F(PolygonTest, FlatAndGouraudTrianglesHaveOppositeWindings) {
    Packet flat = FlatTriangle();
    DrawFlat(flat.data());
    Packet gouraud;
    gouraud.Xy(8, 10, 10).Xy(16, 100, 10).Xy(24, 10, 100);
    DrawGouraud(gouraud.data());
    Packet quad;
    quad.Xy(8, 10, 10).Xy(12, 100, 10).Xy(16, 10, 100).Xy(20, 100, 100);
    DrawFlat4(quad.data());
    Packet tile;
    tile.Xy(8, 10, 10).Xy(12, 90, 90);
    DrawTile(tile.data());
    const float flatArea = SignedArea(Record(0));
    EXPECT_NE(flatArea, 0.0f);
    EXPECT_LT(flatArea * SignedArea(Record(1)), 0.0f);
    EXPECT_GT(flatArea * SignedArea(Record(2)), 0.0f);
    EXPECT_GT(flatArea * SignedArea(Record(3)), 0.0f);
}

}  // namespace
