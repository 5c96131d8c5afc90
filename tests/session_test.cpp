// A host calling exports out of order. Guards act only where a host's order
// does not go: nothing that draws, clears, flips or downloads reaches Glide
// while the card is not open, nothing is closed, paused or resumed without a
// running Glide, and unpause_render without a pending pause does nothing.
// Everywhere else the exports make their calls (pause_test.cpp,
// device_test.cpp). The fixture's TearDown also requires that the stand-in's
// validation layer saw nothing wrong.
#include <functional>

#include "support/plugin_fixture.h"

#include "scene/scene_list.h"
#include "texture/staging.h"

namespace {

using Names = std::vector<std::string>;

class SessionTest : public PluginTest {
protected:
    Packet tile = Packet().Rgb(4, 64, 64, 64).Xy(8, 10, 10).Xy(12, 20, 20);

    // Every export that draws, clears, flips or downloads, with harmless arguments.
    void CallEverythingThatNeedsTheCard() {
        std::uint16_t picture[4] = {};
        DrawTile(tile.data());
        EXPECT_EQ(RenderScene(), 0u);
        Flip();
        ClearScreen();
        ShowPage(0, 0, 64, 64, 3);
        BlitScreen(picture, 2, 2);
        LoadTextures();
    }
};

TEST_F(SessionTest, NothingDrawsClearsFlipsOrDownloadsWithoutAnOpenCard) {
    const struct {
        const char* when;
        std::function<void()> before;
    } cases[] = {
        {"before fxInit", [this] { InitHost(host, 3); }},
        {"after fxShutdown", [this] { OpenAt(3); fxShutdown(); }},
        {"after a failed fxInit", [this] {
             standinSetWinOpenResult(0);
             fxInit(0, 3, 0);
             InitHost(host, 3);
         }},
        {"during a pause", [this] { OpenAt(3); pause_render(); }},
        {"after fxGlideShutdown", [this] { OpenAt(3); fxShutdown(); fxGlideShutdown(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        SetUp();
        SetDrawEnv(0, 0, 320, 256);
        c.before();
        standinClearLog();
        CallEverythingThatNeedsTheCard();
        EXPECT_EQ(CallNames(), Names{});
        EXPECT_EQ(vrastex::scene.count, 0u);  // the frame that could not be drawn is dropped
    }
}

TEST_F(SessionTest, WithoutARunningGlideNothingIsClosedPausedOrResumed) {
    const struct {
        const char* when;
        std::function<void()> before;
    } cases[] = {
        {"before fxInit", [this] { InitHost(host, 3); }},
        {"after fxGlideShutdown", [this] { OpenAt(3); pause_render(); fxGlideShutdown(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        SetUp();
        c.before();
        standinClearLog();
        EXPECT_EQ(fxShutdown(), 1);
        EXPECT_EQ(pause_render(), 0);
        unpause_render();
        EXPECT_EQ(CallNames(), Names{});
    }
}

// A second pause_render makes its calls like the first; one unpause_render
// ends the pause, and one without a pending pause does nothing.
TEST_F(SessionTest, ResumeOnlyAfterAPendingPause) {
    OpenAt(3);
    unpause_render();
    EXPECT_EQ(CallNames(), Names{});
    standinSetControlResult(0);
    EXPECT_EQ(pause_render(), 0);
    EXPECT_EQ(pause_render(), 0);
    EXPECT_EQ(CountCalls("grGlideGetState"), 2);
    EXPECT_EQ(CountCalls("grSstControl"), 2);
    unpause_render();
    EXPECT_EQ(CountCalls("grSstWinOpen"), 1);
    standinClearLog();
    unpause_render();
    EXPECT_EQ(CallNames(), Names{});
}

// After fxGlideShutdown, the host's last call, an fxInit starts Glide again
// without a second hardware query.
TEST_F(SessionTest, InitAfterGlideShutdownStartsGlideAgainWithoutAQuery) {
    OpenAt(3);
    fxShutdown();
    fxGlideShutdown();
    fxGlideShutdown();  // binds and ends Glide each time
    EXPECT_EQ(CountCalls("grGlideShutdown"), 2);
    standinClearLog();
    ASSERT_EQ(fxInit(0, 3, 0), 1);
    EXPECT_EQ(CallNames().front(), "grGlideInit");
    EXPECT_EQ(CountCalls("grSstQueryHardware"), 0);
}

TEST_F(SessionTest, AFullSceneListWithoutACardIsDroppedNotSent) {
    InitHost(host, 3);
    SetDrawEnv(0, 0, 320, 256);
    for (int i = 0; i < vrastex::kSceneCapacity + 5; ++i) DrawTile(tile.data());
    EXPECT_EQ(vrastex::scene.count, 5u);
    EXPECT_EQ(standinCallCount(), 0);
}

TEST_F(SessionTest, LoadTexturesWithoutACardLeavesThePagesToLoad) {
    InitHost(host, 3);
    std::uint8_t table[16 + 32] = {};
    Packet rect = Packet().S16(4, 16).S16(6, 1);
    LoadImagePC(rect.data(), table + 16);
    LoadTextures();
    EXPECT_EQ(vrastex::staging.colorTable, nullptr);  // forgotten as always
    EXPECT_EQ(standinCallCount(), 0);
    OpenAt(3);
    LoadTextures();
    EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), 17);
}

}  // namespace
