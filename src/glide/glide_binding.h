// The Glide binding table: every Glide call of the plug-in goes through it.
// An entry is null until bound, and a call through an unbound entry does
// nothing and returns 0 (no board, no pending swap, a failed open), so an
// export can never jump through an unbound entry.
#pragma once

#include "glide/glide_entry_points.h"
#include "glide/glide_types.h"

using GlideProc = void(GLIDECALL*)();

extern GlideProc glideProcs[GLIDE_ENTRY_COUNT];
extern const char* const glideDecoratedNames[GLIDE_ENTRY_COUNT];  // "_grDrawLine@8"
extern const char* const glidePlainNames[GLIDE_ENTRY_COUNT];      // "grDrawLine"
extern const int glideArgBytes[GLIDE_ENTRY_COUNT];

// Loads the Glide library and looks every entry point up in table order.
// Returns 1 when all 121 resolve; on the first missing name returns 0 and
// keeps the addresses found so far. The library is never unloaded.
int BindGlide();

// The 38 entry points the plug-in calls, with their Glide 2.x signatures.
#define GLIDE_CALLED_ENTRY_POINTS(X) \
    X(void, grGlideInit) \
    X(void, grGlideShutdown) \
    X(FxBool, grSstQueryBoards, GrHwConfiguration*) \
    X(FxBool, grSstQueryHardware, GrHwConfiguration*) \
    X(void, grSstSelect, int) \
    X(FxBool, grSstWinOpen, FxU32, FxI32, FxI32, FxI32, FxI32, int, int) \
    X(void, grSstWinClose) \
    X(FxBool, grSstControl, FxU32) \
    X(void, grGlideGetState, GrState*) \
    X(void, grGlideSetState, const GrState*) \
    X(void, grRenderBuffer, FxI32) \
    X(void, grCullMode, FxI32) \
    X(void, grTexClampMode, FxI32, FxI32, FxI32) \
    X(void, grTexFilterMode, FxI32, FxI32, FxI32) \
    X(void, grTexCombine, FxI32, FxI32, FxI32, FxI32, FxI32, FxBool, FxBool) \
    X(void, grBufferClear, FxU32, FxU8, FxU16) \
    X(void, grBufferSwap, int) \
    X(int, grBufferNumPending) \
    X(void, grChromakeyMode, FxI32) \
    X(void, grChromakeyValue, FxU32) \
    X(void, grGammaCorrectionValue, float) \
    X(void, grTexSource, FxI32, FxU32, FxU32, GrTexInfo*) \
    X(void, grDrawPolygon, int, const int*, const GrVertex*) \
    X(void, grDrawTriangle, const GrVertex*, const GrVertex*, const GrVertex*) \
    X(void, grColorCombine, FxI32, FxI32, FxI32, FxI32, FxBool) \
    X(void, grAlphaCombine, FxI32, FxI32, FxI32, FxI32, FxBool) \
    X(void, grAlphaBlendFunction, FxI32, FxI32, FxI32, FxI32) \
    X(void, grConstantColorValue, FxU32) \
    X(void, grDepthMask, FxBool) \
    X(FxBool, grLfbWriteRegion, FxI32, FxU32, FxU32, FxU32, FxU32, FxU32, FxI32, const void*) \
    X(FxU32, grSstScreenWidth) \
    X(FxU32, grSstScreenHeight) \
    X(void, grDrawLine, const GrVertex*, const GrVertex*) \
    X(void, grDrawPolygonVertexList, int, const GrVertex*) \
    X(FxU32, grTexMinAddress, FxI32) \
    X(FxU32, grTexMaxAddress, FxI32) \
    X(FxU32, grTexTextureMemRequired, FxU32, GrTexInfo*) \
    X(void, grTexDownloadMipMapLevel, FxI32, FxU32, FxI32, FxI32, FxI32, FxI32, FxU32, const void*)

#define GLIDE_FN_TYPE(Ret, name, ...) using GlideFn_##name = Ret(GLIDECALL*)(__VA_ARGS__);
GLIDE_CALLED_ENTRY_POINTS(GLIDE_FN_TYPE)
#undef GLIDE_FN_TYPE

template <typename Ret, typename... Args>
constexpr int GlideParamBytes(Ret(GLIDECALL*)(Args...)) {
    return 4 * static_cast<int>(sizeof...(Args));  // every Glide argument takes one 4-byte slot
}

// glide::grDrawLine(&a, &b) calls through the binding table.
namespace glide {
#define GLIDE_WRAPPER(Ret, name, ...)                                              \
    template <typename... A>                                                       \
    inline Ret name(A... a) {                                                      \
        const auto fn = reinterpret_cast<GlideFn_##name>(glideProcs[GLIDE_##name]); \
        if (!fn) return Ret();                                                     \
        return fn(a...);                                                           \
    }
GLIDE_CALLED_ENTRY_POINTS(GLIDE_WRAPPER)
#undef GLIDE_WRAPPER
}  // namespace glide
