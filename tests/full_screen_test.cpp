// Full-screen pictures: a texture page drawn as one rectangle, and a host
// picture written centred into the back buffer with Glide's state kept.
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

TEST_F(FullScreenTest, ShowPageDrawsTheSlotOverTheRectangle) {
    ShowPage(0, 0, 640, 480, 5);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"grTexSource", "grTexCombine", "grDrawPolygon"}));
    const StandinCall& source = OnlyCall("grTexSource");
    EXPECT_EQ(V(source.args, source.args + 3), (V{0, 0x70100, 3}));
    EXPECT_NE(source.args[3], 0);  // the slot's own record
    EXPECT_EQ(source.texInfo.aspectRatio, 3);
    EXPECT_EQ(Args(OnlyCall("grTexCombine")), (V{0, 1, 0, 1, 0, 0, 0}));

    const StandinCall& draw = OnlyCall("grDrawPolygon");
    ASSERT_EQ(draw.args[0], 4);
    EXPECT_NE(draw.args[2], 0);
    EXPECT_EQ((std::vector<int>(draw.indices, draw.indices + 4)), (std::vector<int>{2, 0, 1, 3}));
    // The vertices as drawn, in index order: bottom-left, top-left, top-right, bottom-right.
    const float expected[4][4] = {
        {786432.0f, 786912.0f, 0.0f, 256.0f},
        {786432.0f, 786432.0f, 0.0f, 0.0f},
        {787072.0f, 786432.0f, 256.0f, 0.0f},
        {787072.0f, 786912.0f, 256.0f, 256.0f},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(testing::Message() << "vertex " << i);
        const GrVertex& v = draw.vertices[i];
        EXPECT_EQ(v.x, expected[i][0]);
        EXPECT_EQ(v.y, expected[i][1]);
        EXPECT_EQ(v.tmuvtx[0].sow, expected[i][2]);
        EXPECT_EQ(v.tmuvtx[0].tow, expected[i][3]);
        EXPECT_EQ(v.tmuvtx[0].oow, 1.0f);
        EXPECT_EQ(v.r, 255.0f);
        EXPECT_EQ(v.g, 255.0f);
        EXPECT_EQ(v.b, 255.0f);
        EXPECT_EQ(v.a, 255.0f);
        EXPECT_EQ(v.oow, 1.0f);
    }
}

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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        standinClearLog();
        BlitScreen(picture.data(), c.width, c.height);
        EXPECT_EQ(Args(OnlyCall("grLfbWriteRegion")), (V{1, c.x, c.y, 1, c.w, c.h, 8192, Address(picture.data())}));
    }
    EXPECT_EQ(standinErrorCount(), 0);
}

TEST_F(FullScreenTest, BlitScreenCallSequence) {
    BlitScreen(picture.data(), 320, 240);
    const std::vector<std::string> expected = {
        "grGlideGetState", "grSstScreenWidth", "grSstScreenHeight", "grSstScreenWidth", "grSstScreenHeight",
        "grColorCombine",  "grAlphaBlendFunction", "grAlphaCombine", "grDepthMask",     "grCullMode",
        "grConstantColorValue", "grLfbWriteRegion", "grDrawTriangle", "grDrawTriangle", "grGlideSetState",
    };
    ASSERT_EQ(CallNames(), expected);
    EXPECT_EQ(Args(OnlyCall("grColorCombine")), (V{1, 0, 1, 2, 0}));
    EXPECT_EQ(Args(OnlyCall("grAlphaBlendFunction")), (V{1, 5, 4, 0}));
    EXPECT_EQ(Args(OnlyCall("grAlphaCombine")), (V{1, 0, 1, 2, 0}));
    EXPECT_EQ(Args(OnlyCall("grDepthMask")), V{0});
    EXPECT_EQ(Args(OnlyCall("grCullMode")), V{0});
    EXPECT_EQ(Args(OnlyCall("grConstantColorValue")), V{0});
    EXPECT_EQ(OnlyCall("grGlideSetState").args[0], OnlyCall("grGlideGetState").args[0]);

    const auto triangles = CallsNamed("grDrawTriangle");
    const float corners[2][3][2] = {{{0, 0}, {640, 0}, {640, 480}}, {{0, 0}, {640, 480}, {0, 480}}};
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(testing::Message() << "triangle " << t << " vertex " << k);
            EXPECT_EQ(triangles[t]->vertices[k].x, corners[t][k][0]);
            EXPECT_EQ(triangles[t]->vertices[k].y, corners[t][k][1]);
            EXPECT_EQ(triangles[t]->vertices[k].oow, 1.0f);
        }
    // Corners 0 and 3 of one four-vertex array.
    EXPECT_EQ(triangles[1]->args[2] - triangles[0]->args[0], 3 * static_cast<std::int64_t>(sizeof(GrVertex)));
}

TEST_F(FullScreenTest, BlitScreenReadsRowsAtTheFixedPitch) {
    for (int row = 0; row < 240; ++row)
        for (int column = 0; column < kPitch; ++column)
            picture[row * kPitch + column] = static_cast<std::uint16_t>(row * 64 + column);
    BlitScreen(picture.data(), 320, 240);
    const StandinCall& write = OnlyCall("grLfbWriteRegion");
    ASSERT_EQ(write.pixelCount, 320 * 240);
    int mismatches = 0;
    for (int row = 0; row < 240; ++row)
        for (int column = 0; column < 320; ++column)
            mismatches += write.pixels[row * 320 + column] != static_cast<std::uint16_t>(row * 64 + column);
    EXPECT_EQ(mismatches, 0);
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

TEST_F(FullScreenTest, BlitScreenPixelsLandInTheBackBufferAs565) {
    // 555 source pixels and their 565 forms, by hand.
    const std::uint16_t source[6] = {0x7FFF, 0x001F, 0x03E0, 0x7C00, 0x0200, 0x8000};
    const std::uint16_t shown[6] = {0xFFFF, 0x001F, 0x07E0, 0xF800, 0x0420, 0x0000};
    for (int row = 0; row < 240; ++row)
        for (int column = 0; column < 320; ++column) picture[row * kPitch + column] = source[(row + column) % 6];
    BlitScreen(picture.data(), 320, 240);
    std::vector<std::uint16_t> back(640 * 480, 0x1234);
    ASSERT_EQ(standinReadColorBuffer(1, back.data(), static_cast<int>(back.size())), 640 * 480);
    int mismatches = 0;
    for (int row = 0; row < 240; ++row)
        for (int column = 0; column < 320; ++column)
            mismatches += back[(120 + row) * 640 + 160 + column] != shown[(row + column) % 6];
    EXPECT_EQ(mismatches, 0);
    // Around the written rectangle the cleared buffer is still black.
    EXPECT_EQ(back[119 * 640 + 160], 0);
    EXPECT_EQ(back[120 * 640 + 159], 0);
    EXPECT_EQ(back[360 * 640 + 160], 0);
    EXPECT_EQ(back[120 * 640 + 480], 0);
    std::vector<std::uint16_t> front(640 * 480, 0x1234);
    standinReadColorBuffer(0, front.data(), static_cast<int>(front.size()));
    EXPECT_EQ(front[120 * 640 + 160], 0);
}

}  // namespace
