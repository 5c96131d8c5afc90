// The 34 exports of the plug-in, as a host calls them. Words the host uses as
// addresses are pointers; every other word is a 32-bit int.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define VRASTEX_API extern "C"
#else
#define VRASTEX_API extern "C" __attribute__((visibility("default")))
#endif

// DirectDraw's surface description, passed by value to CalcShifts and never
// read: 108 bytes on 32-bit Windows.
struct DDSURFACEDESC {
    std::uint32_t words[27];
};
static_assert(sizeof(DDSURFACEDESC) == 108);

// Device lifecycle and frame control.
VRASTEX_API int fxDetect(void);
VRASTEX_API int fxInit(int unused, int resolutionIndex, int pointSampled);
VRASTEX_API int fxShutdown(void);
VRASTEX_API void fxGlideShutdown(void);
VRASTEX_API void InitVariables(void* staging, int w2, void* pageBuffer, int w4, int w5, int w6,
                               int w7, int w8, int w9, int w10, int w11, int w12, int w13, int w14,
                               int w15, int w16, int w17, int w18, int w19, int w20, int w21,
                               int w22, int w23, int w24, int w25, int w26, int w27, int w28,
                               int w29, int w30, int w31, int w32, int w33, int resolutionIndex);
VRASTEX_API void InitSurfaces(int w1, int w2, int w3, int stride, int w5, int w6, int w7, int w8,
                              int w9, int w10);
VRASTEX_API void CalcShifts(DDSURFACEDESC surface);
VRASTEX_API void InitGouraud(int w1, int w2);
VRASTEX_API void fxStartFrame(void);
VRASTEX_API void fxEndFrame(void);
VRASTEX_API void Flip(void);
VRASTEX_API void ClearScreen(void);

// Full-screen pictures, pause and resume.
VRASTEX_API void ShowPage(int left, int top, int right, int bottom, unsigned slot);
VRASTEX_API void BlitScreen(const void* picture, int width, int height);
VRASTEX_API int pause_render(void);
VRASTEX_API void unpause_render(void);

// Scene list, drawing environment, primitives.
VRASTEX_API unsigned RenderScene(void);
VRASTEX_API void PutDrawEnv(const void* record);
VRASTEX_API void DoDrMode(const void* packet);
VRASTEX_API void DrawFlat(const void* packet);
VRASTEX_API void DrawFlat4(const void* packet);
VRASTEX_API void DrawGouraud(const void* packet);
VRASTEX_API void DrawGouraud4(const void* packet);
VRASTEX_API void DrawTile(const void* packet);
VRASTEX_API void DrawFlatTexture(void* packet);
VRASTEX_API void DrawFlatTexture4(void* packet);
VRASTEX_API void DrawGouraudTexture(void* packet);
VRASTEX_API void DrawGouraudTexture4(void* packet);
VRASTEX_API void DrawLineFlat2(const void* packet, int oowDivisor);
VRASTEX_API void DrawLineFlat4(const void* packet, int oowDivisor);
VRASTEX_API void DrawLineGouraud(const void* packet);

// Texture memory.
VRASTEX_API int LoadImagePC(const void* rectangle, const void* data);
VRASTEX_API void DoDrMove(const void* packet);
VRASTEX_API void LoadTextures(void);
