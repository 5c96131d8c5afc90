// The real plug-in behind the capture: vrastex-real.dll (libvrastex-real.so)
// beside the capture library, or the file named by VRASTEX_CAPTURE_TARGET,
// loaded on the first call and looked up by the same 34 names the host uses.
#pragma once

#include "exports/vrastex.h"

namespace capture {

struct RealPlugin {
    decltype(&::fxDetect) fxDetect;
    decltype(&::fxInit) fxInit;
    decltype(&::fxShutdown) fxShutdown;
    decltype(&::fxGlideShutdown) fxGlideShutdown;
    decltype(&::InitVariables) InitVariables;
    decltype(&::InitSurfaces) InitSurfaces;
    decltype(&::CalcShifts) CalcShifts;
    decltype(&::InitGouraud) InitGouraud;
    decltype(&::fxStartFrame) fxStartFrame;
    decltype(&::fxEndFrame) fxEndFrame;
    decltype(&::Flip) Flip;
    decltype(&::ClearScreen) ClearScreen;
    decltype(&::ShowPage) ShowPage;
    decltype(&::BlitScreen) BlitScreen;
    decltype(&::pause_render) pause_render;
    decltype(&::unpause_render) unpause_render;
    decltype(&::RenderScene) RenderScene;
    decltype(&::PutDrawEnv) PutDrawEnv;
    decltype(&::DoDrMode) DoDrMode;
    decltype(&::DrawFlat) DrawFlat;
    decltype(&::DrawFlat4) DrawFlat4;
    decltype(&::DrawGouraud) DrawGouraud;
    decltype(&::DrawGouraud4) DrawGouraud4;
    decltype(&::DrawTile) DrawTile;
    decltype(&::DrawFlatTexture) DrawFlatTexture;
    decltype(&::DrawFlatTexture4) DrawFlatTexture4;
    decltype(&::DrawGouraudTexture) DrawGouraudTexture;
    decltype(&::DrawGouraudTexture4) DrawGouraudTexture4;
    decltype(&::DrawLineFlat2) DrawLineFlat2;
    decltype(&::DrawLineFlat4) DrawLineFlat4;
    decltype(&::DrawLineGouraud) DrawLineGouraud;
    decltype(&::LoadImagePC) LoadImagePC;
    decltype(&::DoDrMove) DoDrMove;
    decltype(&::LoadTextures) LoadTextures;
};

// The real plug-in's exports, loaded on first use. When it cannot be loaded
// (reported once), or lacks an export, that entry is null: the capture then
// answers the host as a plug-in without a card would, with 0.
const RealPlugin& Real();

}  // namespace capture
