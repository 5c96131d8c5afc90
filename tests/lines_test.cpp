// Lines: flat segments and four-point outlines written unclipped, their oow
// from the divisor, and Gouraud segments kept only when clipping leaves both
// ends.
#include "support/plugin_fixture.h"

namespace {

using Points = std::vector<std::pair<float, float>>;
using Colors = std::vector<std::array<float, 3>>;

// Screen 640 x 480: scale x 2.0, y 1.875.
class LineTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        OpenAt(3);
    }
    static const SentRecord& Record(int i = 0) { return Sent().at(i); }
    static Points Screen(int i = 0) {
        Points points;
        for (int k = 0; k < Record(i).vertexCount; ++k)
            points.emplace_back(Record(i).vertices[k].x, Record(i).vertices[k].y);
        return points;
    }
    static Colors ColorsOf(int i = 0) {
        Colors colors;
        for (int k = 0; k < Record(i).vertexCount; ++k)
            colors.push_back({Record(i).vertices[k].r, Record(i).vertices[k].g, Record(i).vertices[k].b});
        return colors;
    }
};

Packet FlatLine(int x0, int y0, int x1, int y1, int r = 0, int g = 0, int b = 0, int code = 0) {
    Packet p;
    p.Rgb(4, r, g, b).U8(7, code).Xy(8, x0, y0).Xy(12, x1, y1);
    return p;
}

Packet GouraudLine(int x0, int y0, int x1, int y1, std::array<int, 3> c0 = {}, std::array<int, 3> c1 = {},
                   int code = 0) {
    Packet p;
    p.Rgb(4, c0[0], c0[1], c0[2]).U8(7, code).Xy(8, x0, y0).Rgb(12, c1[0], c1[1], c1[2]).Xy(16, x1, y1);
    return p;
}

TEST_F(LineTest, FlatLinesAreNeitherClippedNorTransparent) {
    Packet mode;
    mode.U16(8, 0x0040);
    DoDrMode(mode.data());
    Packet far = FlatLine(-1000, -1000, 5000, 3000, 1, 2, 3, 0x03);
    DrawLineFlat2(far.data(), 1);
    // The full-bright flag stays clear: the next Gouraud line is shaded.
    Packet after = GouraudLine(10, 10, 50, 50, {10, 20, 30}, {0, 0, 0});
    DrawLineGouraud(after.data());
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(Screen(), (Points{{784432.0f, 784557.0f}, {796432.0f, 792057.0f}}));
    EXPECT_EQ(ColorsOf(), (Colors(2, {2.0f, 4.0f, 6.0f})));
    EXPECT_EQ(Record().vertices[0].a, 255.0f);
    EXPECT_EQ(Record().blend, kMixBlend);
    EXPECT_EQ(ColorsOf(1), (Colors{{20, 40, 60}, {0, 0, 0}}));
}

TEST_F(LineTest, GouraudLinesAreKeptOnlyWhole) {
    SetDrawEnv(0, 0, 320, 240);
    const struct {
        int x0, y0, x1, y1;
        Points kept;  // empty: dropped
    } cases[] = {
        {0, 0, 320, 240, {{786432.0f, 786432.0f}, {787072.0f, 786882.0f}}},
        {10, 10, 330, 10, {}},
        {400, 10, 500, 10, {}},
        {10, -5, 10, -1, {}},
        {-10, 5, 0, 5, {{786432.0f, 786441.375f}, {786432.0f, 786441.375f}}},
        {100, 20, 10, 200, {{786632.0f, 786469.5f}, {786452.0f, 786807.0f}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x0 << ", " << c.y0 << " to " << c.x1 << ", " << c.y1);
        ForgetSent();
        Packet p = GouraudLine(c.x0, c.y0, c.x1, c.y1);
        DrawLineGouraud(p.data());
        if (c.kept.empty()) {
            EXPECT_EQ(Sent().size(), 0u);
            continue;
        }
        ASSERT_EQ(Sent().size(), 1u);
        ASSERT_EQ(Record().vertexCount, 2);
        EXPECT_EQ(Screen(), c.kept);
        EXPECT_EQ(Record().vertices[0].oow, 1.0f);
        EXPECT_EQ(Record().vertices[1].a, 255.0f);
        EXPECT_EQ(Record().blend, kMixBlend);
        EXPECT_EQ(Record().texAddress, -1);
    }
}

TEST_F(LineTest, SemiTransparentGouraudLineTakesTheCurrentMode) {
    Packet mode;
    mode.U16(8, 0x0040);
    DoDrMode(mode.data());
    Packet inside = GouraudLine(10, 10, 50, 50, {}, {}, 0x02);
    DrawLineGouraud(inside.data());
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Record().vertices[0].a, 128.0f);
    EXPECT_EQ(Record().vertices[1].a, 128.0f);
    EXPECT_EQ(Record().blend, kMixBlend);  // mode 2 mixes, untextured
}

TEST_F(LineTest, GouraudLineKeepsTheFullBrightFlagOfTheLastPolygon) {
    Packet bright;
    bright.U8(7, 0x01).Xy(8, -50, 10).Xy(12, -10, 10).Xy(16, -30, 50);  // clipped away
    DrawFlat(bright.data());
    Packet line = GouraudLine(10, 10, 50, 50, {10, 20, 30}, {0, 0, 0});
    DrawLineGouraud(line.data());
    Packet plain;
    plain.Xy(8, -50, 10).Xy(12, -10, 10).Xy(16, -30, 50);
    DrawFlat(plain.data());
    Packet ownBit = GouraudLine(10, 10, 50, 50, {10, 20, 30}, {0, 0, 0}, 0x01);
    DrawLineGouraud(ownBit.data());
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(ColorsOf(0), (Colors(2, {255, 255, 255})));
    EXPECT_EQ(ColorsOf(1), (Colors{{20, 40, 60}, {0, 0, 0}}));
}

}  // namespace
