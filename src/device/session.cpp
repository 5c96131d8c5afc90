// The session layer; the rule its guards keep is written in session.h.
#include "device/session.h"

#include "device/device.h"
#include "device/full_screen.h"
#include "device/pause.h"
#include "glide/glide_binding.h"
#include "scene/scene_list.h"
#include "texture/page_cache.h"
#include "texture/staging.h"

namespace vrastex {

Session session;

namespace {

// Closing, pausing and resuming come after fxInit in a host's order ("fxInit:
// binds Glide if needed, and opens the card" is its second step). Before a
// grGlideInit (no fxInit yet; or only ones whose binding failed, which leave
// no table to call through) and after fxGlideShutdown no Glide is running to
// take their calls. A failed fxInit that got as far as grGlideInit leaves
// Glide running, and these exports make their calls after it.
bool GlideRunning() { return session.glideRunning != 0; }

}  // namespace

int SessionInit(int resolutionIndex, int pointSampled) {
    // "Nothing re-arms grGlideInit afterwards, so fxGlideShutdown is the
    // host's last call": an fxInit after it starts Glide again, without a
    // second hardware query.
    if (device.glideBound && !device.hardwareQueryPending && !GlideRunning()) {
        glide::grGlideInit();
        session.glideRunning = 1;
    }
    // The first fxInit that binds calls grGlideInit, whether or not the
    // query or the open after it succeeds.
    const int queryPending = device.hardwareQueryPending;
    scene.cardOpen = OpenCard(resolutionIndex, pointSampled);
    if (queryPending && device.glideBound) session.glideRunning = 1;
    // A pause stays pending: unpause_render still reopens at the resolution
    // just stored, and the pages-current flag is left alone.
    return scene.cardOpen;
}

int SessionShutdown() {
    if (!GlideRunning()) return 1;  // nothing to close: see GlideRunning
    // A pause stays pending: the next unpause_render makes its calls.
    scene.cardOpen = 0;
    return CloseCard();
}

void SessionGlideShutdown() {
    session = Session{};
    scene.cardOpen = 0;
    ShutdownGlide();
}

int SessionPause() {
    if (!GlideRunning()) return 0;  // nothing to give up: see GlideRunning
    scene.cardOpen = 0;
    session.paused = 1;
    return PauseRender();
}

void SessionResume() {
    // "The host calls unpause_render only after a pause_render": without a
    // pending pause there is nothing to take back.
    if (!session.paused) return;
    session.paused = 0;
    ResumeRender();
    // The card counts as open again whatever grSstWinOpen returned: the
    // remaining steps ran all the same, and a host draws again after a resume.
    scene.cardOpen = 1;
}

// The guards below: "Everything that draws, clears, flips or downloads
// textures needs an open card", and between pause_render and unpause_render
// the host "draws, clears, flips and downloads nothing".

unsigned SessionRenderScene() {
    if (scene.cardOpen) return RenderScene();
    // A frame built with no card to draw on is dropped, as a flush would empty it.
    EmptySceneList();
    return 0;
}

void SessionFlip() {
    if (scene.cardOpen) FlipBuffers();
}

void SessionClear() {
    if (scene.cardOpen) ClearBackBuffer();
}

void SessionShowPage(int left, int top, int right, int bottom, unsigned slot) {
    if (scene.cardOpen) ShowPage(left, top, right, bottom, slot);
}

void SessionBlitScreen(const void* picture, int width, int height) {
    if (scene.cardOpen) BlitScreen(picture, width, height);
}

void SessionLoadTextures() {
    if (scene.cardOpen) {
        LoadTextures();
        return;
    }
    // The colour table is forgotten as always; the pages stay out of date, so
    // the first LoadTextures with an open card downloads them.
    staging.colorTable = nullptr;
}

}  // namespace vrastex
