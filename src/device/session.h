// Where the host stands in the device lifecycle: whether Glide was started,
// whether the card is open, whether a pause waits for its resume.
//
// The rule every guard here keeps: a guard may change behaviour only for a
// call order that a host does not make; wherever a host keeping to its order
// reaches a Glide that is running, the calls of the export are made, even
// where the card did not open. A host's order: fxDetect (optional), fxInit,
// InitVariables and InitSurfaces, frames, pause_render and unpause_render
// around periods without the card, fxShutdown (fxInit may open the card
// again), and fxGlideShutdown last of all.
#pragma once

namespace vrastex {

// Whether the card is open (after a successful fxInit, and after
// unpause_render whatever its grSstWinOpen returned) is kept by the scene
// list, `scene.cardOpen`, whose overflow flush needs it.
struct Session {
    int glideRunning;  // grGlideInit called and fxGlideShutdown not since
    int paused;        // a pause_render waits for its unpause_render
};

extern Session session;

// The exports whose Glide calls need a running Glide or an open card.
int SessionInit(int resolutionIndex, int pointSampled);
int SessionShutdown();
void SessionGlideShutdown();
int SessionPause();
void SessionResume();
unsigned SessionRenderScene();
void SessionFlip();
void SessionClear();
void SessionShowPage(int left, int top, int right, int bottom, unsigned slot);
void SessionBlitScreen(const void* picture, int width, int height);
void SessionLoadTextures();

}  // namespace vrastex
