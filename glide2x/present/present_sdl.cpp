// The presenter on Linux: an SDL2 window (our own, or the host's X11 window
// when grSstWinOpen names one), owned by a thread of its own.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "present/backend.h"
#include "present/picture.h"
#include "present/present.h"

namespace {

struct Presenter {
    // A host may end without closing Glide: the thread is stopped first.
    ~Presenter() {
        if (!thread.joinable()) return;
        if (thread.get_id() == std::this_thread::get_id()) {
            thread.detach();
            return;
        }
        stop.store(true);
        thread.join();
    }
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<std::uintptr_t> window{0};
    BackendRequest request{};
    StartSignal start;
};

Presenter g_presenter;

class Window {
public:
    bool Open(const BackendRequest& request) {
        own_ = request.window == 0 || request.mode == PRESENT_OWN;
        if (own_) {
            char title[64];
            std::snprintf(title, sizeof title, "glide2x %dx%d", request.width, request.height);
            window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, request.width,
                                       request.height, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
        } else {
            window_ = SDL_CreateWindowFrom(reinterpret_cast<const void*>(request.window));
        }
        if (window_ == nullptr) return false;
        PublishId(request.window);
        return true;
    }

    // The native window frames go to (a surface may recreate SDL's X window).
    void PublishId(std::uintptr_t fallback) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        std::uintptr_t id = fallback;
        if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11)
            id = static_cast<std::uintptr_t>(info.info.x11.window);
        g_presenter.window.store(id != 0 ? id : 1);
    }

    void Close() {
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        window_ = nullptr;
        g_presenter.window.store(0);
    }

    bool IsOpen() const { return window_ != nullptr; }

    // Window events; false when the user closed our window.
    bool Pump() {
        SDL_Event event;
        bool open = true;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_WINDOWEVENT) {
                if (event.window.event == SDL_WINDOWEVENT_CLOSE && own_) open = false;
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                    redraw_ = true;
            } else if (event.type == SDL_KEYDOWN && !event.key.repeat) {
                const bool altEnter = event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT);
                if (altEnter || (own_ && event.key.keysym.sym == SDLK_F11)) ToggleFullScreen();
            }
        }
        return open;
    }

    void Run() {
        FrameQueue& queue = PresenterQueue();
        auto lastShown = std::chrono::steady_clock::now();
        while (!g_presenter.stop.load()) {
            if (!Pump()) {
                // The user closed the picture: the host plays on without it.
                Close();
                queue.SetConsumer(false);
                break;
            }
            FrameQueue::Frame frame;
            if (queue.Peek(frame, redraw_ ? 0 : 8)) {
                if (frame.interval > 0) {
                    // Shown after `interval` refreshes of the display.
                    SDL_DisplayMode mode;
                    const int hz = SDL_GetWindowDisplayMode(window_, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
                    std::this_thread::sleep_until(lastShown + std::chrono::microseconds(1000000LL * frame.interval / hz));
                }
                last_.assign(frame.pixels, frame.pixels + std::size_t(frame.width) * std::size_t(frame.height));
                width_ = frame.width;
                height_ = frame.height;
                Paint();
                lastShown = std::chrono::steady_clock::now();
                queue.Done();
            } else if (redraw_ || gamma_ != PresenterGamma()) {
                Paint();
            }
        }
        while (!g_presenter.stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Close();
    }

private:
    SDL_Window* window_ = nullptr;
    bool own_ = true;
    bool redraw_ = false;
    bool fullScreen_ = false;
    float gamma_ = -1.0f;
    std::uint8_t table_[256] = {};
    std::vector<std::uint16_t> last_;
    std::vector<std::uint32_t> image_;
    int width_ = 0, height_ = 0;

    void ToggleFullScreen() {
        fullScreen_ = !fullScreen_;
        SDL_SetWindowFullscreen(window_, fullScreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        redraw_ = true;
    }

    void Paint() {
        redraw_ = false;
        if (gamma_ != PresenterGamma()) {
            gamma_ = PresenterGamma();
            BuildGammaTable(gamma_, table_);
        }
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (surface == nullptr || last_.empty()) return;
        const int w = surface->w, h = surface->h;
        image_.resize(std::size_t(w) * std::size_t(h));
        ComposePicture(last_.data(), width_, height_, table_, FitPicture(width_, height_, w, h), image_.data(), w, h, w);
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, image_.data(), w * 4, surface->format->format, surface->pixels,
                          surface->pitch);
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        SDL_UpdateWindowSurface(window_);
        PublishId(g_presenter.window.load());
    }
};

void PresenterThread() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window system's own surface: pixels exactly as composed, no GL.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A display, not one of SDL's stand-ins for one (offscreen, dummy),
    // unless SDL_VIDEODRIVER asks for a driver by name.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool hasX11 = x11 != nullptr && *x11 != '\0', hasWayland = wayland != nullptr && *wayland != '\0';
    if ((asked == nullptr || *asked == '\0') && !hasX11 && !hasWayland) {
        g_presenter.start.Say(false, "no display: neither DISPLAY nor WAYLAND_DISPLAY is set");
        return;
    }
    if (asked == nullptr || *asked == '\0') SDL_SetHint(SDL_HINT_VIDEODRIVER, hasX11 ? "x11" : "wayland");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        char why[300];
        std::snprintf(why, sizeof why, "%s (DISPLAY=%s)", SDL_GetError(), hasX11 ? x11 : "");
        g_presenter.start.Say(false, why);
        return;
    }
    Window window;
    if (!window.Open(g_presenter.request)) {
        g_presenter.start.Say(false, SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return;
    }
    PresenterQueue().SetConsumer(true);
    g_presenter.start.Say(true, nullptr);
    window.Run();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

bool BackendStart(const BackendRequest& request, char* why, int whySize) {
    Presenter& p = g_presenter;
    p.request = request;
    p.stop.store(false);
    p.start.Reset();
    p.thread = std::thread(PresenterThread);
    if (p.start.Wait("SDL: ", why, whySize)) return true;
    p.thread.join();
    return false;
}

void BackendStop() {
    Presenter& p = g_presenter;
    if (!p.thread.joinable()) return;
    p.stop.store(true);
    PresenterQueue().Wake();
    p.thread.join();
}

std::uintptr_t BackendWindow() { return g_presenter.window.load(); }
