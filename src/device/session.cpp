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

int SessionInit(int resolutionIndex, int pointSampled) {
    // A second fxInit on an open card reopens it in the new mode, as
    // fxShutdown followed by fxInit would: one window at a time.
    if (scene.cardOpen) SessionShutdown();
    // After fxGlideShutdown Glide is started again; the hardware query is not repeated.
    if (device.glideBound && !device.hardwareQueryPending && !session.glideRunning) {
        glide::grGlideInit();
        session.glideRunning = 1;
    }
    // The first open that binds starts Glide (OpenCard calls grGlideInit then).
    const int firstOpen = device.hardwareQueryPending;
    scene.cardOpen = OpenCard(resolutionIndex, pointSampled);
    if (firstOpen && device.glideBound) session.glideRunning = 1;
    if (scene.cardOpen && session.paused) {
        // Opened during a pause: nothing is left for unpause_render to reopen,
        // and texture memory did not survive the pause, so the next
        // LoadTextures downloads every page.
        session.paused = 0;
        staging.pagesCurrent = 0;
    }
    return scene.cardOpen;
}

int SessionShutdown() {
    // A closed card after a pause stays closed: unpause_render no longer reopens it.
    session.paused = 0;
    if (!session.glideRunning) return 1;
    scene.cardOpen = 0;
    return CloseCard();
}

void SessionGlideShutdown() {
    const int running = session.glideRunning;
    session = Session{};
    scene.cardOpen = 0;
    ShutdownGlide(running);
}

int SessionPause() {
    // Nothing to give up: the state saved by an earlier pause stays for unpause_render.
    if (!scene.cardOpen) return session.paused;
    scene.cardOpen = 0;
    session.paused = 1;
    return PauseRender();
}

void SessionResume() {
    if (!session.paused || !session.glideRunning) return;
    scene.cardOpen = ResumeRender();
    // A failed reopen leaves the pause in force, so the host can try again.
    session.paused = !scene.cardOpen;
}

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
