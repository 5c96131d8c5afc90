// Tests of the Glide stand-in, called directly through its exports.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "glide_api.h"
#include "standin.h"
#include "state.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

// Two of the entry points that only log their call.
extern "C" int GLIDECALL grHints(int, int);
extern "C" int GLIDECALL guTexAllocateMemory(int, int, int, int, int, int, int, int, int, int, int, int, int,
                                             int, int);

namespace {

class Standin : public ::testing::Test {
protected:
    void SetUp() override {
        standinReset();
        standinSetValidation(0);  // Glide driven directly, outside a session
    }
    void TearDown() override { standinReset(); }

    static void Open640x480() {
        ASSERT_EQ(grSstWinOpen(0, GR_RESOLUTION_640x480, 0, 0, 0, 2, 1), 1);
    }

    static std::string Line(int index) {
        char buffer[4096];
        standinFormatCall(index, buffer, sizeof buffer);
        return buffer;
    }

    static std::string LastLine() { return Line(standinCallCount() - 1); }

    static const StandinCall& LastCall() { return *standinGetCall(standinCallCount() - 1); }

    static StandinRenderState CurrentState() {
        GrState block;
        grGlideGetState(&block);
        StandinRenderState s;
        std::memcpy(&s, block.pad, sizeof s);
        return s;
    }

    static std::vector<std::uint16_t> ColorBuffer(int buffer) {
        std::vector<std::uint16_t> pixels(static_cast<std::size_t>(standinScreenWidth() * standinScreenHeight()));
        EXPECT_EQ(standinReadColorBuffer(buffer, pixels.data(), static_cast<int>(pixels.size())),
                  static_cast<int>(pixels.size()));
        return pixels;
    }
};

GrTexInfo Info(FxI32 smallLod, FxI32 largeLod, FxI32 aspect, FxI32 format) {
    return GrTexInfo{smallLod, largeLod, aspect, format, nullptr};
}

GrVertex Vertex(float base) {
    GrVertex v{};
    float* f = &v.x;
    for (int i = 0; i < 15; ++i) f[i] = base + static_cast<float>(i);
    return v;
}

// ---------------------------------------------------------------------------
// grTexTextureMemRequired, from the per-level TMU texel counts.

TEST_F(Standin, MemRequiredSingleLevels) {
    GrTexInfo square = Info(GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &square), 131072u);  // 65536 texels x 2
    GrTexInfo wide = Info(GR_LOD_256, GR_LOD_256, GR_ASPECT_2x1, GR_TEXFMT_ARGB_1555);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &wide), 65536u);  // 32768 x 2
    GrTexInfo tall = Info(GR_LOD_64, GR_LOD_64, GR_ASPECT_1x8, GR_TEXFMT_ARGB_1555);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &tall), 1024u);  // 8 x 64 = 512 x 2
    // 8 x 1 is stored as 16 texels; an 8-bit format takes one byte each.
    GrTexInfo strip = Info(GR_LOD_8, GR_LOD_8, GR_ASPECT_8x1, 0);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &strip), 16u);
    // 1 x 1 takes 4 texels: 4 bytes in an 8-bit format, rounded up to 8.
    GrTexInfo dot = Info(GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, 0);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &dot), 8u);
}

TEST_F(Standin, MemRequiredMipmapChains) {
    // 256 x 256 down to 1 x 1: 65536+16384+4096+1024+256+64+16+4+4 = 87384 texels.
    GrTexInfo chain = Info(GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &chain), 174768u);
    // Even LODs 0,2,4,6,8: 65536+4096+256+16+4 = 69908 texels.
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_EVEN, &chain), 139816u);
    // Odd LODs 1,3,5,7: 16384+1024+64+4 = 17476 texels.
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_ODD, &chain), 34952u);
    GrTexInfo chain8 = Info(GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, 0);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &chain8), 87384u);
    // 1x4 uses the 4:1 column: LOD_4, 2, 1 = 8 + 4 + 4 texels.
    GrTexInfo tail = Info(GR_LOD_1, GR_LOD_4, GR_ASPECT_1x4, 0);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &tail), 16u);
    // 2:1 at LOD_256 and LOD_128: 32768 + 8192 texels, 8-bit.
    GrTexInfo pair = Info(GR_LOD_128, GR_LOD_256, GR_ASPECT_2x1, 0);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &pair), 40960u);
    // 2:1 LOD_4 alone is 8 texels, LOD_2 alone 4; odd mask over LOD_4..LOD_1 picks LOD_2 only.
    GrTexInfo small = Info(GR_LOD_1, GR_LOD_4, GR_ASPECT_2x1, GR_TEXFMT_ARGB_1555);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_ODD, &small), 8u);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_EVEN, &small), 24u);  // (8 + 4) x 2
}

