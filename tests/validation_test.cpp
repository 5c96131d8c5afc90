// The stand-in's validation layer: one call a Glide 2.x library would not
// accept per row, each counted once with the call and the argument named.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "glide_api.h"
#include "standin.h"

namespace {

GrVertex Vertex() {
    GrVertex v{};
    v.x = v.y = 786432.0f;
    v.r = v.g = v.b = v.a = 255.0f;
    v.oow = 1.0f;
    return v;
}

class Validation : public ::testing::Test {
protected:
    void SetUp() override {
        standinReset();
        grGlideInit();
        grSstWinOpen(0, GR_RESOLUTION_640x480, 0, 0, 0, 2, 1);
        ASSERT_EQ(standinErrorCount(), 0);
    }
    void TearDown() override { standinReset(); }

public:
    std::vector<std::uint16_t> texels = std::vector<std::uint16_t>(256 * 256);
};

TEST_F(Validation, EachViolationIsOneErrorNamingCallAndArgument) {
    GrTexInfo page{GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, nullptr};
    const struct {
        const char* error;
        std::function<void(Validation&)> call;
    } cases[] = {
        {"grCullMode: called while Glide is not initialised", [](Validation&) { grGlideShutdown(); grCullMode(1); }},
        {"grColorCombine: function 17", [](Validation&) { grColorCombine(0x11, 0, 0, 0, 0); }},
        {"grAlphaCombine: factor 6", [](Validation&) { grAlphaCombine(1, 6, 0, 0, 0); }},
        {"grAlphaCombine: other 3", [](Validation&) { grAlphaCombine(1, 0, 0, 3, 0); }},
        {"grAlphaBlendFunction: rgb destination factor 8", [](Validation&) { grAlphaBlendFunction(1, 8, 4, 0); }},
        {"grCullMode: mode 3", [](Validation&) { grCullMode(3); }},
        {"grTexCombine: rgb invert 2", [](Validation&) { grTexCombine(0, 1, 0, 1, 0, 2, 0); }},
        {"grTexFilterMode: tmu 1", [](Validation&) { grTexFilterMode(1, 0, 0); }},
        {"grDrawPolygonVertexList: vertex count 2",
         [](Validation&) { GrVertex v[2] = {Vertex(), Vertex()}; grDrawPolygonVertexList(2, v); }},
        {"grDrawPolygonVertexList: vertex count 17",
         [](Validation&) { GrVertex v[17] = {}; for (GrVertex& x : v) x = Vertex(); grDrawPolygonVertexList(17, v); }},
        {"grDrawTriangle: b has a position that is not finite", [](Validation&) {
             GrVertex a = Vertex(), b = Vertex(), c = Vertex();
             b.y = std::numeric_limits<float>::quiet_NaN();
             grDrawTriangle(&a, &b, &c);
         }},
        {"grDrawTriangle: c has a colour or alpha that is not finite", [](Validation&) {
             GrVertex a = Vertex(), b = Vertex(), c = Vertex();
             c.g = std::numeric_limits<float>::quiet_NaN();
             grDrawTriangle(&a, &b, &c);
         }},
        {"grDrawLine: b has an oow, sow or tow that is not finite", [](Validation&) {
             GrVertex a = Vertex(), b = Vertex();
             b.tmuvtx[0].tow = std::numeric_limits<float>::infinity();
             grDrawLine(&a, &b);
         }},
        {"grTexSource: texture [983040, 1114112) ends beyond grTexMaxAddress + 8", [&page](Validation&) {
             standinSetTexAddressRange(0, 0, 0xFFFF8);
             grTexSource(0, 0xF0000, GR_MIPMAPLEVELMASK_BOTH, &page);
         }},
        {"grTexSource: start address 8 is below grTexMinAddress", [&page](Validation&) {
             standinSetTexAddressRange(0, 0x100, 0x1FFFF8);
             grTexSource(0, 8, GR_MIPMAPLEVELMASK_BOTH, &page);
         }},
        {"grTexSource: texture [2031616, 2162688) straddles the 2 MiB line", [&page](Validation&) {
             standinSetTexAddressRange(0, 0, 0x3FFFF8);
             grTexSource(0, 0x1F0000, GR_MIPMAPLEVELMASK_BOTH, &page);
         }},
        {"grTexSource: info.smallLod 0 is a larger level than info.largeLod 1", [](Validation&) {
             GrTexInfo info{GR_LOD_256, GR_LOD_128, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555, nullptr};
             grTexSource(0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
         }},
        {"grTexTextureMemRequired: info.format 6", [](Validation&) {
             GrTexInfo info{GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_RSVD0, nullptr};
             grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info);
         }},
        {"grTexDownloadMipMapLevel: data: 131072 bytes read outside", [](Validation& t) {
             standinDeclareMemory(t.texels.data(), t.texels.size() * 2 - 2);  // one texel short
             grTexDownloadMipMapLevel(0, 0, GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555,
                                      GR_MIPMAPLEVELMASK_BOTH, t.texels.data());
         }},
        {"grLfbWriteRegion: region 2 x 1 at (639, 0) leaves the 640 x 480 screen", [](Validation& t) {
             grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 639, 0, GR_LFB_SRC_FMT_555, 2, 1, 8192, t.texels.data());
         }},
    };
    for (const auto& c : cases) {
        SetUp();
        c.call(*this);
        ASSERT_EQ(standinErrorCount(), 1) << c.error << (standinErrorCount() ? std::string(" / ") + standinErrorText(0) : "");
        EXPECT_EQ(std::string(standinErrorText(0)).rfind(c.error, 0), 0u) << standinErrorText(0);
    }
}

