// Pause and resume: the card is closed with Glide's state saved, reopened at
// the stored resolution with the state restored, and every texture page is
// downloaded again from the staging surface as it is then.
#include <cstring>

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
