// The scene list and its flush: per-record blending and texture calls, draw
// calls by vertex count, the vertex total, and frames beyond the capacity.
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

TEST_F(SceneListTest, BlendStateFollowsTheTableForEveryModeAndTexturing) {
    const struct {
        int textured, blend;
        V color, alpha, blendFn;
    } rows[] = {
        {0, 0, {3, 1, 0, 0, 0}, {3, 8, 1, 0, 0}, {1, 5, 4, 0}},
        {0, 1, {3, 1, 0, 0, 0}, {1, 0, 1, 2, 0}, {1, 1, 4, 0}},
        {0, 2, {3, 1, 0, 0, 0}, {3, 8, 1, 0, 0}, {1, 5, 4, 0}},
        {0, 3, {3, 1, 0, 0, 0}, {1, 0, 1, 2, 0}, {1, 1, 4, 0}},
        {0, 7, {3, 1, 0, 0, 0}, {3, 8, 1, 0, 0}, {1, 5, 4, 0}},
        {1, 0, {3, 1, 0, 1, 0}, {3, 8, 1, 0, 0}, {1, 5, 4, 0}},
        {1, 1, {3, 1, 0, 1, 0}, {1, 0, 1, 2, 0}, {1, 1, 4, 0}},
        {1, 2, {3, 9, 0, 1, 0}, {3, 9, 0, 0, 0}, {1, 5, 4, 0}},
        {1, 3, {3, 1, 0, 1, 0}, {3, 8, 1, 0, 0}, {1, 5, 4, 0}},
        {1, 7, {3, 1, 0, 1, 0}, {3, 8, 1, 0, 0}, {1, 5, 4, 0}},
    };
    OpenAt(3);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "textured " << row.textured << " blend " << row.blend);
        standinClearLog();
        AddRecord(3, row.blend, row.textured ? 4 : kUntexturedSlot);
        RenderScene();
        EXPECT_EQ(Args(OnlyCall("grColorCombine")), row.color);
        EXPECT_EQ(Args(OnlyCall("grAlphaCombine")), row.alpha);
        EXPECT_EQ(Args(OnlyCall("grAlphaBlendFunction")), row.blendFn);
    }
}

TEST_F(SceneListTest, TexturedRecordSetsItsSlotsSourceAfterTheBlendCalls) {
    OpenAt(3);
    slotTable.slots[5] = {1, 0x30000, 0, {0, 0, 3, 11, nullptr}};
    AddRecord(4, 0, 5);
    EXPECT_EQ(RenderScene(), 4u);
    const std::vector<std::string> expected = {"grColorCombine", "grAlphaCombine", "grAlphaBlendFunction",
                                               "grTexSource", "grDrawPolygonVertexList"};
    EXPECT_EQ(CallNames(), expected);
    const StandinCall& source = OnlyCall("grTexSource");
    EXPECT_EQ(source.args[0], 0);
    EXPECT_EQ(source.args[1], 0x30000);
    EXPECT_EQ(source.args[2], 3);
    EXPECT_EQ(source.texInfo.aspectRatio, 3);
    EXPECT_EQ(source.texInfo.format, 11);
    EXPECT_EQ(source.args[3], static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(&slotTable.slots[5].info)));
}

TEST_F(SceneListTest, FrameDrawsEveryRecordInOrderWithFullStateEachTime) {
    OpenAt(3);
    AddRecord(3, 0, kUntexturedSlot, 1.0f);
    AddRecord(2, 0, kUntexturedSlot, 2.0f);
    AddRecord(5, 0, kUntexturedSlot, 3.0f);
    EXPECT_EQ(RenderScene(), 10u);
    const std::vector<std::string> state = {"grColorCombine", "grAlphaCombine", "grAlphaBlendFunction"};
    std::vector<std::string> expected;
    for (const char* draw : {"grDrawPolygonVertexList", "grDrawLine", "grDrawPolygonVertexList"}) {
        expected.insert(expected.end(), state.begin(), state.end());
        expected.push_back(draw);
    }
    EXPECT_EQ(CallNames(), expected);
    const auto polygons = CallsNamed("grDrawPolygonVertexList");
    ASSERT_EQ(polygons.size(), 2u);
    EXPECT_EQ(polygons[0]->args[0], 3);
    EXPECT_EQ(polygons[1]->args[0], 5);
    EXPECT_EQ(polygons[1]->vertices[0].x, 3.0f);
    EXPECT_EQ(OnlyCall("grDrawLine").vertices[0].x, 2.0f);
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

TEST_F(SceneListTest, OverflowDrawsTheFirst6000RecordsExactly) {
    OpenAt(3);
    for (int i = 0; i <= kSceneCapacity; ++i) AddRecord(3, i % 4, kUntexturedSlot, static_cast<float>(i));
    RenderScene();
    const auto draws = CallsNamed("grDrawPolygonVertexList");
    ASSERT_EQ(draws.size(), 6001u);
    for (int i = 0; i <= kSceneCapacity; ++i) ASSERT_EQ(draws[i]->vertices[0].x, static_cast<float>(i));
    // Each kept its own blend state: record 6000 has mode 0, record 5999 mode 3.
    const auto alphas = CallsNamed("grAlphaCombine");
    EXPECT_EQ(Args(*alphas[5999]), (V{1, 0, 1, 2, 0}));
    EXPECT_EQ(Args(*alphas[6000]), (V{3, 8, 1, 0, 0}));
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