// What a real Glide takes is no error: colours of any finite size (the card
// clamps), grGlideShutdown before grGlideInit, grSstWinClose with no window,
// a grSstWinOpen on an open window (a reopen), and after an open that failed
// the calls that need a window (they draw nothing). A close ends that leave.
TEST_F(Validation, WhatARealGlideAcceptsIsNoError) {
    GrVertex a = Vertex(), b = Vertex(), c = Vertex();
    a.r = -300.0f;
    b.g = 1000.0f;
    c.a = -1.0f;
    grDrawTriangle(&a, &b, &c);
    grDrawLine(&a, &b);
    GrVertex list[3] = {a, b, c};
    grDrawPolygonVertexList(3, list);
    ASSERT_TRUE(grSstWinOpen(0, GR_RESOLUTION_800x600, 0, 0, 0, 2, 0));
    EXPECT_EQ(standinScreenWidth(), 800);
    standinSetWinOpenResult(0);
    EXPECT_FALSE(grSstWinOpen(0, GR_RESOLUTION_640x480, 0, 0, 0, 2, 0));
    EXPECT_EQ(standinScreenWidth(), 0);
    GrState state{};
    grGlideGetState(&state);
    grGlideSetState(&state);
    grBufferClear(0, 0, 0);
    grBufferSwap(0);
    grDrawTriangle(&a, &b, &c);
    grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_555, 2, 1, 8192, texels.data());
    grTexDownloadMipMapLevel(0, 0, GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_ARGB_1555,
                             GR_MIPMAPLEVELMASK_BOTH, texels.data());
    grSstWinClose();
    grSstWinClose();
    EXPECT_EQ(standinErrorCount(), 0) << standinErrorText(0);
    grBufferClear(0, 0, 0);
    EXPECT_EQ(standinErrorCount(), 1);
    standinReset();
    grGlideShutdown();
    EXPECT_EQ(standinErrorCount(), 0);
}

// Rows of a region are stride bytes apart in the source: a stride shorter
// than a row's 2 w bytes would read rows overlapping. One row reads no stride.
TEST_F(Validation, LfbWriteRegionStrideCoversARow) {
    const struct {
        FxU32 w, h;
        FxI32 stride;
        const char* error;
    } cases[] = {
        {320, 2, 640, nullptr},
        {320, 2, 638, "grLfbWriteRegion: source stride 638 is shorter than a row of 320"},
        {320, 2, 320, "grLfbWriteRegion: source stride 320 is shorter than a row of 320"},
        {320, 1, 2, nullptr},
    };
    for (const auto& c : cases) {
        SetUp();
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_555, c.w, c.h, c.stride, texels.data());
        ASSERT_EQ(standinErrorCount(), c.error ? 1 : 0) << c.stride;
        if (c.error) {
            EXPECT_STREQ(standinErrorText(0), c.error);
        }
    }
}

TEST_F(Validation, AllowedOutsideASessionAndWhenSwitchedOff) {
    standinReset();
    GrHwConfiguration hw;
    grSstQueryBoards(&hw);  // may come before grGlideInit
    standinSetValidation(0);
    grCullMode(7);
    EXPECT_EQ(standinErrorCount(), 0);
    standinReset();
    grCullMode(GR_CULL_NEGATIVE);
    EXPECT_EQ(standinErrorCount(), 1);  // on again after a reset
}

}  // namespace