TEST_F(Standin, MemRequiredOfAFullPageSet) {
    // Three 256x128 pages and fourteen 256x256 pages.
    std::uint32_t total = 0;
    for (int page = 0; page < 17; ++page) {
        GrTexInfo info = Info(0, 0, page < 3 ? GR_ASPECT_2x1 : GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555);
        total += grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info);
    }
    EXPECT_EQ(total, 2031616u);
}

// ---------------------------------------------------------------------------
// Scripted results.

TEST_F(Standin, QueryHardwareDefaultAndScripted) {
    GrHwConfiguration hw;
    std::memset(&hw, 0xAB, sizeof hw);
    EXPECT_EQ(grSstQueryHardware(&hw), 1);
    EXPECT_EQ(hw.num_sst, 1);
    EXPECT_EQ(hw.SSTs[0].type, GR_SSTTYPE_VOODOO);
    EXPECT_EQ(hw.SSTs[0].sstBoard.VoodooConfig.nTexelfx, 1);
    EXPECT_EQ(hw.SSTs[0].sstBoard.VoodooConfig.fbRam, 2);
    EXPECT_EQ(hw.SSTs[0].sstBoard.VoodooConfig.tmuConfig[0].tmuRam, 2);
    EXPECT_EQ(hw.SSTs[1].type, 0);

    GrHwConfiguration scripted{};
    scripted.num_sst = 2;
    scripted.SSTs[0].type = GR_SSTTYPE_SST96;
    scripted.SSTs[0].sstBoard.SST96Config.nTexelfx = 3;
    standinSetHardware(0, &scripted);
    EXPECT_EQ(grSstQueryHardware(&hw), 0);
    EXPECT_EQ(hw.num_sst, 2);
    EXPECT_EQ(hw.SSTs[0].type, GR_SSTTYPE_SST96);
    // nTexelfx of an SST-96 sits 12 bytes into the record.
    FxI32 texelfx;
    std::memcpy(&texelfx, reinterpret_cast<const char*>(&hw) + 12, 4);
    EXPECT_EQ(texelfx, 3);
    // A null configuration changes only the result.
    standinSetHardware(1, nullptr);
    EXPECT_EQ(grSstQueryHardware(&hw), 1);
    EXPECT_EQ(hw.SSTs[0].type, GR_SSTTYPE_SST96);
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

TEST_F(Standin, ScreenSizeOverride) {
    Open640x480();
    standinSetScreenSize(800, 600);
    EXPECT_EQ(grSstScreenWidth(), 800u);
    EXPECT_EQ(grSstScreenHeight(), 600u);
    EXPECT_EQ(standinScreenWidth(), 640);  // the buffers keep the opened size
    standinSetScreenSize(0, 0);
    EXPECT_EQ(grSstScreenWidth(), 640u);
    EXPECT_EQ(grSstScreenHeight(), 480u);
}

TEST_F(Standin, TexAddressRanges) {
    for (int tmu = 0; tmu < 3; ++tmu) {
        EXPECT_EQ(grTexMinAddress(tmu), 0u);
        EXPECT_EQ(grTexMaxAddress(tmu), 0x1FFFF8u);
    }
    EXPECT_EQ(grTexMinAddress(3), 0u);
    EXPECT_EQ(grTexMaxAddress(3), 0u);
    EXPECT_EQ(grTexMaxAddress(-1), 0u);
    standinSetTexAddressRange(1, 0x100, 0x3FFFF8);
    EXPECT_EQ(grTexMinAddress(1), 0x100u);
    EXPECT_EQ(grTexMaxAddress(1), 0x3FFFF8u);
    EXPECT_EQ(grTexMaxAddress(0), 0x1FFFF8u);
    standinReset();
    EXPECT_EQ(grTexMinAddress(1), 0u);
    EXPECT_EQ(grTexMaxAddress(1), 0x1FFFF8u);
}

// ---------------------------------------------------------------------------
// The call log.

TEST_F(Standin, LogsCallsInOrderWithArguments) {
    grGlideInit();
    grCullMode(-1);
    grConstantColorValue(0xFF000000u);
    grColorCombine(3, 1, 0, 2, 0);
    ASSERT_EQ(standinCallCount(), 4);
    EXPECT_STREQ(standinGetCall(0)->name, "grGlideInit");
    EXPECT_EQ(standinGetCall(0)->argCount, 0);
    EXPECT_STREQ(standinGetCall(1)->name, "grCullMode");
    EXPECT_EQ(standinGetCall(1)->argCount, 1);
    EXPECT_EQ(standinGetCall(1)->args[0], -1);
    EXPECT_EQ(standinGetCall(2)->args[0], -16777216);  // 0xFF000000 sign-extended
    const StandinCall* combine = standinGetCall(3);
    ASSERT_EQ(combine->argCount, 5);
    EXPECT_EQ(combine->args[0], 3);
    EXPECT_EQ(combine->args[1], 1);
    EXPECT_EQ(combine->args[2], 0);
    EXPECT_EQ(combine->args[3], 2);
    EXPECT_EQ(combine->args[4], 0);
    EXPECT_EQ(standinFindCall("grCullMode", 0), 1);
    EXPECT_EQ(standinFindCall("grCullMode", 2), -1);
    EXPECT_EQ(standinFindCall("grColorCombine", -5), 3);
    EXPECT_EQ(standinFindCall("grDrawLine", 0), -1);
    EXPECT_EQ(standinGetCall(4), nullptr);
    standinClearLog();
    EXPECT_EQ(standinCallCount(), 0);
}

TEST_F(Standin, LineAndTriangleVerticesAreCopies) {
    Open640x480();
    GrVertex a = Vertex(1), b = Vertex(100), c = Vertex(200);
    grDrawLine(&a, &b);
    a.x = -5;  // changes after the call do not reach the log
    const StandinCall& line = LastCall();
    ASSERT_EQ(line.vertexCount, 2);
    EXPECT_EQ(line.vertices[0].x, 1.0f);
    EXPECT_EQ(line.vertices[0].tmuvtx[1].oow, 15.0f);
    EXPECT_EQ(line.vertices[1].y, 101.0f);

    grDrawTriangle(&c, &b, &a);
    const StandinCall& tri = LastCall();
    ASSERT_EQ(tri.vertexCount, 3);
    EXPECT_EQ(tri.vertices[0].x, 200.0f);
    EXPECT_EQ(tri.vertices[1].x, 100.0f);
    EXPECT_EQ(tri.vertices[2].x, -5.0f);
    EXPECT_EQ(tri.vertices[2].oow, 9.0f);
}

TEST_F(Standin, PolygonVerticesInIndexOrder) {
    Open640x480();
    GrVertex quad[4] = {Vertex(0), Vertex(10), Vertex(20), Vertex(30)};
    const int ilist[4] = {2, 0, 1, 3};
    grDrawPolygon(4, ilist, quad);
    const StandinCall& call = LastCall();
    ASSERT_EQ(call.vertexCount, 4);
    EXPECT_EQ(call.indices[0], 2);
    EXPECT_EQ(call.indices[1], 0);
    EXPECT_EQ(call.indices[2], 1);
    EXPECT_EQ(call.indices[3], 3);
    EXPECT_EQ(call.vertices[0].x, 20.0f);
    EXPECT_EQ(call.vertices[1].x, 0.0f);
    EXPECT_EQ(call.vertices[2].x, 10.0f);
    EXPECT_EQ(call.vertices[3].x, 30.0f);
    EXPECT_EQ(call.args[0], 4);
}

TEST_F(Standin, VertexListCopiesAreCappedAtSixteen) {
    Open640x480();
    std::vector<GrVertex> list;
    for (int i = 0; i < 20; ++i) list.push_back(Vertex(static_cast<float>(i * 100)));
    grDrawPolygonVertexList(5, list.data());
    EXPECT_EQ(LastCall().vertexCount, 5);
    EXPECT_EQ(LastCall().vertices[4].x, 400.0f);
    grDrawPolygonVertexList(20, list.data());
    EXPECT_EQ(LastCall().vertexCount, 20);
    EXPECT_EQ(LastCall().vertices[15].x, 1500.0f);
}

TEST_F(Standin, LfbPixelsCopiedRowByRowWithTheStride) {
    Open640x480();
    // Three rows of five pixels (10 bytes each); the write takes 3 x 3 of them.
    std::uint16_t source[15];
    for (int i = 0; i < 15; ++i) source[i] = static_cast<std::uint16_t>(0x100 + i);
    EXPECT_EQ(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_555, 3, 3, 10, source), 1);
    const StandinCall& call = LastCall();
    ASSERT_EQ(call.pixelCount, 9);
    const std::uint16_t expected[9] = {0x100, 0x101, 0x102, 0x105, 0x106, 0x107, 0x10A, 0x10B, 0x10C};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(call.pixels[i], expected[i]) << i;
    EXPECT_EQ(call.args[6], 10);
    // The copy outlives the caller's buffer and later calls.
    std::memset(source, 0, sizeof source);
    grBufferSwap(0);
    EXPECT_EQ(standinGetCall(standinFindCall("grLfbWriteRegion", 0))->pixels[8], 0x10C);
}

