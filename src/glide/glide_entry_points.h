// The 121 Glide 2.x entry points that the binding resolves, in lookup order,
// with the bytes of arguments each takes and whether the plug-in calls it
// (CALLED) or only binds it (BOUND; READBACK: bound, and used by the replay
// host to read finished frames from any Glide library). The decorated Windows name
// ("_grDrawLine@8") and the plain name ("grDrawLine") both derive from this list.
#pragma once

#define GLIDE_ENTRY_POINTS(X) \
    X(ConvertAndDownloadRle, 64, BOUND) \
    X(grAADrawLine, 8, BOUND) \
    X(grAADrawPoint, 4, BOUND) \
    X(grAADrawPolygon, 12, BOUND) \
    X(grAADrawPolygonVertexList, 8, BOUND) \
    X(grAADrawTriangle, 24, BOUND) \
    X(grAlphaBlendFunction, 16, CALLED) \
    X(grAlphaCombine, 20, CALLED) \
    X(grAlphaControlsITRGBLighting, 4, BOUND) \
    X(grAlphaTestFunction, 4, BOUND) \
    X(grAlphaTestReferenceValue, 4, BOUND) \
    X(grBufferClear, 12, CALLED) \
    X(grBufferNumPending, 0, CALLED) \
    X(grBufferSwap, 4, CALLED) \
    X(grCheckForRoom, 4, BOUND) \
    X(grChromakeyMode, 4, CALLED) \
    X(grChromakeyValue, 4, CALLED) \
    X(grClipWindow, 16, BOUND) \
    X(grColorCombine, 20, CALLED) \
    X(grColorMask, 8, BOUND) \
    X(grConstantColorValue, 4, CALLED) \
    X(grConstantColorValue4, 16, BOUND) \
    X(grCullMode, 4, CALLED) \
    X(grDepthBiasLevel, 4, BOUND) \
    X(grDepthBufferFunction, 4, BOUND) \
    X(grDepthBufferMode, 4, BOUND) \
    X(grDepthMask, 4, CALLED) \
    X(grDisableAllEffects, 0, BOUND) \
    X(grDitherMode, 4, BOUND) \
    X(grDrawLine, 8, CALLED) \
    X(grDrawPlanarPolygon, 12, BOUND) \
    X(grDrawPlanarPolygonVertexList, 8, BOUND) \
    X(grDrawPoint, 4, BOUND) \
    X(grDrawPolygon, 12, CALLED) \
    X(grDrawPolygonVertexList, 8, CALLED) \
    X(grDrawTriangle, 12, CALLED) \
    X(grErrorSetCallback, 4, BOUND) \
    X(grFogColorValue, 4, BOUND) \
    X(grFogMode, 4, BOUND) \
    X(grFogTable, 4, BOUND) \
    X(grGammaCorrectionValue, 4, CALLED) \
    X(grGlideGetState, 4, CALLED) \
    X(grGlideGetVersion, 4, BOUND) \
    X(grGlideInit, 0, CALLED) \
    X(grGlideSetState, 4, CALLED) \
    X(grGlideShamelessPlug, 4, BOUND) \
    X(grGlideShutdown, 0, CALLED) \
    X(grHints, 8, BOUND) \
    X(grLfbConstantAlpha, 4, BOUND) \
    X(grLfbConstantDepth, 4, BOUND) \
    X(grLfbLock, 24, BOUND) \
    X(grLfbReadRegion, 28, READBACK) \
    X(grLfbUnlock, 8, BOUND) \
    X(grLfbWriteColorFormat, 4, BOUND) \
    X(grLfbWriteColorSwizzle, 8, BOUND) \
    X(grLfbWriteRegion, 32, CALLED) \
    X(grRenderBuffer, 4, CALLED) \
    X(grResetTriStats, 0, BOUND) \
    X(grSplash, 20, BOUND) \
    X(grSstControl, 4, CALLED) \
    X(grSstIdle, 0, BOUND) \
    X(grSstIsBusy, 0, BOUND) \
    X(grSstOrigin, 4, BOUND) \
    X(grSstPerfStats, 4, BOUND) \
    X(grSstQueryBoards, 4, CALLED) \
    X(grSstQueryHardware, 4, CALLED) \
    X(grSstResetPerfStats, 0, BOUND) \
    X(grSstScreenHeight, 0, CALLED) \
    X(grSstScreenWidth, 0, CALLED) \
    X(grSstSelect, 4, CALLED) \
    X(grSstStatus, 0, BOUND) \
    X(grSstVRetraceOn, 0, BOUND) \
    X(grSstVideoLine, 0, BOUND) \
    X(grSstWinClose, 0, CALLED) \
    X(grSstWinOpen, 28, CALLED) \
    X(grTexCalcMemRequired, 16, BOUND) \
    X(grTexClampMode, 12, CALLED) \
    X(grTexCombine, 28, CALLED) \
    X(grTexCombineFunction, 8, BOUND) \
    X(grTexDetailControl, 16, BOUND) \
    X(grTexDownloadMipMap, 16, BOUND) \
    X(grTexDownloadMipMapLevel, 32, CALLED) \
    X(grTexDownloadMipMapLevelPartial, 40, BOUND) \
    X(grTexDownloadTable, 12, BOUND) \
    X(grTexDownloadTablePartial, 20, BOUND) \
    X(grTexFilterMode, 12, CALLED) \
    X(grTexLodBiasValue, 8, BOUND) \
    X(grTexMaxAddress, 4, CALLED) \
    X(grTexMinAddress, 4, CALLED) \
    X(grTexMipMapMode, 12, BOUND) \
    X(grTexMultibase, 8, BOUND) \
    X(grTexMultibaseAddress, 20, BOUND) \
    X(grTexNCCTable, 8, BOUND) \
    X(grTexSource, 16, CALLED) \
    X(grTexTextureMemRequired, 8, CALLED) \
    X(grTriStats, 8, BOUND) \
    X(gu3dfGetInfo, 8, BOUND) \
    X(gu3dfLoad, 8, BOUND) \
    X(guAADrawTriangleWithClip, 12, BOUND) \
    X(guAlphaSource, 4, BOUND) \
    X(guColorCombineFunction, 4, BOUND) \
    X(guDrawPolygonVertexListWithClip, 8, BOUND) \
    X(guDrawTriangleWithClip, 12, BOUND) \
    X(guEncodeRLE16, 16, BOUND) \
    X(guEndianSwapBytes, 4, BOUND) \
    X(guEndianSwapWords, 4, BOUND) \
    X(guFogGenerateExp, 8, BOUND) \
    X(guFogGenerateExp2, 8, BOUND) \
    X(guFogGenerateLinear, 12, BOUND) \
    X(guFogTableIndexToW, 4, BOUND) \
    X(guTexAllocateMemory, 60, BOUND) \
    X(guTexChangeAttributes, 48, BOUND) \
    X(guTexCombineFunction, 8, BOUND) \
    X(guTexCreateColorMipMap, 0, BOUND) \
    X(guTexDownloadMipMap, 12, BOUND) \
    X(guTexDownloadMipMapLevel, 12, BOUND) \
    X(guTexGetCurrentMipMap, 4, BOUND) \
    X(guTexGetMipMapInfo, 4, BOUND) \
    X(guTexMemQueryAvail, 4, BOUND) \
    X(guTexMemReset, 0, BOUND) \
    X(guTexSource, 4, BOUND)

enum GlideEntry : int {
#define GLIDE_ENTRY_ENUM(name, bytes, role) GLIDE_##name,
    GLIDE_ENTRY_POINTS(GLIDE_ENTRY_ENUM)
#undef GLIDE_ENTRY_ENUM
    GLIDE_ENTRY_COUNT
};

static_assert(GLIDE_ENTRY_COUNT == 121);
