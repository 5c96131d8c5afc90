// The scene list and its flush: an empty list, and frames beyond the capacity.
#include "scene/scene_list.h"

#include "support/plugin_fixture.h"
#include "texture/slot_table.h"

using vrastex::SceneRecord;
using vrastex::NextRecord;
using vrastex::AppendRecord;
using vrastex::kSceneCapacity;
using vrastex::kUntexturedSlot;
using vrastex::scene;
using vrastex::slotTable;

namespace {

// Appends a record of `count` vertices whose first vertex x is `tag`.
void AddRecord(int count, std::int32_t blend, std::int32_t slot, float tag = 0.0f) {
    SceneRecord& record = NextRecord();
    record.vertexCount = static_cast<std::int16_t>(count);
    for (int i = 0; i < count; ++i) record.vertices[i] = GrVertex{};
    record.vertices[0].x = tag;
    AppendRecord(blend, slot);
}

using V = std::vector<std::int64_t>;
using SceneListTest = PluginTest;

TEST_F(SceneListTest, EmptyListMakesNoCallAndReturnsZero) {
    OpenAt(3);
    EXPECT_EQ(RenderScene(), 0u);
    AddRecord(3, 0, kUntexturedSlot);
    EXPECT_EQ(RenderScene(), 3u);
    standinClearLog();
    EXPECT_EQ(RenderScene(), 0u);
    EXPECT_EQ(standinCallCount(), 0);
}

// A frame beyond the capacity: the full list goes to the card before the
// 6001st record is written, so every record is drawn, in order.
TEST_F(SceneListTest, OverflowSendsTheFullListAndLosesNothing) {
    OpenAt(3);
    for (int i = 0; i < kSceneCapacity; ++i) AddRecord(3, 0, kUntexturedSlot, static_cast<float>(i));
    EXPECT_EQ(standinCallCount(), 0);
    AddRecord(2, 0, kUntexturedSlot, 6000.0f);
    // The first 6000 records went out before the new one was written.
    const auto draws = CallsNamed("grDrawPolygonVertexList");
    ASSERT_EQ(draws.size(), 6000u);
    EXPECT_EQ(draws.back()->vertices[0].x, 5999.0f);
    EXPECT_EQ(CountCalls("grDrawLine"), 0);
    EXPECT_EQ(scene.count, 1u);
    EXPECT_EQ(RenderScene(), 6000u * 3u + 2u);
    EXPECT_EQ(OnlyCall("grDrawLine").vertices[0].x, 6000.0f);
}

TEST_F(SceneListTest, FourPointOutlineIsNeverSplitByAnOverflow) {
    OpenAt(3);
    for (int i = 0; i < kSceneCapacity - 2; ++i) AddRecord(3, 0, kUntexturedSlot);
    Packet outline;
    outline.Xy(8, 0, 0).Xy(12, 10, 0).Xy(16, 10, 10).Xy(20, 0, 10);
    DrawLineFlat4(outline.data(), 1);
    EXPECT_EQ(CountCalls("grDrawPolygonVertexList"), kSceneCapacity - 2);
    EXPECT_EQ(scene.count, 4u);
    EXPECT_EQ(RenderScene(), (kSceneCapacity - 2) * 3u + 8u);
    EXPECT_EQ(CountCalls("grDrawLine"), 4);
}

}  // namespace