TEST_F(Standin, DownloadTexelsCopied) {
    // LOD_8 at 2:1 is 8 x 4 texels.
    std::vector<std::uint16_t> texels(32);
    for (int i = 0; i < 32; ++i) texels[i] = static_cast<std::uint16_t>(i * 3);
    grTexDownloadMipMapLevel(0, 0, GR_LOD_8, GR_LOD_8, GR_ASPECT_2x1, GR_TEXFMT_ARGB_1555, 3, texels.data());
    const StandinCall& call = LastCall();
    ASSERT_EQ(call.pixelCount, 32);
    EXPECT_EQ(call.pixels[0], 0);
    EXPECT_EQ(call.pixels[31], 93);
    EXPECT_EQ(call.argCount, 8);
}

TEST_F(Standin, RecordingOffKeepsTheLogButStillActs) {
    standinSetRecording(0);
    grCullMode(GR_CULL_POSITIVE);
    EXPECT_EQ(standinCallCount(), 0);
    EXPECT_EQ(CurrentState().cullMode, GR_CULL_POSITIVE);
    standinSetRecording(1);
    grCullMode(GR_CULL_NEGATIVE);
    EXPECT_EQ(standinCallCount(), 1);
}

TEST_F(Standin, UnusedEntryPointsLogTheirNameAndReturnZero) {
    EXPECT_EQ(grHints(0, 6), 0);
    EXPECT_STREQ(LastCall().name, "grHints");
    EXPECT_EQ(LastCall().argCount, 2);
    EXPECT_EQ(LastCall().args[1], 6);
    EXPECT_EQ(LastLine(), "grHints");
    EXPECT_EQ(guTexAllocateMemory(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15), 0);
    EXPECT_EQ(LastCall().argCount, STANDIN_MAX_ARGS);
    EXPECT_EQ(LastCall().args[7], 8);
}

