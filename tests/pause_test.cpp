// Pause and resume: the card is closed with Glide's state saved, reopened at
// the stored resolution with the state restored, and every texture page is
// downloaded again from the staging surface as it is then.
#include <algorithm>
#include <cstring>
#include <functional>

#include "glide_api.h"
#include "support/plugin_fixture.h"

namespace {

using V = std::vector<std::int64_t>;
constexpr int kStride = 4096;

class PauseTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        OpenAt(3);
    }
    std::uint16_t& At(int row, int column) { return host.staging[row * kStride + column]; }
};

// The first n calls of the log (fewer if it holds fewer).
std::vector<std::string> FirstCalls(std::size_t n) {
    std::vector<std::string> names = CallNames();
    names.resize(std::min(n, names.size()));
    return names;
}

const std::vector<std::string> kResumeSteps = {"grSstControl", "grSstWinOpen", "grGlideSetState"};

TEST_F(PauseTest, PauseSavesTheStateClosesAndReturnsTheControlResult) {
    for (int result : {1, 0}) {
        SCOPED_TRACE(testing::Message() << "control result " << result);
        standinClearLog();
        standinSetControlResult(result);
        EXPECT_EQ(pause_render(), result);
        EXPECT_EQ(CallNames(), (std::vector<std::string>{"grGlideGetState", "grSstWinClose", "grSstControl"}));
        EXPECT_NE(OnlyCall("grGlideGetState").args[0], 0);  // the plug-in's own record
        EXPECT_EQ(Args(OnlyCall("grSstControl")), V{2});
        unpause_render();
    }
}

TEST_F(PauseTest, ResumeUsesTheResolutionOfTheLastInitEvenAFailedOne) {
    pause_render();
    standinSetWinOpenResult(0);
    EXPECT_EQ(fxInit(0, 4, 0), 0);  // 800 x 600 chosen, then the open fails
    standinSetWinOpenResult(1);
    standinClearLog();
    unpause_render();
    EXPECT_EQ(Args(OnlyCall("grSstWinOpen")), (V{0, 8, 0, 0, 0, 2, 0}));
    EXPECT_EQ(standinScreenWidth(), 800);
}

// An fxInit that fails after storing its resolution code still started Glide:
// pause_render and unpause_render make their calls, and the resume opens at
// the code that fxInit stored (800 x 600).
TEST_F(PauseTest, PauseAndResumeAfterAFailedInitMakeTheirCalls) {
    GrHwConfiguration unknown{};
    unknown.num_sst = 1;
    unknown.SSTs[0].type = 4;
    const struct {
        const char* what;
        std::function<void()> fail;
    } cases[] = {{"grSstWinOpen fails", [] { standinSetWinOpenResult(0); }},
                 {"unknown board type", [&unknown] { standinSetHardware(1, &unknown); }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        standinReset();
        ResetPluginState();
        c.fail();
        ASSERT_EQ(fxInit(0, 4, 0), 0);
        InitHost(host, 4);
        standinSetWinOpenResult(1);
        standinSetControlResult(0);
        standinClearLog();
        EXPECT_EQ(pause_render(), 0);
        EXPECT_EQ(CallNames(), (std::vector<std::string>{"grGlideGetState", "grSstWinClose", "grSstControl"}));
        standinClearLog();
        unpause_render();
        EXPECT_EQ(FirstCalls(3), kResumeSteps);
        EXPECT_EQ(Args(OnlyCall("grSstWinOpen")), (V{0, 8, 0, 0, 0, 2, 0}));
        EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), 17);
        EXPECT_EQ(standinScreenWidth(), 800);
    }
}

