// The export boundary: each export is one call into its subsystem.
#include "exports/vrastex.h"

#include "exports/fpu_precision.h"

#include "device/device.h"
#include "device/full_screen.h"
#include "device/pause.h"
#include "device/session.h"
#include "scene/draw_state.h"
#include "scene/lines.h"
#include "scene/polygons.h"
#include "scene/scene_list.h"
#include "scene/textured_polygons.h"
#include "texture/page_cache.h"
#include "texture/staging.h"

using namespace vrastex;

VRASTEX_API int fxDetect(void) { return DetectCard(); }
VRASTEX_API int fxInit(int, int resolutionIndex, int pointSampled) { return SessionInit(resolutionIndex, pointSampled); }
VRASTEX_API int fxShutdown(void) { return SessionShutdown(); }
VRASTEX_API void fxGlideShutdown(void) { SessionGlideShutdown(); }

VRASTEX_API void InitVariables(void* stagingSurface, int, void* pageBuffer, int, int, int, int, int, int,
                               int, int, int, int, int, int, int, int, int, int, int, int, int, int, int,
                               int, int, int, int, int, int, int, int, int, int resolutionIndex) {
    WithDoublePrecision(SetHostMemory, stagingSurface, pageBuffer, resolutionIndex);
}

VRASTEX_API void InitSurfaces(int, int, int, int stride, int, int, int, int, int, int) { SetDirectStride(stride); }

// Kept for the host's sake: nothing the surface description says is used.
VRASTEX_API void CalcShifts(DDSURFACEDESC) {}
VRASTEX_API void InitGouraud(int, int) {}
VRASTEX_API void fxStartFrame(void) {}
VRASTEX_API void fxEndFrame(void) {}
VRASTEX_API void Flip(void) { SessionFlip(); }
VRASTEX_API void ClearScreen(void) { SessionClear(); }

VRASTEX_API void ShowPage(int left, int top, int right, int bottom, unsigned slot) {
    WithDoublePrecision(SessionShowPage, left, top, right, bottom, slot);
}
VRASTEX_API void BlitScreen(const void* picture, int width, int height) { WithDoublePrecision(SessionBlitScreen, picture, width, height); }
VRASTEX_API int pause_render(void) { return SessionPause(); }
VRASTEX_API void unpause_render(void) { SessionResume(); }

VRASTEX_API unsigned RenderScene(void) { return SessionRenderScene(); }
VRASTEX_API void PutDrawEnv(const void* record) { vrastex::PutDrawEnv(record); }
VRASTEX_API void DoDrMode(const void* packet) { vrastex::DoDrMode(packet); }
VRASTEX_API void DrawFlat(const void* packet) { WithDoublePrecision(vrastex::DrawFlat, packet); }
VRASTEX_API void DrawFlat4(const void* packet) { WithDoublePrecision(vrastex::DrawFlat4, packet); }
VRASTEX_API void DrawGouraud(const void* packet) { WithDoublePrecision(vrastex::DrawGouraud, packet); }
VRASTEX_API void DrawGouraud4(const void* packet) { WithDoublePrecision(vrastex::DrawGouraud4, packet); }
VRASTEX_API void DrawTile(const void* packet) { WithDoublePrecision(vrastex::DrawTile, packet); }
VRASTEX_API void DrawFlatTexture(void* packet) { WithDoublePrecision(vrastex::DrawFlatTexture, packet); }
VRASTEX_API void DrawFlatTexture4(void* packet) { WithDoublePrecision(vrastex::DrawFlatTexture4, packet); }
VRASTEX_API void DrawGouraudTexture(void* packet) { WithDoublePrecision(vrastex::DrawGouraudTexture, packet); }
VRASTEX_API void DrawGouraudTexture4(void* packet) { WithDoublePrecision(vrastex::DrawGouraudTexture4, packet); }
VRASTEX_API void DrawLineFlat2(const void* packet, int oowDivisor) { WithDoublePrecision(vrastex::DrawLineFlat2, packet, oowDivisor); }
VRASTEX_API void DrawLineFlat4(const void* packet, int oowDivisor) { WithDoublePrecision(vrastex::DrawLineFlat4, packet, oowDivisor); }
VRASTEX_API void DrawLineGouraud(const void* packet) { WithDoublePrecision(vrastex::DrawLineGouraud, packet); }

VRASTEX_API int LoadImagePC(const void* rectangle, const void* data) { return vrastex::LoadImagePC(rectangle, data); }
VRASTEX_API void DoDrMove(const void* packet) { vrastex::DoDrMove(packet); }
VRASTEX_API void LoadTextures(void) { SessionLoadTextures(); }