// ---------------------------------------------------------------------------
// Screen: clears, swaps and LFB writes.

TEST_F(Standin, ClearFillsRenderBufferAndAux) {
    Open640x480();
    // ARGB 0x00FF8040: R 0xFF >> 3 = 31, G 0x80 >> 2 = 32, B 0x40 >> 3 = 8.
    grBufferClear(0x00FF8040u, 0, 0x1234);
    const std::uint16_t expected = (31 << 11) | (32 << 5) | 8;  // 0xFC08
    for (std::uint16_t p : ColorBuffer(GR_BUFFER_BACKBUFFER)) ASSERT_EQ(p, expected);
    for (std::uint16_t p : ColorBuffer(GR_BUFFER_FRONTBUFFER)) ASSERT_EQ(p, 0);
    std::vector<std::uint16_t> aux(640 * 480);
    ASSERT_EQ(standinReadAuxBuffer(aux.data(), static_cast<int>(aux.size())), 640 * 480);
    for (std::uint16_t d : aux) ASSERT_EQ(d, 0x1234);

    grBufferSwap(0);
    for (std::uint16_t p : ColorBuffer(GR_BUFFER_FRONTBUFFER)) ASSERT_EQ(p, expected);
    for (std::uint16_t p : ColorBuffer(GR_BUFFER_BACKBUFFER)) ASSERT_EQ(p, 0);

    grRenderBuffer(GR_BUFFER_FRONTBUFFER);
    grBufferClear(0xFFFFFFFFu, 0, 0);
    for (std::uint16_t p : ColorBuffer(GR_BUFFER_FRONTBUFFER)) ASSERT_EQ(p, 0xFFFF);
    for (std::uint16_t p : ColorBuffer(GR_BUFFER_BACKBUFFER)) ASSERT_EQ(p, 0);
}

TEST_F(Standin, NoAuxBufferWhenOpenedWithoutOne) {
    ASSERT_EQ(grSstWinOpen(0, GR_RESOLUTION_320x200, 0, 0, 0, 2, 0), 1);
    grBufferClear(0, 0, 0xFFFF);
    std::uint16_t aux[4];
    EXPECT_EQ(standinReadAuxBuffer(aux, 4), 0);
    EXPECT_EQ(standinErrorCount(), 0);
}

TEST_F(Standin, Lfb555IsConvertedTo565) {
    Open640x480();
    // 0x7FFF white; 0x0210 R 0 G 16 B 16 -> G6 = 32 | 1 = 33; 0xFC00 has bit 15
    // (ignored) and R 31; 0x0020 G 1 -> G6 2.
    const std::uint16_t source[4] = {0x7FFF, 0x0210, 0xFC00, 0x0020};
    EXPECT_EQ(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 10, 20, GR_LFB_SRC_FMT_555, 4, 1, 8, source), 1);
    const std::vector<std::uint16_t> back = ColorBuffer(GR_BUFFER_BACKBUFFER);
    const std::size_t at = 20 * 640 + 10;
    EXPECT_EQ(back[at + 0], 0xFFFF);
    EXPECT_EQ(back[at + 1], (33 << 5) | 16);  // 0x0430
    EXPECT_EQ(back[at + 2], 0xF800);
    EXPECT_EQ(back[at + 3], 2 << 5);
    EXPECT_EQ(back[at - 1], 0);
    EXPECT_EQ(back[at + 4], 0);
    EXPECT_EQ(back[at - 640], 0);
    for (std::uint16_t p : ColorBuffer(GR_BUFFER_FRONTBUFFER)) ASSERT_EQ(p, 0);
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

