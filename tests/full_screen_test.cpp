// Full-screen pictures: the t extent of ShowPage per slot, and BlitScreen
// centring and cutting the picture and keeping Glide's state.
#include <cstring>

#include "glide_api.h"
#include "support/plugin_fixture.h"

namespace {

using V = std::vector<std::int64_t>;
constexpr int kPitch = 4096;  // picture pixels per row: 8192 bytes

class FullScreenTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        OpenAt(3);  // 640 x 480
        // Every page loaded from 0x100 on: slot 1 halved at 0x10100, slot 5
        // whole at 0x70100; slot 17 is never loaded.
        standinSetTexAddressRange(0, 0x100, 0x1FFFF8);
        LoadTextures();
        standinClearLog();
    }
    std::vector<std::uint16_t> picture = std::vector<std::uint16_t>(kPitch * 512);
};

TEST_F(FullScreenTest, ShowPageBottomTFollowsTheSlotsTScale) {
    const struct {
        unsigned slot;
        float bottom;
        std::int64_t start;
    } cases[] = {{1, 128.0f, 0x10100}, {5, 256.0f, 0x70100}, {17, 0.0f, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "slot " << c.slot);
        standinClearLog();
        ShowPage(10, 20, 330, 260, c.slot);
        const StandinCall& draw = OnlyCall("grDrawPolygon");
        EXPECT_EQ(draw.vertices[0].tmuvtx[0].tow, c.bottom);  // index 2
        EXPECT_EQ(draw.vertices[3].tmuvtx[0].tow, c.bottom);  // index 3
        EXPECT_EQ(draw.vertices[1].tmuvtx[0].tow, 0.0f);
        EXPECT_EQ(draw.vertices[0].x, 786442.0f);
        EXPECT_EQ(draw.vertices[0].y, 786692.0f);
        EXPECT_EQ(OnlyCall("grTexSource").args[1], c.start);
    }
}

TEST_F(FullScreenTest, ShowPageOfASlotWithoutTScaleDrawsNothing) {
    for (unsigned slot : {18u, 127u, 0xFFFFFFFFu}) {
        ShowPage(0, 0, 640, 480, slot);
        EXPECT_EQ(standinCallCount(), 0) << "slot " << slot;
    }
}

TEST_F(FullScreenTest, BlitScreenCentresAndCutsThePicture) {
    const struct {
        int width, height;
        std::int64_t x, y, w, h;
    } cases[] = {
        {320, 240, 160, 120, 320, 240}, {1024, 512, 0, 0, 640, 480}, {321, 480, 159, 0, 321, 480},
        {640, 480, 0, 0, 640, 480},     {0, 0, 320, 240, 0, 0},       {641, 10, 0, 235, 640, 10},
        {320, 241, 160, 119, 320, 241},  // 239 lines to spare: 119 above, 120 below
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        standinClearLog();
        BlitScreen(picture.data(), c.width, c.height);
        EXPECT_EQ(Args(OnlyCall("grLfbWriteRegion")), (V{1, c.x, c.y, 1, c.w, c.h, 8192, Address(picture.data())}));
    }
    EXPECT_EQ(standinErrorCount(), 0);
}

TEST_F(FullScreenTest, BlitScreenWithANegativeSizeMakesNoCall) {
    BlitScreen(picture.data(), -1, 100);
    BlitScreen(picture.data(), 100, -1);
    EXPECT_EQ(standinCallCount(), 0);
}

TEST_F(FullScreenTest, BlitScreenLeavesTheGlideStateAsItFoundIt) {
    // A state unlike the one BlitScreen sets: culling on, chroma-keying on,
    // constant colour white after fxInit, plus a blend and combine of our own.
    grAlphaBlendFunction(1, 1, 4, 0);
    grColorCombine(3, 9, 0, 1, 0);
    grDepthMask(1);
    const GrState before = GlideStateSnapshot();
    BlitScreen(picture.data(), 320, 240);
    EXPECT_TRUE(SameGlideState(GlideStateSnapshot(), before));
    // What it set in between did differ.
    standinClearLog();
    grCullMode(0);
    EXPECT_FALSE(SameGlideState(GlideStateSnapshot(), before));
}

}  // namespace
