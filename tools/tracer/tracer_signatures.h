// Glide 2.x signatures of the entry points the tracer forwards without
// copying what their pointers refer to: each X(Ret, name, (parameters),
// (arguments)). The 8 entry points whose pointed-to data the text form shows
// are written out in entry_points.cpp. Exact types matter: on x86-64 floats
// and pointers travel in their own registers.
#pragma once

#include "glide/glide_types.h"

using FxI16 = std::int16_t;

// Traced with their arguments (the text form prints them).
#define TRACER_ARGUMENT_ENTRY_POINTS(X) \
    X(void, grAlphaBlendFunction, (FxI32 rgbSrc, FxI32 rgbDst, FxI32 alphaSrc, FxI32 alphaDst), (rgbSrc, rgbDst, alphaSrc, alphaDst)) \
    X(void, grAlphaCombine, (FxI32 fn, FxI32 factor, FxI32 local, FxI32 other, FxBool invert), (fn, factor, local, other, invert)) \
    X(void, grBufferClear, (FxU32 color, FxU8 alpha, FxU16 depth), (color, alpha, depth)) \
    X(int, grBufferNumPending, (), ()) \
    X(void, grBufferSwap, (int interval), (interval)) \
    X(void, grChromakeyMode, (FxI32 mode), (mode)) \
    X(void, grChromakeyValue, (FxU32 value), (value)) \
    X(void, grColorCombine, (FxI32 fn, FxI32 factor, FxI32 local, FxI32 other, FxBool invert), (fn, factor, local, other, invert)) \
    X(void, grConstantColorValue, (FxU32 color), (color)) \
    X(void, grCullMode, (FxI32 mode), (mode)) \
    X(void, grDepthMask, (FxBool enable), (enable)) \
    X(void, grGammaCorrectionValue, (float value), (value)) \
    X(void, grGlideGetState, (GrState* state), (state)) \
    X(void, grGlideInit, (), ()) \
    X(void, grGlideSetState, (const GrState* state), (state)) \
    X(void, grGlideShutdown, (), ()) \
    X(FxBool, grLfbReadRegion, (FxI32 buffer, FxU32 x, FxU32 y, FxU32 w, FxU32 h, FxU32 stride, void* dst), (buffer, x, y, w, h, stride, dst)) \
    X(void, grRenderBuffer, (FxI32 buffer), (buffer)) \
    X(FxBool, grSstControl, (FxU32 code), (code)) \
    X(FxBool, grSstQueryBoards, (GrHwConfiguration* hw), (hw)) \
    X(FxBool, grSstQueryHardware, (GrHwConfiguration* hw), (hw)) \
    X(FxU32, grSstScreenHeight, (), ()) \
    X(FxU32, grSstScreenWidth, (), ()) \
    X(void, grSstSelect, (int which), (which)) \
    X(void, grSstWinClose, (), ()) \
    X(FxBool, grSstWinOpen, (FxU32 hWnd, FxI32 res, FxI32 refresh, FxI32 format, FxI32 origin, int colorBuffers, int auxBuffers), (hWnd, res, refresh, format, origin, colorBuffers, auxBuffers)) \
    X(void, grTexClampMode, (FxI32 tmu, FxI32 s, FxI32 t), (tmu, s, t)) \
    X(void, grTexCombine, (FxI32 tmu, FxI32 rgbFn, FxI32 rgbFactor, FxI32 aFn, FxI32 aFactor, FxBool rgbInvert, FxBool aInvert), (tmu, rgbFn, rgbFactor, aFn, aFactor, rgbInvert, aInvert)) \
    X(void, grTexFilterMode, (FxI32 tmu, FxI32 minFilter, FxI32 magFilter), (tmu, minFilter, magFilter)) \
    X(FxU32, grTexMaxAddress, (FxI32 tmu), (tmu)) \
    X(FxU32, grTexMinAddress, (FxI32 tmu), (tmu))