// ---------------------------------------------------------------------------
// Rendering state.

TEST_F(Standin, WinOpenSetsTheLibraryDefaults) {
    Open640x480();
    const StandinRenderState s = CurrentState();
    EXPECT_EQ(s.renderBuffer, GR_BUFFER_BACKBUFFER);
    EXPECT_EQ(s.colorCombine.function, GR_COMBINE_FUNCTION_SCALE_OTHER);
    EXPECT_EQ(s.colorCombine.factor, GR_COMBINE_FACTOR_ONE);
    EXPECT_EQ(s.alphaCombine.local, GR_COMBINE_LOCAL_CONSTANT);
    EXPECT_EQ(s.alphaCombine.other, GR_COMBINE_OTHER_CONSTANT);
    EXPECT_EQ(s.constantColor, 0xFFFFFFFFu);
    EXPECT_EQ(s.rgbSrcFactor, GR_BLEND_ONE);
    EXPECT_EQ(s.rgbDstFactor, GR_BLEND_ZERO);
    EXPECT_EQ(s.clipMaxX, 640);
    EXPECT_EQ(s.clipMaxY, 480);
    EXPECT_EQ(s.gamma, 1.7f);
    EXPECT_EQ(s.tmu[0].clampS, GR_TEXTURECLAMP_CLAMP);
    EXPECT_EQ(s.tmu[1].minFilter, GR_TEXTUREFILTER_POINT_SAMPLED);
    EXPECT_EQ(s.ditherMode, 2);  // GR_DITHER_4x4
}

TEST_F(Standin, DitherModeIsLoggedByNameAndSetsTheState) {
    Open640x480();
    grDitherMode(0);
    EXPECT_STREQ(LastCall().name, "grDitherMode");
    EXPECT_EQ(LastCall().argCount, 1);
    EXPECT_EQ(LastCall().args[0], 0);
    EXPECT_EQ(LastLine(), "grDitherMode");
    EXPECT_EQ(CurrentState().ditherMode, 0);
    grDitherMode(1);
    EXPECT_EQ(CurrentState().ditherMode, 1);
}

TEST_F(Standin, StateCallsChangeTheState) {
    Open640x480();
    grColorCombine(3, 9, 0, 1, 0);
    grAlphaCombine(1, 0, 1, 2, 1);
    grAlphaBlendFunction(1, 5, 4, 0);
    grConstantColorValue(0x80000000u);
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    grChromakeyValue(0x00123456u);
    grCullMode(GR_CULL_NEGATIVE);
    grDepthMask(FXTRUE);
    grRenderBuffer(GR_BUFFER_FRONTBUFFER);
    grGammaCorrectionValue(1.0f);
    grTexClampMode(1, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_CLAMP);
    grTexFilterMode(0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_POINT_SAMPLED);
    grTexCombine(0, 1, 0, 1, 0, 0, 1);
    GrTexInfo info = Info(0, 0, 2, 11);
    grTexSource(0, 0x10000, 3, &info);

    const StandinRenderState s = CurrentState();
    EXPECT_EQ(s.colorCombine.factor, 9);
    EXPECT_EQ(s.colorCombine.other, 1);
    EXPECT_EQ(s.alphaCombine.function, 1);
    EXPECT_EQ(s.alphaCombine.invert, 1);
    EXPECT_EQ(s.rgbDstFactor, 5);
    EXPECT_EQ(s.alphaSrcFactor, 4);
    EXPECT_EQ(s.constantColor, 0x80000000u);
    EXPECT_EQ(s.chromakeyMode, 1);
    EXPECT_EQ(s.chromakeyValue, 0x00123456u);
    EXPECT_EQ(s.cullMode, 1);
    EXPECT_EQ(s.depthMask, 1);
    EXPECT_EQ(s.renderBuffer, 0);
    EXPECT_EQ(s.gamma, 1.0f);
    EXPECT_EQ(s.tmu[1].clampS, 0);
    EXPECT_EQ(s.tmu[1].clampT, 1);
    EXPECT_EQ(s.tmu[0].minFilter, 1);
    EXPECT_EQ(s.tmu[0].magFilter, 0);
    EXPECT_EQ(s.tmu[0].combine.rgbFunction, 1);
    EXPECT_EQ(s.tmu[0].combine.alphaInvert, 1);
    EXPECT_EQ(s.tmu[0].source.startAddress, 0x10000u);
    EXPECT_EQ(s.tmu[0].source.evenOdd, 3u);
    EXPECT_EQ(s.tmu[0].source.aspectRatio, 2);
    EXPECT_EQ(s.tmu[0].source.format, 11);
    EXPECT_EQ(standinErrorCount(), 0);
}

