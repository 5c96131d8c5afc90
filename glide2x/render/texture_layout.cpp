#include "render/texture_layout.h"

namespace {

// Texels a TMU stores per level, GR_LOD_256 .. GR_LOD_1, for the aspect
// ratios 8:1, 4:1, 2:1 and 1:1 (1:n takes the row of n:1).
constexpr std::uint32_t kTmuTexels[4][9] = {
    {8192, 2048, 512, 128, 32, 16, 8, 4, 4},      // 8:1
    {16384, 4096, 1024, 256, 64, 16, 8, 4, 4},    // 4:1
    {32768, 8192, 2048, 512, 128, 32, 8, 4, 4},   // 2:1
    {65536, 16384, 4096, 1024, 256, 64, 16, 4, 4} // 1:1
};

bool ValidLod(FxI32 lod) { return lod >= GR_LOD_256 && lod <= GR_LOD_1; }
bool ValidAspect(FxI32 aspect) { return aspect >= GR_ASPECT_8x1 && aspect <= GR_ASPECT_1x8; }

// Row of kTmuTexels for an aspect ratio.
int AspectRow(FxI32 aspect) { return aspect <= GR_ASPECT_1x1 ? aspect : 6 - aspect; }

}  // namespace

int LodSize(FxI32 lod) { return ValidLod(lod) ? 256 >> lod : 0; }

bool LevelDimensions(FxI32 lod, FxI32 aspect, int* width, int* height) {
    if (!ValidLod(lod) || !ValidAspect(aspect)) return false;
    const int longer = LodSize(lod);
    const int ratio = 1 << (aspect <= GR_ASPECT_1x1 ? GR_ASPECT_1x1 - aspect : aspect - GR_ASPECT_1x1);
    int shorter = longer / ratio;
    if (shorter < 1) shorter = 1;
    if (aspect <= GR_ASPECT_1x1) {
        *width = longer;
        *height = shorter;
    } else {
        *width = shorter;
        *height = longer;
    }
    return true;
}

std::uint32_t LevelTmuTexels(FxI32 lod, FxI32 aspect) {
    if (!ValidLod(lod) || !ValidAspect(aspect)) return 0;
    return kTmuTexels[AspectRow(aspect)][lod];
}

int TexelBytes(FxI32 format) { return format >= GR_TEXFMT_16BIT ? 2 : 1; }

bool LevelSelected(FxI32 lod, FxU32 evenOdd) {
    const FxU32 bit = (lod & 1) ? GR_MIPMAPLEVELMASK_ODD : GR_MIPMAPLEVELMASK_EVEN;
    return (evenOdd & bit) != 0;
}

std::uint32_t TextureMemRequired(FxU32 evenOdd, FxI32 smallLod, FxI32 largeLod, FxI32 aspect,
                                 FxI32 format) {
    if (!ValidLod(smallLod) || !ValidLod(largeLod) || !ValidAspect(aspect)) return 0;
    std::uint32_t bytes = 0;
    for (FxI32 lod = largeLod; lod <= smallLod; ++lod) {
        if (LevelSelected(lod, evenOdd)) bytes += LevelTmuTexels(lod, aspect) * TexelBytes(format);
    }
    return (bytes + 7u) & ~7u;
}

std::uint32_t LevelOffset(FxU32 evenOdd, FxI32 lod, FxI32 largeLod, FxI32 aspect, FxI32 format) {
    if (!ValidLod(lod) || !ValidLod(largeLod) || !ValidAspect(aspect)) return 0;
    std::uint32_t offset = 0;
    for (FxI32 level = largeLod; level < lod; ++level) {
        if (LevelSelected(level, evenOdd)) offset += LevelTmuTexels(level, aspect) * TexelBytes(format);
    }
    return offset;
}