// Traced by name only.
#define TRACER_NAME_ENTRY_POINTS(X) \
    X(void, ConvertAndDownloadRle, (FxI32 tmu, FxU32 start, FxI32 thisLod, FxI32 largeLod, FxI32 aspect, FxI32 format, FxU32 evenOdd, FxU8* data, FxI32 height, FxU32 u0, FxU32 v0, FxU32 width, FxU32 rows, FxU32 destWidth, FxU32 destHeight, FxU16* tlut), (tmu, start, thisLod, largeLod, aspect, format, evenOdd, data, height, u0, v0, width, rows, destWidth, destHeight, tlut)) \
    X(void, grAADrawLine, (const GrVertex* a, const GrVertex* b), (a, b)) \
    X(void, grAADrawPoint, (const GrVertex* p), (p)) \
    X(void, grAADrawPolygon, (int count, const int* ilist, const GrVertex* vlist), (count, ilist, vlist)) \
    X(void, grAADrawPolygonVertexList, (int count, const GrVertex* vlist), (count, vlist)) \
    X(void, grAADrawTriangle, (const GrVertex* a, const GrVertex* b, const GrVertex* c, FxBool ab, FxBool bc, FxBool ca), (a, b, c, ab, bc, ca)) \
    X(void, grAlphaControlsITRGBLighting, (FxBool enable), (enable)) \
    X(void, grAlphaTestFunction, (FxI32 function), (function)) \
    X(void, grAlphaTestReferenceValue, (FxU8 value), (value)) \
    X(void, grCheckForRoom, (FxI32 n), (n)) \
    X(void, grClipWindow, (FxU32 minX, FxU32 minY, FxU32 maxX, FxU32 maxY), (minX, minY, maxX, maxY)) \
    X(void, grColorMask, (FxBool rgb, FxBool alpha), (rgb, alpha)) \
    X(void, grConstantColorValue4, (float a, float r, float g, float b), (a, r, g, b)) \
    X(void, grDepthBiasLevel, (FxI16 level), (level)) \
    X(void, grDepthBufferFunction, (FxI32 function), (function)) \
    X(void, grDepthBufferMode, (FxI32 mode), (mode)) \
    X(void, grDisableAllEffects, (), ()) \
    X(void, grDitherMode, (FxI32 mode), (mode)) \
    X(void, grDrawPlanarPolygon, (int count, const int* ilist, const GrVertex* vlist), (count, ilist, vlist)) \
    X(void, grDrawPlanarPolygonVertexList, (int count, const GrVertex* vlist), (count, vlist)) \
    X(void, grDrawPoint, (const GrVertex* p), (p)) \
    X(void, grErrorSetCallback, (void (*callback)(const char*, FxBool)), (callback)) \
    X(void, grFogColorValue, (FxU32 color), (color)) \
    X(void, grFogMode, (FxI32 mode), (mode)) \
    X(void, grFogTable, (const FxU8* table), (table)) \
    X(void, grGlideGetVersion, (char* version), (version)) \
    X(void, grGlideShamelessPlug, (FxBool on), (on)) \
    X(void, grHints, (FxU32 type, FxU32 mask), (type, mask)) \
    X(void, grLfbConstantAlpha, (FxU8 alpha), (alpha)) \
    X(void, grLfbConstantDepth, (FxU16 depth), (depth)) \
    X(FxBool, grLfbLock, (FxI32 type, FxI32 buffer, FxI32 writeMode, FxI32 origin, FxBool pixelPipeline, void* info), (type, buffer, writeMode, origin, pixelPipeline, info)) \
    X(FxBool, grLfbUnlock, (FxI32 type, FxI32 buffer), (type, buffer)) \
    X(void, grLfbWriteColorFormat, (FxI32 format), (format)) \
    X(void, grLfbWriteColorSwizzle, (FxBool swizzleBytes, FxBool swapWords), (swizzleBytes, swapWords)) \
    X(void, grResetTriStats, (), ()) \
    X(void, grSplash, (float x, float y, float width, float height, FxU32 frame), (x, y, width, height, frame)) \
    X(void, grSstIdle, (), ()) \
    X(FxBool, grSstIsBusy, (), ()) \
    X(void, grSstOrigin, (FxI32 origin), (origin)) \
    X(void, grSstPerfStats, (void* stats), (stats)) \
    X(void, grSstResetPerfStats, (), ()) \
    X(FxU32, grSstStatus, (), ()) \
    X(FxBool, grSstVRetraceOn, (), ()) \
    X(FxU32, grSstVideoLine, (), ()) \
    X(FxU32, grTexCalcMemRequired, (FxI32 smallLod, FxI32 largeLod, FxI32 aspect, FxI32 format), (smallLod, largeLod, aspect, format)) \
    X(void, grTexCombineFunction, (FxI32 tmu, FxI32 function), (tmu, function)) \
    X(void, grTexDetailControl, (FxI32 tmu, int lodBias, FxU8 detailScale, float detailMax), (tmu, lodBias, detailScale, detailMax)) \
    X(void, grTexDownloadMipMap, (FxI32 tmu, FxU32 start, FxU32 evenOdd, GrTexInfo* info), (tmu, start, evenOdd, info)) \
    X(void, grTexDownloadMipMapLevelPartial, (FxI32 tmu, FxU32 start, FxI32 thisLod, FxI32 largeLod, FxI32 aspect, FxI32 format, FxU32 evenOdd, void* data, int first, int last), (tmu, start, thisLod, largeLod, aspect, format, evenOdd, data, first, last)) \
    X(void, grTexDownloadTable, (FxI32 tmu, FxI32 type, void* data), (tmu, type, data)) \
    X(void, grTexDownloadTablePartial, (FxI32 tmu, FxI32 type, void* data, int first, int last), (tmu, type, data, first, last)) \
    X(void, grTexLodBiasValue, (FxI32 tmu, float bias), (tmu, bias)) \
    X(void, grTexMipMapMode, (FxI32 tmu, FxI32 mode, FxBool lodBlend), (tmu, mode, lodBlend)) \
    X(void, grTexMultibase, (FxI32 tmu, FxBool enable), (tmu, enable)) \
    X(void, grTexMultibaseAddress, (FxI32 tmu, FxI32 range, FxU32 start, FxU32 evenOdd, GrTexInfo* info), (tmu, range, start, evenOdd, info)) \
    X(void, grTexNCCTable, (FxI32 tmu, FxI32 table), (tmu, table)) \
    X(void, grTriStats, (FxU32* processed, FxU32* drawn), (processed, drawn)) \
    X(FxBool, gu3dfGetInfo, (const char* file, void* info), (file, info)) \
    X(FxBool, gu3dfLoad, (const char* file, void* data), (file, data)) \
    X(void, guAADrawTriangleWithClip, (const GrVertex* a, const GrVertex* b, const GrVertex* c), (a, b, c)) \
    X(void, guAlphaSource, (FxI32 mode), (mode)) \
    X(void, guColorCombineFunction, (FxI32 function), (function)) \
    X(void, guDrawPolygonVertexListWithClip, (int count, const GrVertex* vlist), (count, vlist)) \
    X(void, guDrawTriangleWithClip, (const GrVertex* a, const GrVertex* b, const GrVertex* c), (a, b, c)) \
    X(int, guEncodeRLE16, (void* dst, void* src, FxU32 width, FxU32 height), (dst, src, width, height)) \
    X(FxU32, guEndianSwapBytes, (FxU32 value), (value)) \
    X(FxU32, guEndianSwapWords, (FxU32 value), (value)) \
    X(void, guFogGenerateExp, (FxU8* table, float density), (table, density)) \
    X(void, guFogGenerateExp2, (FxU8* table, float density), (table, density)) \
    X(void, guFogGenerateLinear, (FxU8* table, float nearW, float farW), (table, nearW, farW)) \
    X(float, guFogTableIndexToW, (int i), (i)) \
    X(FxU32, guTexAllocateMemory, (FxI32 tmu, FxU8 evenOdd, int width, int height, FxI32 format, FxI32 mipMode, FxI32 smallLod, FxI32 largeLod, FxI32 aspect, FxI32 sClamp, FxI32 tClamp, FxI32 minFilter, FxI32 magFilter, float lodBias, FxBool trilinear), (tmu, evenOdd, width, height, format, mipMode, smallLod, largeLod, aspect, sClamp, tClamp, minFilter, magFilter, lodBias, trilinear)) \
    X(FxBool, guTexChangeAttributes, (FxU32 id, int width, int height, FxI32 format, FxI32 mipMode, FxI32 smallLod, FxI32 largeLod, FxI32 aspect, FxI32 sClamp, FxI32 tClamp, FxI32 minFilter, FxI32 magFilter), (id, width, height, format, mipMode, smallLod, largeLod, aspect, sClamp, tClamp, minFilter, magFilter)) \
    X(void, guTexCombineFunction, (FxI32 tmu, FxI32 function), (tmu, function)) \
    X(FxU16*, guTexCreateColorMipMap, (), ()) \
    X(void, guTexDownloadMipMap, (FxU32 id, const void* src, const void* nccTable), (id, src, nccTable)) \
    X(void, guTexDownloadMipMapLevel, (FxU32 id, FxI32 lod, const void** src), (id, lod, src)) \
    X(FxU32, guTexGetCurrentMipMap, (FxI32 tmu), (tmu)) \
    X(void*, guTexGetMipMapInfo, (FxU32 id), (id)) \
    X(FxU32, guTexMemQueryAvail, (FxI32 tmu), (tmu)) \
    X(void, guTexMemReset, (), ()) \
    X(void, guTexSource, (FxU32 id), (id))
