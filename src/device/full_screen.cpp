#include "device/full_screen.h"

#include "glide/glide_binding.h"
#include "scene/screen_position.h"
#include "texture/page_cache.h"
#include "texture/slot_table.h"

namespace vrastex {

GrVertex pageQuad[4];
// Bottom-left, top-left, top-right, bottom-right.
const int kPageIndices[4] = {2, 0, 1, 3};

namespace {

constexpr FxI32 kPicturePitch = 8192;  // bytes; the staging surface's row pitch

void SetPageCorner(GrVertex& vertex, int x, int y, int tmu, float sow, float tow) {
    vertex.x = static_cast<float>(x + kSnapOffset);
    vertex.y = static_cast<float>(y + kSnapOffset);
    vertex.r = vertex.g = vertex.b = vertex.a = 255.0f;
    vertex.oow = 1.0f;
    vertex.tmuvtx[tmu] = {sow, tow, 1.0f};
}

}  // namespace

void ShowPage(int left, int top, int right, int bottom, unsigned slot) {
    // Only slots 0..17 have a t-scale; any other draws nothing.
    if (slot >= sizeof kPageTScale / sizeof kPageTScale[0]) return;
    TextureSlot& page = slotTable.slots[slot];
    // Pages always live in TMU 0; a vertex has room for two TMUs' coordinates.
    const int tmu = page.tmu == 1 ? 1 : 0;
    const float bottomT = 256.0f * kPageTScale[slot];
    SetPageCorner(pageQuad[0], left, top, tmu, 0.0f, 0.0f);
    SetPageCorner(pageQuad[1], right, top, tmu, 256.0f, 0.0f);
    SetPageCorner(pageQuad[2], left, bottom, tmu, 0.0f, bottomT);
    SetPageCorner(pageQuad[3], right, bottom, tmu, 256.0f, bottomT);

    glide::grTexSource(page.tmu, page.startAddress, static_cast<FxU32>(GR_MIPMAPLEVELMASK_BOTH), &page.info);
    glide::grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                        GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    glide::grDrawPolygon(4, kPageIndices, pageQuad);
}

void BlitScreen(const void* picture, int width, int height) {
    // A negative size describes no picture: nothing is touched.
    if (width < 0 || height < 0) return;

    GrState saved;
    glide::grGlideGetState(&saved);
    const float screenW = static_cast<float>(glide::grSstScreenWidth());
    const float screenH = static_cast<float>(glide::grSstScreenHeight());
    const int w = static_cast<float>(width) > screenW ? static_cast<int>(screenW) : width;
    const int h = static_cast<float>(height) > screenH ? static_cast<int>(screenH) : height;
    const FxU32 destX = (glide::grSstScreenWidth() - static_cast<FxU32>(w)) >> 1;
    const FxU32 destY = (glide::grSstScreenHeight() - static_cast<FxU32>(h)) >> 1;

    glide::grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_CONSTANT,
                          GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    glide::grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO);
    glide::grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_CONSTANT,
                          GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    glide::grDepthMask(FXFALSE);
    glide::grCullMode(GR_CULL_DISABLE);
    // A full-screen pair of triangles with constant colour and alpha 0: it
    // leaves the picture as written.
    const float corners[4][2] = {{0.0f, 0.0f}, {screenW, 0.0f}, {screenW, screenH}, {0.0f, screenH}};
    for (int i = 0; i < 4; ++i) {
        pageQuad[i].x = corners[i][0];
        pageQuad[i].y = corners[i][1];
        pageQuad[i].oow = 1.0f;
    }
    glide::grConstantColorValue(0u);
    glide::grLfbWriteRegion(GR_BUFFER_BACKBUFFER, destX, destY, static_cast<FxU32>(GR_LFB_SRC_FMT_555),
                            static_cast<FxU32>(w), static_cast<FxU32>(h), kPicturePitch, picture);
    glide::grDrawTriangle(&pageQuad[0], &pageQuad[1], &pageQuad[2]);
    glide::grDrawTriangle(&pageQuad[0], &pageQuad[2], &pageQuad[3]);
    glide::grGlideSetState(&saved);
}

}  // namespace vrastex