TEST_F(Standin, GetSetStateRoundTrip) {
    Open640x480();
    grColorCombine(3, 1, 0, 1, 0);
    grAlphaBlendFunction(1, 1, 4, 0);
    grCullMode(GR_CULL_NEGATIVE);
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    GrTexInfo info = Info(0, 0, 3, 11);
    grTexSource(0, 0x30000, 3, &info);

    GrState saved;
    std::memset(&saved, 0xCC, sizeof saved);
    grGlideGetState(&saved);
    // Everything past the stand-in's state is written as zeros.
    for (std::size_t i = sizeof(StandinRenderState); i < sizeof saved.pad; ++i) ASSERT_EQ(saved.pad[i], 0) << i;

    grColorCombine(1, 0, 1, 2, 0);
    grAlphaBlendFunction(1, 5, 4, 0);
    grCullMode(GR_CULL_DISABLE);
    grDepthMask(FXTRUE);
    grConstantColorValue(0);
    grTexCombine(0, 0, 0, 0, 0, 0, 0);
    GrTexInfo other = Info(8, 1, 6, 0);
    grTexSource(0, 0x8, 1, &other);
    GrState changed;
    grGlideGetState(&changed);
    EXPECT_NE(std::memcmp(&saved, &changed, sizeof saved), 0);

    grGlideSetState(&saved);
    GrState restored;
    grGlideGetState(&restored);
    EXPECT_EQ(std::memcmp(&saved, &restored, sizeof saved), 0);
    EXPECT_EQ(CurrentState().cullMode, GR_CULL_NEGATIVE);
    EXPECT_EQ(CurrentState().tmu[0].source.startAddress, 0x30000u);
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

// ---------------------------------------------------------------------------
// Texture memory.

TEST_F(Standin, DownloadWritesTexMemory) {
    // A 256 x 128 page: 32768 texels, 65536 bytes.
    std::vector<std::uint16_t> page(256 * 128);
    for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<std::uint16_t>(i * 7 + 1);
    grTexDownloadMipMapLevel(0, 0x10000, GR_LOD_256, GR_LOD_256, GR_ASPECT_2x1, GR_TEXFMT_ARGB_1555, 3,
                             page.data());
    std::vector<std::uint16_t> back(page.size() + 2);
    ASSERT_EQ(standinReadTexMemory(0, 0x10000 - 2, back.data(), static_cast<int>(back.size() * 2)),
              static_cast<int>(back.size() * 2));
    EXPECT_EQ(back[0], 0);
    EXPECT_EQ(std::memcmp(&back[1], page.data(), page.size() * 2), 0);
    EXPECT_EQ(back.back(), 0);
    // Other TMUs are untouched.
    std::uint16_t word = 1;
    EXPECT_EQ(standinReadTexMemory(1, 0x10000, &word, 2), 2);
    EXPECT_EQ(word, 0);
    EXPECT_EQ(standinErrorCount(), 0);
}

TEST_F(Standin, DownloadPlacesLevelsAfterTheSelectedOnesAbove) {
    // Mipmap at 0x1000, 256 x 256, 16-bit: level LOD_128 follows the 131072
    // bytes of LOD_256 when both parities are stored.
    std::vector<std::uint16_t> level(128 * 128, 0x5555);
    grTexDownloadMipMapLevel(0, 0x1000, GR_LOD_128, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555,
                             GR_MIPMAPLEVELMASK_BOTH, level.data());
    std::uint16_t word = 0;
    standinReadTexMemory(0, 0x1000 + 131072, &word, 2);
    EXPECT_EQ(word, 0x5555);
    standinReadTexMemory(0, 0x1000 + 131070, &word, 2);
    EXPECT_EQ(word, 0);

    // Odd levels only: LOD_128 is the first stored level.
    std::vector<std::uint16_t> odd(128 * 128, 0x6666);
    grTexDownloadMipMapLevel(1, 0x2000, GR_LOD_128, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555,
                             GR_MIPMAPLEVELMASK_ODD, odd.data());
    standinReadTexMemory(1, 0x2000, &word, 2);
    EXPECT_EQ(word, 0x6666);

    // Even levels only: LOD_128 is not stored at all, LOD_64 follows LOD_256.
    grTexDownloadMipMapLevel(2, 0x0, GR_LOD_128, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555,
                             GR_MIPMAPLEVELMASK_EVEN, odd.data());
    for (std::uint32_t address : {0u, 131072u}) {
        standinReadTexMemory(2, address, &word, 2);
        EXPECT_EQ(word, 0) << address;
    }
    std::vector<std::uint16_t> level64(64 * 64, 0x7777);
    grTexDownloadMipMapLevel(2, 0x0, GR_LOD_64, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555,
                             GR_MIPMAPLEVELMASK_EVEN, level64.data());
    standinReadTexMemory(2, 131072, &word, 2);
    EXPECT_EQ(word, 0x7777);
    EXPECT_EQ(standinErrorCount(), 0);
}

TEST_F(Standin, DownloadStraddlingTwoMegabytesIsAnError) {
    standinSetTexAddressRange(0, 0, 0x3FFFF8);
    std::vector<std::uint16_t> page(256 * 256, 0x1111);
    // 0x1F0000 + 0x20000 bytes crosses 0x200000.
    grTexDownloadMipMapLevel(0, 0x1F0000, GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, 3,
                             page.data());
    EXPECT_EQ(standinErrorCount(), 1);
    // Ending exactly at the line is fine.
    standinClearErrors();
    grTexDownloadMipMapLevel(0, 0x1E0000, GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, 3,
                             page.data());
    EXPECT_EQ(standinErrorCount(), 0);
}

TEST_F(Standin, ResetClearsTexMemory) {
    const std::uint16_t texels[4] = {1, 2, 3, 4};  // LOD_2, 1x1: 2 x 2 texels
    grTexDownloadMipMapLevel(0, 0x40, GR_LOD_2, GR_LOD_2, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, 3, texels);
    std::uint16_t word = 0;
    standinReadTexMemory(0, 0x46, &word, 2);
    EXPECT_EQ(word, 4);
    standinReset();
    standinReadTexMemory(0, 0x46, &word, 2);
    EXPECT_EQ(word, 0);
}

// ---------------------------------------------------------------------------
// Text form.

TEST_F(Standin, TextFormOfStateCalls) {
    grColorCombine(3, 1, 0, 0, 0);
    EXPECT_EQ(LastLine(), "grColorCombine 3 1 0 0 0");
    GrTexInfo info = Info(0, 0, 3, 11);
    grTexSource(0, 0x30000, 3, &info);
    EXPECT_EQ(LastLine(), "grTexSource 0 0x30000 3 info=(0,0,3,11)");
    grTexSource(0, 0, 3, nullptr);
    EXPECT_EQ(LastLine(), "grTexSource 0 0x0 3 info=null");
    grBufferClear(0, 0, 0xFFFF);
    EXPECT_EQ(LastLine(), "grBufferClear 0x00000000 0 0xffff");
    grConstantColorValue(0xFF0000FFu);
    EXPECT_EQ(LastLine(), "grConstantColorValue 0xff0000ff");
    grCullMode(-1);
    EXPECT_EQ(LastLine(), "grCullMode -1");
    grSstWinOpen(0, 7, 0, 0, 0, 2, 1);
    EXPECT_EQ(LastLine(), "grSstWinOpen 0 7 0 0 0 2 1");
    grSstControl(2);
    EXPECT_EQ(LastLine(), "grSstControl 2");
    grBufferNumPending();
    EXPECT_EQ(LastLine(), "grBufferNumPending");
    GrHwConfiguration hw;
    grSstQueryHardware(&hw);
    EXPECT_EQ(LastLine(), "grSstQueryHardware");
    GrTexInfo wide = Info(0, 0, 2, 11);
    grTexTextureMemRequired(3, &wide);
    EXPECT_EQ(LastLine(), "grTexTextureMemRequired 3 info=(0,0,2,11)");
}

TEST_F(Standin, TextFormOfALine) {
    Open640x480();
    GrVertex a{};
    a.x = 786432.0f;
    a.y = 786433.5f;
    a.r = 255.0f;
    a.g = 128.0f;
    a.b = 0.5f;
    a.a = 255.0f;
    a.oow = 1.0f;
    GrVertex b = a;
    b.x = 786442.0f;
    b.tmuvtx[0].sow = 256.0f;
    b.tmuvtx[0].tow = 0.125f;
    b.tmuvtx[0].oow = 1.0f;
    grDrawLine(&a, &b);
    EXPECT_EQ(LastLine(),
              "grDrawLine v0=(786432,786433.5,0,255,128,0.5,0,255,1,0,0,0) "
              "v1=(786442,786433.5,0,255,128,0.5,0,255,1,256,0.125,1)");
    // The second TMU's triple shows only when set.
    b.tmuvtx[1].sow = 2.0f;
    grDrawTriangle(&a, &a, &b);
    EXPECT_EQ(LastLine(),
              "grDrawTriangle v0=(786432,786433.5,0,255,128,0.5,0,255,1,0,0,0) "
              "v1=(786432,786433.5,0,255,128,0.5,0,255,1,0,0,0) "
              "v2=(786442,786433.5,0,255,128,0.5,0,255,1,256,0.125,1,2,0,0)");
}

TEST_F(Standin, TextFormOfPolygons) {
    Open640x480();
    GrVertex quad[4] = {};
    for (int i = 0; i < 4; ++i) quad[i].x = static_cast<float>(i);
    const int ilist[3] = {2, 0, 3};
    grDrawPolygon(3, ilist, quad);
    EXPECT_EQ(LastLine(),
              "grDrawPolygon 3 ilist=(2,0,3) v2=(2,0,0,0,0,0,0,0,0,0,0,0) v0=(0,0,0,0,0,0,0,0,0,0,0,0) "
              "v3=(3,0,0,0,0,0,0,0,0,0,0,0)");
    grDrawPolygonVertexList(2, quad + 1);
    EXPECT_EQ(LastLine(),
              "grDrawPolygonVertexList 2 v0=(1,0,0,0,0,0,0,0,0,0,0,0) v1=(2,0,0,0,0,0,0,0,0,0,0,0)");
}

TEST_F(Standin, TextFormOfPixelData) {
    Open640x480();
    // FNV-1a over the bytes ff 7f 10 02.
    const std::uint16_t pixels[2] = {0x7FFF, 0x0210};
    grLfbWriteRegion(1, 160, 120, GR_LFB_SRC_FMT_555, 2, 1, 8192, pixels);
    EXPECT_EQ(LastLine(), "grLfbWriteRegion 1 160 120 1 2 1 8192 pixels=0x05951111");
    // FNV-1a over 01 00 02 00 03 00 04 00.
    const std::uint16_t texels[4] = {1, 2, 3, 4};
    grTexDownloadMipMapLevel(0, 0x30000, GR_LOD_2, GR_LOD_2, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, 3, texels);
    EXPECT_EQ(LastLine(), "grTexDownloadMipMapLevel 0 0x30000 7 7 3 11 3 texels=0x4ef5d981");
}

TEST_F(Standin, TraceWritesEachCallAsALine) {
    const std::string path = ::testing::TempDir() + "standin_trace.txt";
    ASSERT_EQ(standinTraceOpen(path.c_str()), 1);
    grCullMode(1);
    standinSetRecording(0);  // the trace does not depend on the log
    grChromakeyValue(0);
    standinSetRecording(1);
    ASSERT_EQ(standinTraceOpen(nullptr), 1);
    grCullMode(2);  // after closing: not traced
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "grCullMode 1\ngrChromakeyValue 0x00000000\n");
    std::remove(path.c_str());
    EXPECT_EQ(standinTraceOpen("/nonexistent-dir/trace.txt"), 0);
}

