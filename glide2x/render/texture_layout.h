// Sizes and placement of Glide 2.x textures in TMU memory.
#pragma once

#include <cstdint>

#include "glide/glide_types.h"

// Longer side of a level: 256 for GR_LOD_256 (0) down to 1 for GR_LOD_1 (8);
// 0 for any other LOD.
int LodSize(FxI32 lod);

// Width and height of level `lod` of a texture with aspect ratio `aspect`
// (GR_ASPECT_8x1 0 .. GR_ASPECT_1x8 6): the longer side is LodSize, the
// shorter one longer / ratio, at least 1. False for an invalid LOD or aspect.
bool LevelDimensions(FxI32 lod, FxI32 aspect, int* width, int* height);

// Texels the TMU reserves for the level (small levels take more than w x h);
// 0 for an invalid LOD or aspect.
std::uint32_t LevelTmuTexels(FxI32 lod, FxI32 aspect);

// Bytes per texel: 2 for formats 8 and above, 1 below.
int TexelBytes(FxI32 format);

// True when level `lod` belongs to the levels `evenOdd` selects
// (GR_MIPMAPLEVELMASK_EVEN 1 takes even LOD numbers, ODD 2 odd ones).
bool LevelSelected(FxI32 lod, FxU32 evenOdd);

// grTexTextureMemRequired: the selected levels largeLod .. smallLod, their
// TMU texel counts times the texel size, rounded up to 8 bytes.
std::uint32_t TextureMemRequired(FxU32 evenOdd, FxI32 smallLod, FxI32 largeLod, FxI32 aspect,
                                 FxI32 format);

// Offset of level `lod` from the start of its mipmap: the selected levels
// above it, from largeLod down, lie back to back before it.
std::uint32_t LevelOffset(FxU32 evenOdd, FxI32 lod, FxI32 largeLod, FxI32 aspect, FxI32 format);
