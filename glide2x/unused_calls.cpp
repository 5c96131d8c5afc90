// The Glide entry points the plug-in binds but never calls, less grDitherMode
// (glide_calls.cpp gives it behaviour). Each takes its argument slots (one int
// per 4 bytes, so a stdcall caller's stack stays balanced), records its name
// and first arguments, and returns 0.
#include <initializer_list>

#include "glide/glide_binding.h"
#include "glide/glide_entry_points.h"
#include "record.h"
#include "standin.h"

// STANDIN_WITHOUT_LAST_ENTRY leaves out the last entry point, guTexSource,
// for the variant build that tests a library lacking one name.
#if defined(STANDIN_WITHOUT_LAST_ENTRY)
#define STANDIN_LAST_ENTRY(X)
#else
#define STANDIN_LAST_ENTRY(X) X(guTexSource, 4)
#endif

#define STANDIN_UNUSED_ENTRY_POINTS(X) \
    X(ConvertAndDownloadRle, 64) \
    X(grAADrawLine, 8) \
    X(grAADrawPoint, 4) \
    X(grAADrawPolygon, 12) \
    X(grAADrawPolygonVertexList, 8) \
    X(grAADrawTriangle, 24) \
    X(grAlphaControlsITRGBLighting, 4) \
    X(grAlphaTestFunction, 4) \
    X(grAlphaTestReferenceValue, 4) \
    X(grCheckForRoom, 4) \
    X(grClipWindow, 16) \
    X(grColorMask, 8) \
    X(grConstantColorValue4, 16) \
    X(grDepthBiasLevel, 4) \
    X(grDepthBufferFunction, 4) \
    X(grDepthBufferMode, 4) \
    X(grDisableAllEffects, 0) \
    X(grDrawPlanarPolygon, 12) \
    X(grDrawPlanarPolygonVertexList, 8) \
    X(grDrawPoint, 4) \
    X(grErrorSetCallback, 4) \
    X(grFogColorValue, 4) \
    X(grFogMode, 4) \
    X(grFogTable, 4) \
    X(grGlideGetVersion, 4) \
    X(grGlideShamelessPlug, 4) \
    X(grHints, 8) \
    X(grLfbConstantAlpha, 4) \
    X(grLfbConstantDepth, 4) \
    X(grLfbLock, 24) \
    X(grLfbReadRegion, 28) \
    X(grLfbUnlock, 8) \
    X(grLfbWriteColorFormat, 4) \
    X(grLfbWriteColorSwizzle, 8) \
    X(grResetTriStats, 0) \
    X(grSplash, 20) \
    X(grSstIdle, 0) \
    X(grSstIsBusy, 0) \
    X(grSstOrigin, 4) \
    X(grSstPerfStats, 4) \
    X(grSstResetPerfStats, 0) \
    X(grSstStatus, 0) \
    X(grSstVRetraceOn, 0) \
    X(grSstVideoLine, 0) \
    X(grTexCalcMemRequired, 16) \
    X(grTexCombineFunction, 8) \
    X(grTexDetailControl, 16) \
    X(grTexDownloadMipMap, 16) \
    X(grTexDownloadMipMapLevelPartial, 40) \
    X(grTexDownloadTable, 12) \
    X(grTexDownloadTablePartial, 20) \
    X(grTexLodBiasValue, 8) \
    X(grTexMipMapMode, 12) \
    X(grTexMultibase, 8) \
    X(grTexMultibaseAddress, 20) \
    X(grTexNCCTable, 8) \
    X(grTriStats, 8) \
    X(gu3dfGetInfo, 8) \
    X(gu3dfLoad, 8) \
    X(guAADrawTriangleWithClip, 12) \
    X(guAlphaSource, 4) \
    X(guColorCombineFunction, 4) \
    X(guDrawPolygonVertexListWithClip, 8) \
    X(guDrawTriangleWithClip, 12) \
    X(guEncodeRLE16, 16) \
    X(guEndianSwapBytes, 4) \
    X(guEndianSwapWords, 4) \
    X(guFogGenerateExp, 8) \
    X(guFogGenerateExp2, 8) \
    X(guFogGenerateLinear, 12) \
    X(guFogTableIndexToW, 4) \
    X(guTexAllocateMemory, 60) \
    X(guTexChangeAttributes, 48) \
    X(guTexCombineFunction, 8) \
    X(guTexCreateColorMipMap, 0) \
    X(guTexDownloadMipMap, 12) \
    X(guTexDownloadMipMapLevel, 12) \
    X(guTexGetCurrentMipMap, 4) \
    X(guTexGetMipMapInfo, 4) \
    X(guTexMemQueryAvail, 4) \
    X(guTexMemReset, 0) \
    STANDIN_LAST_ENTRY(X)

