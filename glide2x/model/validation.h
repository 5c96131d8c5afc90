// The stand-in's validation layer: every call checked against what a Glide
// 2.x library accepts (call order, enumerated arguments, vertex values,
// texture placement, the memory behind pointers). Each violation is one
// error line naming the call and the argument (standinErrorCount).
#pragma once

#include <cstdint>

#include "glide/glide_entry_points.h"
#include "glide/glide_types.h"

// On by default and after standinReset; the stand-in's own tests, which
// drive Glide outside a session, switch it off.
bool ValidationOn();
void SetValidation(bool on);
// Back to a freshly loaded library: grGlideInit not called, no window, no
// declared memory.
void ResetValidation();

// Host memory the caller declared (standinDeclareMemory). While any is
// declared, pointers that Glide reads through must lie wholly inside one region.
void DeclareMemory(const void* base, std::uint64_t bytes);
void ForgetMemory();

// Call order: only grGlideInit, grSstQueryBoards and grGlideShutdown may come
// before grGlideInit or after grGlideShutdown. Called first by every entry point.
void CheckLifecycle(GlideEntry entry);

// Families of enumerated arguments.
enum class GlideEnum {
    Bool,
    Tmu,
    CombineFunction,
    CombineFactor,
    TexCombineFactor,
    CombineLocal,
    CombineOther,
    BlendFactor,
    CullMode,
    ColorBuffer,
    ChromakeyMode,
    ClampMode,
    FilterMode,
    EvenOdd,
    Lod,
    Aspect,
    TexFormat,
    LfbSourceFormat,
    Control,
    Resolution,
    Refresh,
    ColorFormat,
    Origin,
};
void CheckEnum(GlideEntry entry, const char* argument, FxI32 value, GlideEnum kind);

// x, y, oow, colours, alpha and both texture triples finite (colours of any
// size: the card clamps them); the vertex in declared memory.
void CheckVertex(GlideEntry entry, const char* argument, const GrVertex* vertex);
// A polygon: 3 to 16 vertices (the most a scene record holds).
void CheckPolygonCount(GlideEntry entry, int count);

// grTexSource and grTexTextureMemRequired's record: valid LODs (small not
// above large), aspect and format.
bool CheckTexInfo(GlideEntry entry, const GrTexInfo* info);
// [start, start + bytes) at or above grTexMinAddress, inside grTexMaxAddress
// + 8 and not across the 2 MiB line.
void CheckTexturePlacement(GlideEntry entry, FxI32 tmu, FxU32 start, std::uint64_t bytes);
// Bytes that Glide reads from the caller's memory.
void CheckMemory(GlideEntry entry, const char* argument, const void* pointer, std::uint64_t bytes);
// An LFB write: inside the open screen, rows at least the width apart.
void CheckLfbRegion(GlideEntry entry, FxU32 x, FxU32 y, FxU32 w, FxU32 h, FxI32 stride);