// A resume whose window does not open ends the pause all the same: the card
// counts as open, everything that needs it makes its calls, and the next
// pause_render passes on what grSstControl returned.
TEST_F(PauseTest, ResumeWhoseWindowFailsLeavesTheCardOpen) {
    pause_render();
    standinSetWinOpenResult(0);
    unpause_render();
    standinSetControlResult(0);
    standinClearLog();
    DrawTile(Packet().Rgb(4, 64, 64, 64).Xy(8, 10, 10).Xy(12, 20, 20).data());
    EXPECT_EQ(RenderScene(), 4u);
    Flip();
    ClearScreen();
    ShowPage(0, 0, 64, 64, 3);
    const std::uint16_t picture[4] = {};
    BlitScreen(picture, 2, 2);
    LoadTextures();  // no LoadTextures before: the pages are not current
    for (const auto& [name, count] : {std::pair{"grDrawPolygonVertexList", 1}, {"grBufferSwap", 1},
                                      {"grBufferClear", 2}, {"grDrawPolygon", 1}, {"grLfbWriteRegion", 1},
                                      {"grTexDownloadMipMapLevel", 17}})
        EXPECT_EQ(CountCalls(name), count) << name;
    standinClearLog();
    EXPECT_EQ(pause_render(), 0);
    EXPECT_EQ(CountCalls("grSstControl"), 1);
}

// fxInit and fxShutdown may come between pause_render and unpause_render;
// the resume still makes its calls, brings back the state saved at the
// pause and leaves the pages-current flag as it was (current here).
TEST_F(PauseTest, ResumeAfterInitOrShutdownInThePauseMakesItsCalls) {
    const struct {
        const char* what;
        void (*between)();
    } cases[] = {{"fxInit", [] { ASSERT_EQ(fxInit(0, 3, 1), 1); }}, {"fxShutdown", [] { fxShutdown(); }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadTextures();
        Packet mode;
        mode.U16(8, 0x0020);
        DoDrMode(mode.data());
        DrawTile(Packet().U8(7, 2).Xy(8, 10, 10).Xy(12, 20, 20).data());
        RenderScene();  // blending of mode 1 in force
        const GrState before = GlideStateSnapshot();
        pause_render();
        c.between();
        standinClearLog();
        unpause_render();
        EXPECT_EQ(FirstCalls(3), kResumeSteps);
        EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), 17);
        EXPECT_TRUE(SameGlideState(before, GlideStateSnapshot()));
        standinClearLog();
        LoadTextures();
        EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), 0);
    }
}

TEST_F(PauseTest, ResumeDownloadsTheStagingSurfaceAsItIsNow) {
    LoadTextures();
    pause_render();
    // New contents at each page's first two rows (so halving keeps them).
    for (int n = 0; n < 17; ++n) {
        const int row = n < 11 ? 0 : 256;
        const int column = 1280 + 256 * (n % 11);
        At(row, column) = At(row + 1, column) = static_cast<std::uint16_t>(0x0100 + n);
    }
    standinSetTexAddressRange(0, 0x100, 0x1FFFF8);
    standinClearLog();
    unpause_render();
    const auto downloads = CallsNamed("grTexDownloadMipMapLevel");
    ASSERT_EQ(downloads.size(), 17u);
    // Page order from the start of TMU 0: 0x100 + 65,536 n, then 0x30100 + 131,072 (n - 3).
    const std::uint32_t start[17] = {0x100,    0x10100,  0x20100,  0x30100,  0x50100,  0x70100,
                                     0x90100,  0xB0100,  0xD0100,  0xF0100,  0x110100, 0x130100,
                                     0x150100, 0x170100, 0x190100, 0x1B0100, 0x1D0100};
    for (int n = 0; n < 17; ++n) {
        SCOPED_TRACE(testing::Message() << "page " << n);
        EXPECT_EQ(downloads[n]->args[0], 0);
        EXPECT_EQ(downloads[n]->args[1], start[n]);
        EXPECT_EQ(downloads[n]->args[4], n <= 2 ? 2 : 3);
        ASSERT_GT(downloads[n]->pixelCount, 0);
        EXPECT_EQ(downloads[n]->pixels[0], 0x0100 + n);
        std::uint16_t texel = 0;
        standinReadTexMemory(0, start[n], &texel, 2);
        EXPECT_EQ(texel, 0x0100 + n);
    }
}

TEST_F(PauseTest, ResumeLeavesThePagesCurrentFlagAlone) {
    // Pages are not current before the first LoadTextures and are after it;
    // resume reloads them either way and the next LoadTextures acts as before.
    for (int current : {0, 1}) {
        if (current) LoadTextures();
        pause_render();
        standinClearLog();
        unpause_render();
        EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), 17);
        standinClearLog();
        LoadTextures();
        EXPECT_EQ(CountCalls("grTexDownloadMipMapLevel"), current ? 0 : 17);
    }
}

}  // namespace
