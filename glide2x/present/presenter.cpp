#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "present/backend.h"
#include "present/present.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

std::atomic<int> g_modeSet{-1};
std::atomic<float> g_gamma{1.0f};
bool g_running = false;
bool g_toldWhy = false;

int ChosenMode() {
    const int set = g_modeSet.load();
    if (set >= PRESENT_NONE && set <= PRESENT_AUTO) return set;
    // The process's environment as it is now (the C runtime's copy of it on
    // Windows misses what the host set since it started).
#if defined(_WIN32)
    char value[16];
    const DWORD length = GetEnvironmentVariableA("VRASTEX_GLIDE_WINDOW", value, sizeof value);
    const char* env = length > 0 && length < sizeof value ? value : nullptr;
#else
    const char* env = std::getenv("VRASTEX_GLIDE_WINDOW");
#endif
    if (env != nullptr) {
        if (std::strcmp(env, "none") == 0) return PRESENT_NONE;
        if (std::strcmp(env, "own") == 0) return PRESENT_OWN;
        if (std::strcmp(env, "host") == 0) return PRESENT_HOST;
    }
    return PRESENT_AUTO;
}

// The library may talk (the plug-in may not): once per process, on stderr
// or to the debugger.
void TellOnce(const char* why) {
    if (g_toldWhy) return;
    g_toldWhy = true;
    char line[400];
    std::snprintf(line, sizeof line, "glide2x: no window (%s); frames are kept for read-back only\n", why);
#if defined(_WIN32)
    OutputDebugStringA(line);
#else
    std::fputs(line, stderr);
#endif
}

}  // namespace

// Never destroyed: a host that ends without closing Glide leaves the
// presenter thread running until the window system's own end of the process.
FrameQueue& PresenterQueue() {
    static FrameQueue* queue = new FrameQueue;
    return *queue;
}
float PresenterGamma() { return g_gamma.load(); }

void PresentSetMode(int mode) { g_modeSet.store(mode); }

void PresentOpen(std::uintptr_t window, int width, int height, float gamma) {
    PresentClose();
    g_gamma.store(gamma);
    const int mode = ChosenMode();
    if (mode == PRESENT_NONE) return;
    char why[300] = "";
    g_running = BackendStart(BackendRequest{mode, window, width, height}, why, sizeof why);
    if (!g_running) TellOnce(why);
}

void PresentClose() {
    if (!g_running) return;
    BackendStop();
    PresenterQueue().SetConsumer(false);
    g_running = false;
}

void PresentFrame(const std::uint16_t* pixels, int width, int height, int interval) {
    if (g_running) PresenterQueue().Push(pixels, width, height, interval);
}

// A host polls this in a tight loop while a frame is on its way (the
// plug-in's Flip does); waiting here for the frame to be shown keeps that
// loop, and the call log, from running away. The answer is what it would be.
int PresentPending() { return g_running ? PresenterQueue().Pending(2) : 0; }

void PresentGamma(float gamma) {
    g_gamma.store(gamma);
    if (g_running) PresenterQueue().Wake();
}

std::uintptr_t PresentWaitShown(int milliseconds) {
    if (!g_running) return 0;
    PresenterQueue().WaitEmpty(milliseconds);
    return BackendWindow();
}
