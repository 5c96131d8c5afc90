// The texture coordinate pull toward the mean.
#include "scene/shade.h"

#include "scene/clip.h"
#include "scene/draw_state.h"
#include "support/plugin_fixture.h"

using vrastex::ShadeVertex;
using vrastex::PullTexCoords;
using vrastex::ClipVertex;
using vrastex::clipFinal;
using vrastex::drawState;

namespace {

using ShadeTest = PluginTest;

void SetFinalTexCoords(const std::vector<std::pair<int, int>>& uv) {
    for (std::size_t i = 0; i < uv.size(); ++i) {
        clipFinal.vertices[i] = ClipVertex{100, 200, 0, uv[i].first, uv[i].second, 1, 2, 3};
    }
    clipFinal.count = static_cast<std::int16_t>(uv.size());
}

std::vector<std::pair<int, int>> FinalTexCoords(int n) {
    std::vector<std::pair<int, int>> uv;
    for (int i = 0; i < n; ++i) uv.emplace_back(clipFinal.vertices[i].u, clipFinal.vertices[i].v);
    return uv;
}

using UV = std::vector<std::pair<int, int>>;

TEST_F(ShadeTest, TextureCoordinatesMoveOneTexelTowardTheirMean) {
    const struct {
        UV in, out;
    } cases[] = {
        {{{0, 0}, {255, 0}, {0, 255}}, {{1, 1}, {254, 1}, {1, 254}}},          // means 85
        {{{40, 7}, {40, 9}, {40, 8}}, {{41, 8}, {41, 8}, {41, 9}}},            // equal to the mean moves up
        {{{0, 0}, {0, 0}, {1, 0}}, {{1, 1}, {1, 1}, {0, 1}}},                  // mean one third
        {{{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}}, {{1, 1}, {11, 1}, {21, 1}, {29, 1}, {39, 1}}},
        {{{100000, 0}, {0, 0}, {0, 1}}, {{99999, 1}, {1, 1}, {1, 0}}},         // beyond texels: float means
        // Cut at bounds near 2^30: the sum 3221225356 rounds to the float
        // 3221225472, so the mean is 2^30 (the exact mean rounds to 1073741760);
        // u as floats: 1073741824, 1073741760, 1073741760, none above 2^30.
        {{{1073741844, 0}, {1073741763, 0}, {1073741749, 0}},
         {{1073741845, 1}, {1073741764, 1}, {1073741750, 1}}},
    };
    for (const auto& c : cases) {
        SetFinalTexCoords(c.in);
        PullTexCoords(clipFinal.vertices, static_cast<int>(c.in.size()));
        EXPECT_EQ(FinalTexCoords(static_cast<int>(c.in.size())), c.out);
        EXPECT_EQ(clipFinal.vertices[0].x, 100);  // nothing else moves
        EXPECT_EQ(clipFinal.vertices[0].r, 1);
    }
}

}  // namespace