// Parameter lists by argument bytes (the log keeps the first eight, so later
// ones go unnamed).
#define STANDIN_PARAMS_0 void
#define STANDIN_PARAMS_4 int a0
#define STANDIN_PARAMS_8 STANDIN_PARAMS_4, int a1
#define STANDIN_PARAMS_12 STANDIN_PARAMS_8, int a2
#define STANDIN_PARAMS_16 STANDIN_PARAMS_12, int a3
#define STANDIN_PARAMS_20 STANDIN_PARAMS_16, int a4
#define STANDIN_PARAMS_24 STANDIN_PARAMS_20, int a5
#define STANDIN_PARAMS_28 STANDIN_PARAMS_24, int a6
#define STANDIN_PARAMS_32 STANDIN_PARAMS_28, int a7
#define STANDIN_PARAMS_36 STANDIN_PARAMS_32, int
#define STANDIN_PARAMS_40 STANDIN_PARAMS_36, int
#define STANDIN_PARAMS_44 STANDIN_PARAMS_40, int
#define STANDIN_PARAMS_48 STANDIN_PARAMS_44, int
#define STANDIN_PARAMS_52 STANDIN_PARAMS_48, int
#define STANDIN_PARAMS_56 STANDIN_PARAMS_52, int
#define STANDIN_PARAMS_60 STANDIN_PARAMS_56, int
#define STANDIN_PARAMS_64 STANDIN_PARAMS_60, int

// The arguments the log keeps (at most STANDIN_MAX_ARGS).
#define STANDIN_ARGS_0
#define STANDIN_ARGS_4 a0
#define STANDIN_ARGS_8 STANDIN_ARGS_4, a1
#define STANDIN_ARGS_12 STANDIN_ARGS_8, a2
#define STANDIN_ARGS_16 STANDIN_ARGS_12, a3
#define STANDIN_ARGS_20 STANDIN_ARGS_16, a4
#define STANDIN_ARGS_24 STANDIN_ARGS_20, a5
#define STANDIN_ARGS_28 STANDIN_ARGS_24, a6
#define STANDIN_ARGS_32 STANDIN_ARGS_28, a7
#define STANDIN_ARGS_36 STANDIN_ARGS_32
#define STANDIN_ARGS_40 STANDIN_ARGS_32
#define STANDIN_ARGS_44 STANDIN_ARGS_32
#define STANDIN_ARGS_48 STANDIN_ARGS_32
#define STANDIN_ARGS_52 STANDIN_ARGS_32
#define STANDIN_ARGS_56 STANDIN_ARGS_32
#define STANDIN_ARGS_60 STANDIN_ARGS_32
#define STANDIN_ARGS_64 STANDIN_ARGS_32

namespace {

void RecordUnused(GlideEntry entry, std::initializer_list<int> args) {
    if (!CallsObserved()) return;
    StandinCall call = NewCall(entry);
    for (int value : args) AddInt(call, value);
    CommitCall(call);
}

// The list must name each entry point with the bytes the binding looks it up with.
#define STANDIN_BYTES_OF(name, bytes) [[maybe_unused]] constexpr int kBytes_##name = bytes;
GLIDE_ENTRY_POINTS(STANDIN_BYTES_OF)
#undef STANDIN_BYTES_OF
#define STANDIN_CHECK_BYTES(name, bytes) static_assert(kBytes_##name == bytes, #name);
STANDIN_UNUSED_ENTRY_POINTS(STANDIN_CHECK_BYTES)
#undef STANDIN_CHECK_BYTES

// Together with the entry points of glide_calls.cpp (the 38 the plug-in
// calls and grDitherMode) the list covers all of them (duplicates would not
// link).
#define STANDIN_COUNT_UNUSED(name, bytes) +1
#define STANDIN_COUNT_CALLED(Ret, name, ...) +1
static_assert(kBytes_grDitherMode == 4);
constexpr int kDefined = 0 STANDIN_UNUSED_ENTRY_POINTS(STANDIN_COUNT_UNUSED)
    GLIDE_CALLED_ENTRY_POINTS(STANDIN_COUNT_CALLED) + 1;
#undef STANDIN_COUNT_UNUSED
#undef STANDIN_COUNT_CALLED
#if defined(STANDIN_WITHOUT_LAST_ENTRY)
static_assert(kDefined == GLIDE_ENTRY_COUNT - 1);
#else
static_assert(kDefined == GLIDE_ENTRY_COUNT);
#endif

}  // namespace

#define STANDIN_DEFINE_UNUSED(name, bytes)                             \
    STANDIN_API int GLIDECALL name(STANDIN_PARAMS_##bytes) {           \
        RecordUnused(GLIDE_##name, {STANDIN_ARGS_##bytes});            \
        return 0;                                                      \
    }
STANDIN_UNUSED_ENTRY_POINTS(STANDIN_DEFINE_UNUSED)
#undef STANDIN_DEFINE_UNUSED
