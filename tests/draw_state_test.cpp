// The drawing environment and draw mode, and the semi-transparency rule.
#include "scene/draw_state.h"

#include "scene/scene_list.h"
#include "support/plugin_fixture.h"

using vrastex::drawState;
using vrastex::scene;
using vrastex::EmptySceneList;

namespace {

using DrawStateTest = PluginTest;

TEST_F(DrawStateTest, EnvironmentFoldsTheSecondBandOfLines) {
    const struct {
        int y, h;
        int offsetY, top, bottom;
    } cases[] = {{256, 240, 0, 0, 240}, {255, 10, 255, 255, 265}, {512, 8, 256, 256, 264},
                 {-8, 100, -8, -8, 92}, {300, -20, 44, 44, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.y);
        SetDrawEnv(10, c.y, 300, c.h);
        EXPECT_EQ(drawState.offsetX, 10);
        EXPECT_EQ(drawState.offsetY, c.offsetY);
        EXPECT_EQ(drawState.clipLeft, 10);
        EXPECT_EQ(drawState.clipRight, 310);  // x + w itself: inclusive
        EXPECT_EQ(drawState.clipTop, c.top);
        EXPECT_EQ(drawState.clipBottom, c.bottom);
    }
}

TEST_F(DrawStateTest, BeforeAnyEnvironmentOnlyTheOriginIsInside) {
    InitHost(host, 3);
    Packet away;
    away.Xy(8, 10, 10).Xy(12, 100, 10).Xy(16, 10, 100);
    DrawFlat(away.data());
    EXPECT_EQ(scene.count, 0u);
    Packet touching;
    touching.Xy(8, 0, 0).Xy(12, 100, 0).Xy(16, 0, 100);
    DrawFlat(touching.data());
    ASSERT_EQ(scene.count, 1u);
    for (int i = 0; i < scene.records[0].vertexCount; ++i) {
        EXPECT_EQ(scene.records[0].vertices[i].x, 786432.0f);
        EXPECT_EQ(scene.records[0].vertices[i].y, 786432.0f);
    }
}

}  // namespace
