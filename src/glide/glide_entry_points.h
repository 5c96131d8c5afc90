// The 121 Glide 2.x entry points that the binding resolves, in lookup order,
// with the bytes of arguments each takes. The decorated Windows name
// ("_grDrawLine@8") and the plain name ("grDrawLine") both derive from this list.
#pragma once

#define GLIDE_ENTRY_POINTS(X) \
    X(ConvertAndDownloadRle, 64) \
    X(grAADrawLine, 8) \
    X(grAADrawPoint, 4) \
    X(grAADrawPolygon, 12) \
    X(grAADrawPolygonVertexList, 8) \
    X(grAADrawTriangle, 24) \
    X(grAlphaBlendFunction, 16) \
    X(grAlphaCombine, 20) \
    X(grAlphaControlsITRGBLighting, 4) \
    X(grAlphaTestFunction, 4) \
    X(grAlphaTestReferenceValue, 4) \
    X(grBufferClear, 12) \
    X(grBufferNumPending, 0) \
    X(grBufferSwap, 4) \
    X(grCheckForRoom, 4) \
    X(grChromakeyMode, 4) \
    X(grChromakeyValue, 4) \
    X(grClipWindow, 16) \
    X(grColorCombine, 20) \
    X(grColorMask, 8) \
    X(grConstantColorValue, 4) \
    X(grConstantColorValue4, 16) \
    X(grCullMode, 4) \
    X(grDepthBiasLevel, 4) \
    X(grDepthBufferFunction, 4) \
    X(grDepthBufferMode, 4) \
    X(grDepthMask, 4) \
    X(grDisableAllEffects, 0) \
    X(grDitherMode, 4) \
    X(grDrawLine, 8) \
    X(grDrawPlanarPolygon, 12) \
    X(grDrawPlanarPolygonVertexList, 8) \
    X(grDrawPoint, 4) \
    X(grDrawPolygon, 12) \
    X(grDrawPolygonVertexList, 8) \
    X(grDrawTriangle, 12) \
    X(grErrorSetCallback, 4) \
    X(grFogColorValue, 4) \
    X(grFogMode, 4) \
    X(grFogTable, 4) \
    X(grGammaCorrectionValue, 4) \
    X(grGlideGetState, 4) \
    X(grGlideGetVersion, 4) \
    X(grGlideInit, 0) \
    X(grGlideSetState, 4) \
    X(grGlideShamelessPlug, 4) \
    X(grGlideShutdown, 0) \
    X(grHints, 8) \
    X(grLfbConstantAlpha, 4) \
    X(grLfbConstantDepth, 4) \
    X(grLfbLock, 24) \
    X(grLfbReadRegion, 28) \
    X(grLfbUnlock, 8) \
    X(grLfbWriteColorFormat, 4) \
    X(grLfbWriteColorSwizzle, 8) \
    X(grLfbWriteRegion, 32) \
    X(grRenderBuffer, 4) \
    X(grResetTriStats, 0) \
    X(grSplash, 20) \
    X(grSstControl, 4) \
    X(grSstIdle, 0) \
    X(grSstIsBusy, 0) \
    X(grSstOrigin, 4) \
    X(grSstPerfStats, 4) \
    X(grSstQueryBoards, 4) \
    X(grSstQueryHardware, 4) \
    X(grSstResetPerfStats, 0) \
    X(grSstScreenHeight, 0) \
    X(grSstScreenWidth, 0) \
    X(grSstSelect, 4) \
    X(grSstStatus, 0) \
    X(grSstVRetraceOn, 0) \
    X(grSstVideoLine, 0) \
    X(grSstWinClose, 0) \
    X(grSstWinOpen, 28) \
    X(grTexCalcMemRequired, 16) \
    X(grTexClampMode, 12) \
    X(grTexCombine, 28) \
    X(grTexCombineFunction, 8) \
    X(grTexDetailControl, 16) \
    X(grTexDownloadMipMap, 16) \
    X(grTexDownloadMipMapLevel, 32) \
    X(grTexDownloadMipMapLevelPartial, 40) \
    X(grTexDownloadTable, 12) \
    X(grTexDownloadTablePartial, 20) \
    X(grTexFilterMode, 12) \
    X(grTexLodBiasValue, 8) \
    X(grTexMaxAddress, 4) \
    X(grTexMinAddress, 4) \
    X(grTexMipMapMode, 12) \
    X(grTexMultibase, 8) \
    X(grTexMultibaseAddress, 20) \
    X(grTexNCCTable, 8) \
    X(grTexSource, 16) \
    X(grTexTextureMemRequired, 8) \
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
    X(guTexSource, 4)

enum GlideEntry : int {
#define GLIDE_ENTRY_ENUM(name, bytes) GLIDE_##name,
    GLIDE_ENTRY_POINTS(GLIDE_ENTRY_ENUM)
#undef GLIDE_ENTRY_ENUM
    GLIDE_ENTRY_COUNT
};

static_assert(GLIDE_ENTRY_COUNT == 121);
