// Tests of the Glide stand-in's own contract, called directly through its
// exports: texture sizes, the screen sizes, the log's copies, the errors it
// reports. Its drawing is pinned by raster_test and the golden frames, its
// text form by the golden trace, its exports by the binding tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "glide_api.h"
#include "standin.h"
#include "render/state.h"

namespace {

class Standin : public ::testing::Test {
protected:
    void SetUp() override {
        standinReset();
        standinSetValidation(0);  // Glide driven directly, outside a session
    }
    void TearDown() override { standinReset(); }

    static void Open640x480() { ASSERT_EQ(grSstWinOpen(0, GR_RESOLUTION_640x480, 0, 0, 0, 2, 1), 1); }

    static std::vector<std::uint16_t> ColorBuffer(int buffer) {
        std::vector<std::uint16_t> pixels(static_cast<std::size_t>(standinScreenWidth() * standinScreenHeight()));
        standinReadColorBuffer(buffer, pixels.data(), static_cast<int>(pixels.size()));
        return pixels;
    }

    static StandinRenderState CurrentState() {
        GrState block;
        grGlideGetState(&block);
        StandinRenderState s;
        std::memcpy(&s, block.pad, sizeof s);
        return s;
    }
};

// Bytes from the per-level texel counts: 8 x 1 is stored as 16 texels, 1 x 1
// as 4, rounded up to 8 bytes; the masks pick even or odd levels.
TEST_F(Standin, MemRequired) {
    const struct {
        FxI32 smallLod, largeLod, aspect, format, mask;
        FxU32 bytes;
    } cases[] = {
        {GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, GR_MIPMAPLEVELMASK_BOTH, 131072},
        {GR_LOD_256, GR_LOD_256, GR_ASPECT_2x1, GR_TEXFMT_ARGB_1555, GR_MIPMAPLEVELMASK_BOTH, 65536},
        {GR_LOD_64, GR_LOD_64, GR_ASPECT_1x8, GR_TEXFMT_ARGB_1555, GR_MIPMAPLEVELMASK_BOTH, 1024},
        {GR_LOD_8, GR_LOD_8, GR_ASPECT_8x1, 0, GR_MIPMAPLEVELMASK_BOTH, 16},
        {GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, 0, GR_MIPMAPLEVELMASK_BOTH, 8},
        // 65536+16384+4096+1024+256+64+16+4+4 texels; even 69908, odd 17476
        {GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, GR_MIPMAPLEVELMASK_BOTH, 174768},
        {GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, GR_MIPMAPLEVELMASK_EVEN, 139816},
        {GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, GR_MIPMAPLEVELMASK_ODD, 34952},
        {GR_LOD_1, GR_LOD_4, GR_ASPECT_1x4, 0, GR_MIPMAPLEVELMASK_BOTH, 16},  // 8 + 4 + 4
        {GR_LOD_1, GR_LOD_4, GR_ASPECT_2x1, GR_TEXFMT_ARGB_1555, GR_MIPMAPLEVELMASK_ODD, 8},
    };
    for (const auto& c : cases) {
        GrTexInfo info{c.smallLod, c.largeLod, c.aspect, c.format, nullptr};
        EXPECT_EQ(grTexTextureMemRequired(c.mask, &info), c.bytes) << c.largeLod << ".." << c.smallLod;
    }
}

TEST_F(Standin, WinOpenSizesTheScreen) {
    const struct {
        FxI32 code;
        int width, height;
    } cases[] = {{0, 320, 200}, {3, 512, 384}, {6, 640, 400}, {7, 640, 480}, {8, 800, 600}, {12, 1024, 768},
                 {0xF, 400, 300}};
    for (const auto& c : cases) {
        EXPECT_EQ(grSstWinOpen(0, c.code, 0, 0, 0, 2, 1), 1) << c.code;
        EXPECT_EQ(standinScreenWidth(), c.width) << c.code;
        EXPECT_EQ(standinScreenHeight(), c.height) << c.code;
        EXPECT_EQ(grSstScreenWidth(), static_cast<FxU32>(c.width));
        EXPECT_EQ(grSstScreenHeight(), static_cast<FxU32>(c.height));
        grSstWinClose();
        EXPECT_EQ(standinScreenWidth(), 0);
        EXPECT_EQ(standinScreenHeight(), 0);
    }
}

TEST_F(Standin, LfbWriteIsClippedToTheScreen) {
    Open640x480();
    std::uint16_t source[8];
    for (std::uint16_t& p : source) p = 0x001F;  // blue 31
    EXPECT_EQ(grLfbWriteRegion(GR_BUFFER_FRONTBUFFER, 638, 479, GR_LFB_SRC_FMT_555, 4, 2, 8, source), 1);
    const std::vector<std::uint16_t> front = ColorBuffer(GR_BUFFER_FRONTBUFFER);
    EXPECT_EQ(front[479 * 640 + 638], 0x001F);
    EXPECT_EQ(front[479 * 640 + 639], 0x001F);
    EXPECT_EQ(front[479 * 640 + 637], 0);
    EXPECT_EQ(front[478 * 640 + 639], 0);
    EXPECT_EQ(standinErrorCount(), 0);
    EXPECT_EQ(grLfbWriteRegion(GR_BUFFER_FRONTBUFFER, 700, 0, GR_LFB_SRC_FMT_555, 4, 2, 8, source), 1);
}

TEST_F(Standin, BadTmuLeavesStateAndCountsAnError) {
    const StandinRenderState before = CurrentState();
    grTexClampMode(2, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);  // the state keeps TMUs 0 and 1
    const StandinRenderState after = CurrentState();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(standinErrorCount(), 1);
    EXPECT_NE(std::string(standinErrorText(0)).find("grTexClampMode"), std::string::npos);
    standinClearErrors();
    EXPECT_EQ(standinErrorCount(), 0);
    EXPECT_EQ(standinErrorText(0), nullptr);
}

// The written mark is the end of the highest level written to that TMU; a
// lower level leaves it, a reset or a smaller memory brings it down.
TEST_F(Standin, TexMemoryWrittenEndsAtTheHighestLevel) {
    const std::uint16_t texels[64] = {};  // an 8 x 8 level of 16-bit texels: 128 bytes
    const auto download = [&](FxI32 tmu, FxU32 start) {
        grTexDownloadMipMapLevel(tmu, start, GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555,
                                 GR_MIPMAPLEVELMASK_BOTH, texels);
    };
    EXPECT_EQ(standinTexMemoryWritten(0), 0);
    download(0, 0x1000);
    EXPECT_EQ(standinTexMemoryWritten(0), 0x1080);
    download(0, 0x100);
    EXPECT_EQ(standinTexMemoryWritten(0), 0x1080);
    EXPECT_EQ(standinTexMemoryWritten(1), 0);
    standinSetTexAddressRange(0, 0, 0xFF8);  // 0x1000 bytes
    EXPECT_EQ(standinTexMemoryWritten(0), 0x1000);
    EXPECT_EQ(standinErrorCount(), 0);
    standinReset();
    EXPECT_EQ(standinTexMemoryWritten(0), 0);
}

TEST_F(Standin, CallsNeedingAWindowReportErrors) {
    grBufferClear(0, 0, 0);
    grBufferSwap(0);
    EXPECT_EQ(standinErrorCount(), 2);
    grSstSelect(1);  // one board only
    EXPECT_EQ(standinErrorCount(), 3);
    standinReset();
    EXPECT_EQ(standinErrorCount(), 0);
}

}  // namespace
