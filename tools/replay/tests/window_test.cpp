// The picture in the window, read back from the window system: the demo is
// played through the plug-in with the stand-in's window on, and after every
// Flip the window's client area must hold the golden frame exactly. Then the
// stand-in is driven directly: a frame drawn into a larger window lands at
// twice its size in the middle with black bars, at most two frames are ever
// pending, and closing our window leaves the host playing on.
//
// Window pixels come back as 8-bit RGB; the frame's RGB 565 widens by
// repeating its top bits: r8 = (r5 << 3) | (r5 >> 2), g8 = (g6 << 2) | (g6 >> 4),
// b8 = (b5 << 3) | (b5 >> 2), as the golden PNG files hold it.
//
// Usage: vrastex-window-test [--host] SCRIPT GOLDEN_DIR. Linux: under an X
// server (xvfb-run). Windows: --host plays the demo into a window this
// program makes and keeps active (Glide's window handle 0), otherwise into
// the stand-in's own window.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "glide_api.h"
#include "loader.h"
#include "pictures.h"
#include "runner.h"
#include "script.h"
#include "standin.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace {

int g_failures = 0;

void Fail(const std::string& what) {
    ++g_failures;
    std::cerr << "FAIL: " << what << "\n";
}

std::uint32_t Widen(std::uint16_t p) {
    const unsigned r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return ((r << 3) | (r >> 2)) << 16 | ((g << 2) | (g >> 4)) << 8 | ((b << 3) | (b >> 2));
}

// The window's client area as 0xRRGGBB, row-major; empty when it cannot be read.
#if defined(_WIN32)
std::vector<std::uint32_t> ReadWindow(std::uintptr_t id, int& width, int& height) {
    HWND window = reinterpret_cast<HWND>(id);
    RECT client;
    if (!GetClientRect(window, &client)) return {};
    width = client.right;
    height = client.bottom;
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height));
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size() * 4);
    for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return pixels;
}
#else
Display* g_display = nullptr;

std::vector<std::uint32_t> ReadWindow(std::uintptr_t id, int& width, int& height) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(g_display, id, &attributes)) return {};
    width = attributes.width;
    height = attributes.height;
    XImage* image = XGetImage(g_display, id, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) return {};
    auto channel = [](unsigned long pixel, unsigned long mask) {
        int shift = 0;
        while (mask && !(mask & 1)) mask >>= 1, ++shift;
        return std::uint32_t((pixel >> shift) & 0xFF);
    };
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels[std::size_t(y) * width + x] = channel(p, image->red_mask) << 16 |
                                                 channel(p, image->green_mask) << 8 | channel(p, image->blue_mask);
        }
    XDestroyImage(image);
    return pixels;
}
#endif

// Compares the window with `expected(x, y)` over its whole client area.
template <typename Expected>
void CheckWindow(const std::string& what, std::uintptr_t id, int wantWidth, int wantHeight, Expected expected) {
    int width = 0, height = 0;
    const std::vector<std::uint32_t> pixels = ReadWindow(id, width, height);
    if (pixels.empty()) return Fail(what + ": the window cannot be read");
    if (width != wantWidth || height != wantHeight) {
        return Fail(what + ": the window is " + std::to_string(width) + "x" + std::to_string(height) + ", not " +
                    std::to_string(wantWidth) + "x" + std::to_string(wantHeight));
    }
    int wrong = 0, firstX = 0, firstY = 0;
    std::uint32_t got = 0, want = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t e = expected(x, y), a = pixels[std::size_t(y) * width + x];
            if (a != e && wrong++ == 0) firstX = x, firstY = y, got = a, want = e;
        }
    if (wrong == 0) {
        std::cout << "ok:   " << what << " (" << width << "x" << height << ")\n";
        return;
    }
    char line[200];
    std::snprintf(line, sizeof line, ": %d pixels differ, first (%d, %d) is %06x, expected %06x", wrong, firstX,
                  firstY, unsigned(got), unsigned(want));
    Fail(what + line);
}

// The Glide calls phase two makes, looked up in the stand-in.
// Typed from the stand-in's own declarations: a call through a pointer of
// another type is undefined.
struct Glide {
    decltype(&grGlideInit) init;
    decltype(&grSstWinOpen) winOpen;
    decltype(&grSstWinClose) winClose;
    decltype(&grBufferSwap) swap;
    decltype(&grBufferNumPending) pending;
    decltype(&grLfbWriteRegion) lfbWrite;
    decltype(&standinPresentedWindow) presented;
    decltype(&standinSetWindowMode) setWindowMode;
};