// ---------------------------------------------------------------------------
// Misuse and exports.

TEST_F(Standin, CallsNeedingAWindowReportErrors) {
    grBufferClear(0, 0, 0);
    grBufferSwap(0);
    EXPECT_EQ(standinErrorCount(), 2);
    grSstSelect(1);  // one board only
    EXPECT_EQ(standinErrorCount(), 3);
    standinReset();
    EXPECT_EQ(standinErrorCount(), 0);
}

#if !defined(_WIN32)
TEST_F(Standin, ExportsEveryGlideName) {
    const char* const names[] = {
#define STANDIN_TEST_NAME(name, bytes, role) #name,
        GLIDE_ENTRY_POINTS(STANDIN_TEST_NAME)
#undef STANDIN_TEST_NAME
    };
    ASSERT_EQ(sizeof names / sizeof names[0], 121u);
    for (const char* name : names) EXPECT_NE(dlsym(RTLD_DEFAULT, name), nullptr) << name;
    EXPECT_NE(dlsym(RTLD_DEFAULT, "standinReset"), nullptr);
    // Internal functions stay hidden.
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "ReportError"), nullptr);
}

#if defined(STANDIN_MISSING_LAST_LIBRARY)
TEST(StandinVariant, MissingLastLacksOnlyGuTexSource) {
    void* library = dlopen(STANDIN_MISSING_LAST_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_EQ(dlsym(library, "guTexSource"), nullptr);
    EXPECT_NE(dlsym(library, "guTexMemReset"), nullptr);
    EXPECT_NE(dlsym(library, "ConvertAndDownloadRle"), nullptr);
    EXPECT_NE(dlsym(library, "grDrawLine"), nullptr);
    dlclose(library);
}
#endif
#endif

}  // namespace
