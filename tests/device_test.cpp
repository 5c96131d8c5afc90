// Device lifecycle: the point-sampling flag, the resolution table and where
// it puts host points, the one-time hardware query, detection, flips. The
// fixed opening sequence is pinned by the golden trace.
#include "support/plugin_fixture.h"

namespace {

GrHwConfiguration Board(int type, int texelfx) {
    GrHwConfiguration config{};
    config.num_sst = 1;
    config.SSTs[0].type = type;
    if (type == GR_SSTTYPE_SST96)
        config.SSTs[0].sstBoard.SST96Config.nTexelfx = texelfx;
    else
        config.SSTs[0].sstBoard.VoodooConfig.nTexelfx = texelfx;
    return config;
}

using DeviceTest = PluginTest;

// Where host point (x, y) lands on the screen: a triangle with that point as
// packet vertex 0 (stored last, rotated by two) is drawn and sent. The draw
// offset (-16, -16) moves packet point (h + 16) back to host point h.
GrVertex ScreenPointOf(int x, int y) {
    SetDrawEnv(-16, -16, 300, 300);
    Packet tri;
    tri.Xy(8, x + 16, y + 16).Xy(12, 100, 16).Xy(16, 16, 100);
    DrawFlat(tri.data());
    standinClearLog();
    EXPECT_EQ(RenderScene(), 3u);
    const auto draws = CallsNamed("grDrawPolygonVertexList");
    return draws.size() == 1 ? draws[0]->vertices[2] : GrVertex{};
}

TEST_F(DeviceTest, PointSamplingFlagChoosesTheFilter) {
    const struct {
        int flag;
        std::int64_t filter;
    } cases[] = {{0, GR_TEXTUREFILTER_BILINEAR}, {1, GR_TEXTUREFILTER_POINT_SAMPLED}, {7, 0}, {-1, 0}};
    for (const auto& c : cases) {
        standinClearLog();
        ASSERT_EQ(fxInit(0, 3, c.flag), 1);
        EXPECT_EQ(Args(OnlyCall("grTexFilterMode")), (std::vector<std::int64_t>{0, c.filter, c.filter}))
            << "flag " << c.flag;
    }
}

// Resolution index to Glide resolution code and screen scale, and where the
// host point (10, 10) lands on the screen.
TEST_F(DeviceTest, ResolutionIndexSetsModeScaleAndVertexPositions) {
    const struct {
        int index;
        std::int64_t code;
        float x, y;  // 786432 + 10 x scale: exact on the 1/16 grid
    } cases[] = {
        {0, 0, 786442.0f, 786439.8125f}, {1, 3, 786448.0f, 786447.0f},   {2, 6, 786452.0f, 786447.625f},
        {3, 7, 786452.0f, 786450.75f},   {4, 8, 786457.0f, 786455.4375f}, {5, 12, 786464.0f, 786462.0f},
        {6, 7, 786452.0f, 786450.75f},   {-1, 7, 786452.0f, 786450.75f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        standinClearLog();
        ASSERT_EQ(fxInit(0, c.index, 0), 1);
        EXPECT_EQ(OnlyCall("grSstWinOpen").args[1], c.code);
        InitHost(host, c.index);
        const GrVertex point = ScreenPointOf(10, 10);
        EXPECT_EQ(point.x, c.x);
        EXPECT_EQ(point.y, c.y);
    }
}

// Positions are rounded once, to nearest, ties to even.
TEST_F(DeviceTest, ScreenPositionsRoundOnceToNearestFloat) {
    const struct {
        int index;
        int hostX, hostY;
        float x, y;
    } cases[] = {
        {1, 7, 0, 786443.1875f, 786432.0f},    // 11.2 lies nearer 3/16 than 4/16
        {4, 0, 1, 786432.0f, 786434.375f},     // 2.34375 is a tie between 5/16 and 6/16: even wins
        {0, -3, -5, 786429.0f, 786428.125f},   // -3.90625 = -62.5/16, a tie: -62/16 is even
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        standinReset();
        ResetPluginState();
        OpenAt(c.index);
        const GrVertex point = ScreenPointOf(c.hostX, c.hostY);
        EXPECT_EQ(point.x, c.x);
        EXPECT_EQ(point.y, c.y);
    }
}

TEST_F(DeviceTest, TmuCountFollowsTheFirstBoardType) {
    const struct {
        int type, texelfx, tmus;
    } cases[] = {{GR_SSTTYPE_VOODOO, 2, 2}, {GR_SSTTYPE_SST96, 3, 3}, {GR_SSTTYPE_AT3D, 3, 1},
                 {GR_SSTTYPE_Voodoo2, 2, 2}, {GR_SSTTYPE_VOODOO, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        standinReset();
        ResetPluginState();
        const GrHwConfiguration config = Board(c.type, c.texelfx);
        standinSetHardware(1, &config);
        ASSERT_EQ(fxInit(0, 3, 0), 1);
        // Shutting down rewinds each TMU's allocator, asking Glide for its first address.
        standinClearLog();
        EXPECT_EQ(fxShutdown(), 1);
        const auto calls = CallsNamed("grTexMinAddress");
        ASSERT_EQ(static_cast<int>(calls.size()), c.tmus);
        for (int tmu = 0; tmu < c.tmus; ++tmu) EXPECT_EQ(calls[tmu]->args[0], tmu);
        EXPECT_EQ(CallNames().back(), "grSstWinClose");
    }
}

// A failed query or an unknown board fails fxInit; the next fxInit asks again.
TEST_F(DeviceTest, FailedOrUnknownHardwareIsQueriedAgain) {
    const GrHwConfiguration banshee = Board(4, 1), voodoo = Board(GR_SSTTYPE_VOODOO, 1);
    for (const auto& [count, board] : {std::pair{1, &banshee}, std::pair{0, &voodoo}}) {
        standinReset();
        ResetPluginState();
        standinSetHardware(count, board);
        EXPECT_EQ(fxInit(0, 3, 0), 0);
        EXPECT_EQ(CountCalls("grSstWinOpen"), 0);
        standinSetHardware(1, &voodoo);
        EXPECT_EQ(fxInit(0, 3, 0), 1);
        EXPECT_EQ(CountCalls("grSstQueryHardware"), 2);
        EXPECT_EQ(CountCalls("grGlideInit"), 2);
    }
}

TEST_F(DeviceTest, HardwareIsQueriedOnlyUntilOneQuerySucceeds) {
    standinSetWinOpenResult(0);
    EXPECT_EQ(fxInit(0, 3, 0), 0);  // the query itself succeeded
    standinSetWinOpenResult(1);
    EXPECT_EQ(fxInit(0, 3, 0), 1);
    EXPECT_EQ(fxShutdown(), 1);
    EXPECT_EQ(fxInit(0, 2, 0), 1);
    EXPECT_EQ(CountCalls("grGlideInit"), 1);
    EXPECT_EQ(CountCalls("grSstQueryHardware"), 1);
    EXPECT_EQ(CountCalls("grSstWinOpen"), 3);
    EXPECT_EQ(CountCalls("grSstSelect"), 3);
}

TEST_F(DeviceTest, DetectReportsWhetherABoardIsPresent) {
    standinSetBoardCount(0);
    EXPECT_EQ(fxDetect(), 0);
    standinSetBoardCount(2);
    EXPECT_EQ(fxDetect(), 1);
    EXPECT_EQ(CountCalls("grSstQueryBoards"), 2);
    EXPECT_EQ(CountCalls("grGlideInit"), 0);
}

// fxGlideShutdown binds again and ends Glide, also when fxDetect was the
// only call before it: grGlideShutdown needs no grGlideInit.
TEST_F(DeviceTest, GlideShutdownAfterDetectEndsGlide) {
    for (int boards : {0, 1}) {
        SCOPED_TRACE(boards);
        standinReset();
        ResetPluginState();
        standinSetBoardCount(boards);
        EXPECT_EQ(fxDetect(), boards);
        fxGlideShutdown();
        EXPECT_EQ(CallNames(), (std::vector<std::string>{"grSstQueryBoards", "grGlideShutdown"}));
    }
}

// fxInit on an open card makes exactly its own calls (no close first), and
// each fxShutdown rewinds the allocator and closes, also on a closed card.
TEST_F(DeviceTest, InitOnAnOpenCardAndShutdownTwiceMakeTheirOwnCalls) {
    OpenAt(3);
    ASSERT_EQ(fxInit(0, 5, 0), 1);
    const std::vector<std::string> open = {
        "grSstSelect",   "grSstWinOpen",  "grRenderBuffer", "grCullMode",      "grTexClampMode",
        "grTexFilterMode", "grTexCombine", "grBufferClear",  "grBufferSwap",    "grBufferClear",
        "grChromakeyMode", "grChromakeyValue", "grGammaCorrectionValue"};
    EXPECT_EQ(CallNames(), open);
    EXPECT_EQ(standinScreenWidth(), 1024);
    standinClearLog();
    EXPECT_EQ(fxShutdown(), 1);
    EXPECT_EQ(fxShutdown(), 1);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"grTexMinAddress", "grSstWinClose", "grTexMinAddress",
                                                     "grSstWinClose"}));
}

TEST_F(DeviceTest, FlipWaitsForPendingSwapsThenSwapsAndClears) {
    OpenAt(3);
    const int pending[] = {3, 1, 2};
    standinSetPendingSequence(pending, 3);
    Flip();
    const std::vector<std::string> expected = {"grBufferNumPending", "grBufferNumPending",
                                               "grBufferNumPending", "grBufferNumPending",
                                               "grBufferSwap",       "grBufferClear"};
    EXPECT_EQ(CallNames(), expected);  // the swap's and clear's arguments are pinned by the golden trace
    // A negative count ends the wait too.
    const int failing[] = {-1, 5};
    standinSetPendingSequence(failing, 2);
    standinClearLog();
    Flip();
    EXPECT_EQ(CountCalls("grBufferNumPending"), 1);
}

TEST_F(DeviceTest, InitVariablesEmptiesTheSceneList) {
    OpenAt(3);
    Packet flat;
    flat.Xy(8, 10, 10).Xy(12, 100, 10).Xy(16, 10, 100);
    DrawFlat(flat.data());
    InitHost(host, 3);
    EXPECT_EQ(RenderScene(), 0u);
}

}  // namespace