template <typename F>
bool Bind(void* library, F& slot, const char* name, int bytes) {
#if defined(_WIN32)
    const std::string symbol = bytes < 0 ? name : "_" + std::string(name) + "@" + std::to_string(bytes);
#else
    (void)bytes;
    const std::string symbol = name;
#endif
    slot = reinterpret_cast<F>(replay::FindSymbol(library, symbol.c_str()));
    if (slot == nullptr) Fail(std::string("the stand-in lacks ") + symbol);
    return slot != nullptr;
}

// A window of the host's own: Glide gets its handle.
std::uintptr_t MakeHostWindow(int width, int height) {
#if defined(_WIN32)
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "WindowTestHost";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowA("WindowTestHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    return reinterpret_cast<std::uintptr_t>(window);
#else
    Window window = XCreateSimpleWindow(g_display, DefaultRootWindow(g_display), 0, 0, width, height, 0, 0,
                                        WhitePixel(g_display, DefaultScreen(g_display)));
    XMapWindow(g_display, window);
    XSync(g_display, False);
    return window;
#endif
}

// Still there and shown after Glide has let go of it.
bool HostWindowIntact(std::uintptr_t id) {
#if defined(_WIN32)
    HWND window = reinterpret_cast<HWND>(id);
    return IsWindow(window) && IsWindowVisible(window);
#else
    auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes attributes;
    const bool intact = XGetWindowAttributes(g_display, id, &attributes) && attributes.map_state == IsViewable;
    XSync(g_display, False);
    XSetErrorHandler(previous);
    return intact;
#endif
}

void CloseAsTheUserWould(std::uintptr_t id) {
#if defined(_WIN32)
    PostMessageA(reinterpret_cast<HWND>(id), WM_CLOSE, 0, 0);
#else
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = XInternAtom(g_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(g_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(g_display, id, False, NoEventMask, &event);
    XSync(g_display, False);
#endif
}

// A 640 x 480 test card into a host window 2 x 640 + 20 by 2 x 480 + 12:
// twice the size, 10 pixels of black left and right, 6 above and below, at
// the gamma of a freshly opened Voodoo Graphics (1.7): each 8-bit channel
// shows as round(255 * (c / 255) ^ (1 / 1.7)).
// Then our own window: pending frames never above two; closed by the user,
// the swaps go on without it and the next open has a window again.
void DirectChecks(void* library) {
    Glide g{};
    if (!Bind(library, g.init, "grGlideInit", 0) || !Bind(library, g.winOpen, "grSstWinOpen", 28) ||
        !Bind(library, g.winClose, "grSstWinClose", 0) || !Bind(library, g.swap, "grBufferSwap", 4) ||
        !Bind(library, g.pending, "grBufferNumPending", 0) || !Bind(library, g.lfbWrite, "grLfbWriteRegion", 32) ||
        !Bind(library, g.presented, "standinPresentedWindow", -1) ||
        !Bind(library, g.setWindowMode, "standinSetWindowMode", -1))
        return;
    constexpr int kWidth = 640, kHeight = 480, kResolution640x480 = 7;
    std::vector<std::uint16_t> card(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            card[std::size_t(y) * kWidth + x] = std::uint16_t((x * 31 / kWidth) << 11 | ((x ^ y) & 63) << 5 | (y * 31 / kHeight));
    auto showCard = [&] {
        g.lfbWrite(1 /* back buffer */, 0, 0, 0 /* 565 */, kWidth, kHeight, kWidth * 2, card.data());
        g.swap(0);
    };
    g.init();

    g.setWindowMode(2);  // the host's window
    const std::uintptr_t host = MakeHostWindow(2 * kWidth + 20, 2 * kHeight + 12);
    if (!g.winOpen(static_cast<std::uint32_t>(host), kResolution640x480, 0, 0, 0, 2, 1)) return Fail("grSstWinOpen (host window)");
    showCard();
    const std::uintptr_t shown = g.presented(5000);
    if (shown != host) Fail("the frame did not go to the host's window");
    CheckWindow("a frame in a larger host window, scaled 2x and letterboxed", host, 2 * kWidth + 20, 2 * kHeight + 12,
                [&](int x, int y) -> std::uint32_t {
                    x -= 10, y -= 6;
                    if (x < 0 || y < 0 || x >= 2 * kWidth || y >= 2 * kHeight) return 0;
                    const std::uint32_t c = Widen(card[std::size_t(y / 2) * kWidth + x / 2]);
                    std::uint32_t shown = 0;
                    for (int shift = 0; shift < 24; shift += 8) {
                        const double v = ((c >> shift) & 0xFF) / 255.0;
                        shown |= std::uint32_t(255.0 * std::pow(v, 1.0 / 1.7) + 0.5) << shift;
                    }
                    return shown;
                });
    g.winClose();
    if (!HostWindowIntact(host)) Fail("grSstWinClose did not leave the host's window as it was");

    g.setWindowMode(1);  // our own
    if (!g.winOpen(0, kResolution640x480, 0, 0, 0, 2, 1)) return Fail("grSstWinOpen (own window)");
    int most = 0;
    for (int i = 0; i < 30; ++i) {
        showCard();
        const int pending = g.pending();
        most = pending > most ? pending : most;
    }
    if (most > 2) Fail("grBufferNumPending returned " + std::to_string(most) + ", more than two");
    const std::uintptr_t own = g.presented(5000);
    if (own == 0) return Fail("no window of our own");
    CloseAsTheUserWould(own);
    bool gone = false;
    for (int i = 0; i < 500 && !gone; ++i) {
        gone = g.presented(0) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!gone) return Fail("the closed window still takes frames");
    for (int i = 0; i < 10; ++i) showCard();
    if (g.pending() != 0) Fail("frames pending with the window closed");
    g.winClose();
    if (!g.winOpen(0, kResolution640x480, 0, 0, 0, 2, 1)) return Fail("grSstWinOpen after the window was closed");
    showCard();
    if (g.presented(5000) == 0) Fail("no window on the next grSstWinOpen");
    g.winClose();
    if (g_failures == 0) std::cout << "ok:   pending frames at most " << most << "; the closed window let the host play on\n";
}

int Main(int argc, char** argv) {
    bool host = false;
    std::string scriptPath, goldenDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--host") host = true;
        else if (scriptPath.empty()) scriptPath = arg;
        else goldenDir = arg;
    }
    if (goldenDir.empty()) {
        std::cerr << "usage: vrastex-window-test [--host] SCRIPT GOLDEN_DIR\n";
        return 2;
    }
#if !defined(_WIN32)
    g_display = XOpenDisplay(nullptr);
    if (g_display == nullptr) {
        std::cerr << "vrastex-window-test: no X display (run under xvfb-run)\n";
        return 2;
    }
#endif
    std::uintptr_t hostWindow = 0;
    if (host) {
#if defined(_WIN32)
        replay::SetEnvironment("VRASTEX_GLIDE_WINDOW", "host");
        hostWindow = MakeHostWindow(640, 480);
#else
        std::cerr << "vrastex-window-test: --host: Glide's handle 0 is our own window on Linux\n";
        return 2;
#endif
    } else {
        replay::SetEnvironment("VRASTEX_GLIDE_WINDOW", "own");
    }

    std::ifstream file(scriptPath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::vector<replay::ScriptError> errors;
    replay::Script script =
        replay::ParseScript(text.str(), scriptPath, std::filesystem::path(scriptPath).parent_path(), errors);
    if (!file || !errors.empty()) {
        std::cerr << "vrastex-window-test: cannot use the script " << scriptPath << "\n";
        return 2;
    }
    replay::PluginApi plugin;
    replay::GlideApi glide;
    std::string error;
    const std::filesystem::path pluginPath = replay::ExecutableDirectory() / replay::PluginFileName();
    if (!replay::BindPlugin(pluginPath, "", "", plugin, glide, error) || !glide.standinFound) {
        std::cerr << "vrastex-window-test: " << (error.empty() ? "the Glide library is not the stand-in" : error) << "\n";
        return 2;
    }
    void* library = replay::OpenLibrary(glide.library, error);
    Glide g{};
    if (library == nullptr || !Bind(library, g.presented, "standinPresentedWindow", -1)) return 1;

    const std::filesystem::path out = std::filesystem::temp_directory_path() / "vrastex-window-test";
    std::filesystem::create_directories(out);
    replay::RunOptions options;
    options.afterFlip = [&](int frame, std::string&) {
        const std::uintptr_t id = g.presented(5000);

        const std::string name = replay::FrameFileName(frame);
        replay::PngImage golden;
        std::string why;
        if (!replay::ReadPng((std::filesystem::path(goldenDir) / name).string(), golden, why)) {
            Fail(name + ": " + why);
            return true;
        }
        if (id == 0) {
            Fail(name + ": no window shows it");
            return true;
        }
        if (host && id != hostWindow) Fail(name + ": not shown in the host's window");
        CheckWindow(name + " in the window", id, golden.width, golden.height, [&](int x, int y) {
            const std::uint8_t* p = &golden.pixels[(std::size_t(y) * golden.width + x) * 3];
            return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
        });
        return true;
    };
    replay::RunTotals totals;
    if (!replay::RunScript(script, plugin, glide, out, totals, std::cout, std::cerr, error, options)) {
        Fail(error);
    } else if (totals.frames == 0) {
        Fail("the script showed no frame");
    }
    DirectChecks(library);
    std::cout << (g_failures == 0 ? "vrastex-window-test: all checks passed\n" : "vrastex-window-test: failed\n");
    return g_failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return Main(argc, argv); }
