// Where the host stands in the device lifecycle, so that exports called out
// of order never reach Glide while it cannot take the call: nothing before
// grGlideInit or after grGlideShutdown, nothing that needs a window while
// none is open (before fxInit, after fxShutdown, during a pause).
#pragma once

namespace vrastex {

// Whether a window is open (fxInit or unpause_render succeeded) is kept by
// the scene list, `scene.cardOpen`, whose overflow flush needs it.
struct Session {
    int glideRunning;  // grGlideInit called and grGlideShutdown not since
    int paused;        // pause_render closed the card; unpause_render may reopen it
};

extern Session session;

// The exports whose Glide calls need an open card or a running Glide; each
// does what the in-order export does when the card is open.
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
