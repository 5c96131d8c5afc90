// The stand-in's model of the card: the rendering state (what grGlideGetState
// saves and grGlideSetState restores), the screen with its colour and aux
// buffers, and the texture memory of each TMU.
#pragma once

#include <cstdint>
#include <vector>

#include "glide/glide_types.h"

enum {
    STANDIN_STATE_TMUS = 2,    // TMUs whose rendering state is kept (Glide's default build)
    STANDIN_MEMORY_TMUS = 3,   // TMUs with scriptable address ranges and texture memory
    STANDIN_TEX_MEMORY_CAP = 16 * 1024 * 1024,  // largest simulated memory of one TMU
};

// grTexMaxAddress of every TMU until scripted otherwise: 2 MiB of memory.
constexpr std::uint32_t kDefaultTexMaxAddress = 0x1FFFF8;

// Arguments of grColorCombine / grAlphaCombine.
struct StandinCombine {
    FxI32 function;
    FxI32 factor;
    FxI32 local;
    FxI32 other;
    FxBool invert;
};

// Arguments of grTexCombine for one TMU.
struct StandinTexCombine {
    FxI32 rgbFunction;
    FxI32 rgbFactor;
    FxI32 alphaFunction;
    FxI32 alphaFactor;
    FxBool rgbInvert;
    FxBool alphaInvert;
};

// What grTexSource selected for one TMU. The GrTexInfo is kept without its
// data pointer: the TMU reads its texels from texture memory, never from the
// caller's buffer.
struct StandinTexSource {
    FxU32 startAddress;
    FxU32 evenOdd;
    FxI32 smallLod;
    FxI32 largeLod;
    FxI32 aspectRatio;
    FxI32 format;
};

struct StandinTmuState {
    StandinTexCombine combine;
    FxI32 clampS;
    FxI32 clampT;
    FxI32 minFilter;
    FxI32 magFilter;
    StandinTexSource source;
};

// The whole rendering state: one plain record, all 4-byte fields (no padding,
// no pointers), copied byte for byte into and out of a GrState.
struct StandinRenderState {
    StandinCombine colorCombine;
    StandinCombine alphaCombine;
    FxI32 rgbSrcFactor;  // grAlphaBlendFunction
    FxI32 rgbDstFactor;
    FxI32 alphaSrcFactor;
    FxI32 alphaDstFactor;
    FxU32 constantColor;  // in the colour format of grSstWinOpen
    FxI32 chromakeyMode;
    FxU32 chromakeyValue;
    FxI32 cullMode;
    FxBool depthMask;
    FxI32 renderBuffer;  // GR_BUFFER_FRONTBUFFER or GR_BUFFER_BACKBUFFER
    float gamma;
    FxI32 clipMinX;  // clip window: min inclusive, max exclusive
    FxI32 clipMinY;
    FxI32 clipMaxX;
    FxI32 clipMaxY;
    StandinTmuState tmu[STANDIN_STATE_TMUS];
    FxI32 ditherMode;  // grDitherMode: 0 off, 1 2x2, 2 4x4
};

static_assert(sizeof(StandinRenderState) <= sizeof(GrState), "the rendering state must fit a GrState");
static_assert(sizeof(StandinRenderState) % 4 == 0 && alignof(StandinRenderState) == 4);

// The state the library sets when a window opens: back buffer, clip = the
// screen, colour combine (SCALE_OTHER, ONE, ITERATED, ITERATED), alpha combine
// (SCALE_OTHER, ONE, NONE, CONSTANT), constant colour 0xFFFFFFFF, no culling,
// depth mask off, blending (ONE, ZERO, ONE, ZERO), chroma key off with value 0,
// gamma 1.7, every TMU clamp/point-sampled with combine ZERO/NONE and no source,
// 4x4 dithering.
StandinRenderState DefaultRenderState(int screenWidth, int screenHeight);

// The screen opened by grSstWinOpen. Buffers are row-major, row 0 at the top.
struct StandinScreen {
    bool open = false;
    bool openFailed = false;  // the last grSstWinOpen failed and nothing closed it since
    int width = 0;
    int height = 0;
    FxI32 colorFormat = 0;  // GR_COLORFORMAT_*
    FxI32 origin = 0;       // GR_ORIGIN_*
    int frontIndex = 0;     // which of color[] is the front buffer
    std::vector<std::uint16_t> color[2];  // RGB 565
    std::vector<std::uint16_t> aux;       // depth / alpha; empty when opened with no aux buffer
};

// Simulated memory of one TMU. `limit` bytes are addressable (grTexMaxAddress
// + 8, capped); the bytes are allocated on first write and read as 0 before,
// and may be more than `limit`.
struct StandinTexMemory {
    std::uint32_t limit = 0;
    std::vector<std::uint8_t> bytes;
    std::uint32_t written = 0;  // bytes below this may be non-zero
};

struct StandinDevice {
    StandinRenderState state;
    StandinScreen screen;
    StandinTexMemory texMemory[STANDIN_MEMORY_TMUS];
};

// The one device, created on first use with the state of a freshly loaded
// library: no window, the default rendering state, empty texture memory of
// kDefaultTexMaxAddress + 8 bytes per TMU.
StandinDevice& Device();

// Width and height of a GR_RESOLUTION_ code; false for codes without a size.
bool ResolutionSize(FxI32 resolution, int* width, int* height);

// Splits a GrColor_t of the given GR_COLORFORMAT_ into 8-bit r, g, b, a.
void UnpackColor(FxU32 color, FxI32 colorFormat, int* r, int* g, int* b, int* a);
// 8-bit channels to RGB 565 by truncation (no dithering).
std::uint16_t Rgb565(int r, int g, int b);
// A 555 pixel (bit 15 ignored) to 565: R and B kept, G6 = (G5 << 1) | (G5 >> 4).
std::uint16_t Rgb555To565(std::uint16_t pixel);

// Whether pixels are drawn, cleared and written at all (on at load). With it
// off the card keeps no buffers: a test of the call stream alone pays nothing
// for the pixels.
void SetDrawing(bool on);
bool Drawing();

// Screen operations behind the entry points.
void OpenScreen(int width, int height, FxI32 colorFormat, FxI32 origin, int auxBuffers);
void CloseScreen();
// Index into screen.color[] of a GR_BUFFER_FRONTBUFFER / BACKBUFFER, or -1.
int ColorBufferIndex(FxI32 buffer);
void ClearBuffers(FxU32 color, FxU16 depth);
void SwapBuffers();
// Writes a w x h block of 16-bit source pixels (row r at src + r * stride
// bytes) at (x, y) of a colour buffer, upper-left origin, clipped to the
// screen. Handles GR_LFB_SRC_FMT_565, 555 and 1555; returns false for any
// other format or buffer.
bool WriteColorRegion(FxI32 buffer, FxU32 x, FxU32 y, FxU32 format, FxU32 w, FxU32 h, FxI32 stride,
                      const void* src);

// Texture memory: the addressable size of a TMU follows its scripted maximum
// address. Returns the bytes written (the rest lies outside the memory).
void SetTexMemoryLimit(int tmu, std::uint32_t maxAddress);
std::uint32_t WriteTexMemory(int tmu, std::uint32_t address, const void* data, std::uint32_t size);
std::uint32_t ReadTexMemory(int tmu, std::uint32_t address, void* out, std::uint32_t size);
void ClearTexMemory();
