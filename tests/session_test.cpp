// A host calling exports out of order: nothing that needs an initialised
// Glide or an open window reaches Glide while there is none, and what an
// in-order session needs afterwards is kept. (The fixture's TearDown also
// requires that the stand-in's validation layer saw nothing wrong.)
#include <functional>

#include "support/plugin_fixture.h"

#include "device/pause.h"
#include "device/session.h"
#include "scene/scene_list.h"
#include "texture/staging.h"

namespace {

using Names = std::vector<std::string>;

class SessionTest : public PluginTest {
protected:
    Packet tile = Packet().Rgb(4, 64, 64, 64).Xy(8, 10, 10).Xy(12, 20, 20);

    // Every export that needs the card, with harmless arguments.
    void CallEverythingThatNeedsTheCard() {
        std::uint16_t picture[4] = {};
        DrawTile(tile.data());
        EXPECT_EQ(RenderScene(), 0u);
        Flip();
        ClearScreen();
        ShowPage(0, 0, 64, 64, 3);
        BlitScreen(picture, 2, 2);
        LoadTextures();
        unpause_render();
    }
};

TEST_F(SessionTest, NothingReachesGlideWithoutAnOpenCard) {
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
        {"after fxGlideShutdown", [this] { OpenAt(3); fxShutdown(); fxGlideShutdown(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        SetUp();
        SetDrawEnv(0, 0, 320, 256);
        c.before();
        standinClearLog();
        CallEverythingThatNeedsTheCard();
        EXPECT_EQ(pause_render(), 0);  // nothing to give up
        EXPECT_EQ(CallNames(), Names{});
        EXPECT_EQ(vrastex::scene.count, 0u);  // the frame that could not be drawn is dropped
    }
}

TEST_F(SessionTest, PauseTwiceKeepsTheFirstSavedStateAndResumesOnce) {
    OpenAt(3);
    EXPECT_EQ(pause_render(), 1);
    const GrState saved = vrastex::savedGlideState;
    standinClearLog();
    EXPECT_EQ(pause_render(), 1);  // still paused
    CallEverythingThatNeedsTheCard();
    ASSERT_EQ(CountCalls("grSstWinOpen"), 1);  // the unpause inside
    EXPECT_TRUE(SameGlideState(saved, vrastex::savedGlideState));
    standinClearLog();
    unpause_render();
    fxShutdown();
    fxShutdown();
    EXPECT_EQ(CountCalls("grSstWinOpen"), 0);
    EXPECT_EQ(CountCalls("grSstWinClose"), 2);  // closing a closed card is harmless to Glide
}

TEST_F(SessionTest, SecondInitReopensInTheNewMode) {
    OpenAt(3);
    ASSERT_EQ(fxInit(0, 5, 1), 1);
    EXPECT_EQ(CallNames().front(), "grTexMinAddress");  // as fxShutdown: allocator reset, window closed
    EXPECT_EQ(CountCalls("grSstWinClose"), 1);
    EXPECT_EQ(CountCalls("grGlideInit"), 0);
    EXPECT_EQ(OnlyCall("grSstWinOpen").args[1], GR_RESOLUTION_1024x768);
}

TEST_F(SessionTest, InitDuringAPauseOpensAndTheNextLoadDownloadsEveryPage) {
    OpenAt(3);
    LoadTextures();
    pause_render();
    ASSERT_EQ(fxInit(0, 3, 0), 1);
    standinClearLog();
    unpause_render();  // nothing left to resume
    EXPECT_EQ(CallNames(), Names{});
    LoadTextures();
    EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), 17);
}

TEST_F(SessionTest, InitAfterGlideShutdownStartsGlideAgainWithoutAQuery) {
    OpenAt(3);
    fxShutdown();
    fxGlideShutdown();
    fxGlideShutdown();  // Glide is ended once
    EXPECT_EQ(CountCalls("grGlideShutdown"), 1);
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
