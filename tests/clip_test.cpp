// Clipping to the clip rectangle: crossings in walk order, independence of
// the walking direction, the vertex bound, and hostile bounds.
#include "scene/clip.h"

#include <random>
#include <tuple>

#include "scene/draw_state.h"
#include "support/plugin_fixture.h"

using vrastex::ClipVertex;
using vrastex::clipInput;
using vrastex::clipFinal;
using vrastex::ClipInputList;
using vrastex::ClipInput;
using vrastex::ClippedPolygon;
using vrastex::ClipPolygonX;
using vrastex::ClipEdgeX;
using vrastex::ClipEdgeY;
using vrastex::drawState;

namespace {

ClipVertex At(int x, int y, int r = 0, int g = 0) { return {x, y, 0, 0, 0, r, g, 0}; }

class ClipTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        SetRect(0, 0, 100, 100);
    }
    static void SetRect(int left, int top, int right, int bottom) {
        drawState.clipLeft = left;
        drawState.clipTop = top;
        drawState.clipRight = right;
        drawState.clipBottom = bottom;
    }
    static int Clip(std::initializer_list<ClipVertex> vertices) {
        int n = 0;
        for (const ClipVertex& v : vertices) clipInput.vertices[n++] = v;
        clipInput.count = static_cast<std::int16_t>(n);
        return ClipInputList();
    }
    static std::vector<std::pair<int, int>> FinalPoints() {
        std::vector<std::pair<int, int>> points;
        for (int i = 0; i < clipFinal.count; ++i) points.emplace_back(clipFinal.vertices[i].x, clipFinal.vertices[i].y);
        return points;
    }
};

using Points = std::vector<std::pair<int, int>>;

TEST_F(ClipTest, OneStageRotatesAndCrossesInWalkOrder) {
    // The edge 110 -> -10 (closing the list) crosses 100 then 0; the edge
    // -10 -> 110 crosses 0 then 100.
    clipInput.vertices[0] = At(-10, 50);
    clipInput.vertices[1] = At(110, 50);
    clipInput.count = 2;
    ClipPolygonX(clipInput, clipFinal);
    EXPECT_EQ(FinalPoints(), (Points{{100, 50}, {0, 50}, {0, 50}, {100, 50}}));
}

TEST_F(ClipTest, SharedEdgesMeetTheBoundAtIdenticalVertices) {
    Clip({At(-20, 10, 30), At(60, 90, 250), At(60, 10, 0)});
    const std::vector<ClipVertex> first(clipFinal.vertices, clipFinal.vertices + clipFinal.count);
    Clip({At(60, 90, 250), At(-20, 10, 30), At(-20, 90, 90)});
    int shared = 0;
    for (const ClipVertex& v : first)
        for (int i = 0; i < clipFinal.count; ++i)
            if (v.x == 0 && clipFinal.vertices[i].x == 0 && v.y == clipFinal.vertices[i].y &&
                v.r == clipFinal.vertices[i].r)
                ++shared;
    EXPECT_EQ(shared, 1);
}

TEST_F(ClipTest, NoQuadrilateralGivesMoreThanSixteenVertices) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(-300, 400);
    int most = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        const int n = Clip({At(coordinate(random), coordinate(random)), At(coordinate(random), coordinate(random)),
                            At(coordinate(random), coordinate(random)), At(coordinate(random), coordinate(random))});
        ASSERT_LE(n, 16);
        most = std::max(most, n);
        for (const auto& [x, y] : FinalPoints()) ASSERT_TRUE(x >= 0 && x <= 100 && y >= 0 && y <= 100) << x << "," << y;
    }
    EXPECT_GE(most, 8);
}

// Exports skip the stages for polygons wholly inside, and a stage whose
// bounds hold every vertex; what they draw must be what the stages give, also
// for vertices on a bound or one unit past it.
TEST_F(ClipTest, ShortcutsGiveWhatTheStagesGive) {
    const struct {
        int left, right;
        std::vector<ClipVertex> polygon;
    } cases[] = {
        {0, 100, {At(0, 0, 1), At(100, 0, 2), At(100, 100, 3), At(0, 100, 4)}},
        {0, 100, {At(0, 50, 1), At(100, 50, 2)}},
        {0, 100, {At(0, 0, 1), At(100, 100, 2), At(0, 100, 3)}},
        {0, 100, {At(7, 7, 1)}},
        {0, 100, {At(-1, 0, 1), At(100, 0, 2), At(50, 100, 3)}},
        {0, 100, {At(0, 0, 1), At(101, 50, 2), At(0, 100, 3)}},
        {0, 100, {At(0, 0, 1), At(100, -1, 2), At(50, 100, 3), At(10, 101, 4)}},
        {10, 5, {At(12, 7, 1), At(20, 9, 2), At(15, 9, 3)}},  // left beyond right: nothing is inside
    };
    for (const auto& c : cases) {
        SetRect(c.left, 0, c.right, 100);
        const auto fill = [&] {
            for (std::size_t i = 0; i < c.polygon.size(); ++i) clipInput.vertices[i] = c.polygon[i];
            clipInput.count = static_cast<std::int16_t>(c.polygon.size());
        };
        fill();
        const ClippedPolygon shortcut = ClipInput();
        std::vector<std::tuple<int, int, int>> drawn, staged;
        for (int j = 0; j < shortcut.count; ++j) {
            const ClipVertex& v = shortcut.vertices[(shortcut.first + j) % shortcut.count];
            drawn.emplace_back(v.x, v.y, v.r);
        }
        fill();
        for (int j = 0; j < ClipInputList(); ++j)
            staged.emplace_back(clipFinal.vertices[j].x, clipFinal.vertices[j].y, clipFinal.vertices[j].r);
        EXPECT_EQ(drawn, staged) << "polygon of " << c.polygon.size() << " starting at " << c.polygon[0].x;
    }
}

}  // namespace
