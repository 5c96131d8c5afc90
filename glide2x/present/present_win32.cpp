// The presenter on Windows: GDI draws each frame into the client area of our
// own window or of the host's, from a thread that owns our window and pumps
// its messages, so a host that never pumps its own does not freeze it.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "present/backend.h"
#include "present/picture.h"
#include "present/present.h"

namespace {

constexpr const char* kWindowClass = "Glide2xStandinWindow";

struct Presenter {
    HANDLE thread = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<std::uintptr_t> window{0};
    BackendRequest request{};
    HWND host = nullptr;  // the host's window, or null for our own
    StartSignal start;
};

Presenter g_presenter;

// Everything below runs on the presenter thread.
class Screen {
public:
    HWND window = nullptr;
    bool own = true;
    bool closedByUser = false;

    void Paint() {
        if (last_.empty() || window == nullptr) return;
        const float gamma = PresenterGamma();
        if (gamma != gamma_) {
            gamma_ = gamma;
            BuildGammaTable(gamma, table_);
            identity_ = GammaIsIdentity(table_);
        }
        RECT client;
        if (!GetClientRect(window, &client)) return;
        const PictureFit fit = FitPicture(width_, height_, client.right, client.bottom);
        HDC dc = GetDC(window);
        if (dc == nullptr) return;
        // The bars around the picture.
        HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        const RECT bars[4] = {{0, 0, client.right, fit.y},
                              {0, fit.y + fit.height, client.right, client.bottom},
                              {0, fit.y, fit.x, fit.y + fit.height},
                              {fit.x + fit.width, fit.y, client.right, fit.y + fit.height}};
        for (const RECT& bar : bars)
            if (bar.right > bar.left && bar.bottom > bar.top) FillRect(dc, &bar, black);
        // The frame as a top-down DIB: RGB 565 as it is, or 32-bit after a
        // gamma table that is not the identity.
        struct {
            BITMAPINFOHEADER header;
            DWORD masks[3];
        } info = {};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = width_;
        info.header.biHeight = -height_;
        info.header.biPlanes = 1;
        const void* bits = last_.data();
        if (identity_) {
            info.header.biBitCount = 16;
            info.header.biCompression = BI_BITFIELDS;
            info.masks[0] = 0xF800;
            info.masks[1] = 0x07E0;
            info.masks[2] = 0x001F;
        } else {
            info.header.biBitCount = 32;
            info.header.biCompression = BI_RGB;
            rgb_.resize(last_.size());
            ComposePicture(last_.data(), width_, height_, table_, FitPicture(width_, height_, width_, height_),
                           rgb_.data(), width_, height_, width_);
            bits = rgb_.data();
        }
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, fit.x, fit.y, fit.width, fit.height, 0, 0, width_, height_, bits,
                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
        GdiFlush();
        ReleaseDC(window, dc);
    }

    void Keep(const FrameQueue::Frame& frame) {
        last_.assign(frame.pixels, frame.pixels + std::size_t(frame.width) * std::size_t(frame.height));
        width_ = frame.width;
        height_ = frame.height;
    }

    bool GammaChanged() const { return PresenterGamma() != gamma_; }

    void ToggleFullScreen() {
        if (!fullScreen_) {
            placement_.length = sizeof placement_;
            GetWindowPlacement(window, &placement_);
            MONITORINFO monitor = {};
            monitor.cbSize = sizeof monitor;
            GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
            SetWindowLongA(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
            const RECT& r = monitor.rcMonitor;
            SetWindowPos(window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
        } else {
            SetWindowLongA(window, GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
            SetWindowPlacement(window, &placement_);
            SetWindowPos(window, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        }
        fullScreen_ = !fullScreen_;
    }

private:
    std::vector<std::uint16_t> last_;
    std::vector<std::uint32_t> rgb_;
    int width_ = 0, height_ = 0;
    float gamma_ = -1.0f;
    std::uint8_t table_[256] = {};
    bool identity_ = true;
    bool fullScreen_ = false;
    WINDOWPLACEMENT placement_ = {};
};

Screen* g_screen = nullptr;  // the presenter thread's, for the window procedure

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Screen* screen = g_screen;
    switch (message) {
    case WM_CLOSE:
        // The user closed the picture: the host plays on without it.
        if (screen) screen->closedByUser = true;
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        if (screen) screen->Paint();
        return 0;
    }
    case WM_SYSKEYDOWN:
        if (wParam == VK_RETURN && (lParam & (1 << 29)) && screen) {
            if (!(lParam & (1 << 30))) screen->ToggleFullScreen();
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_F11 && screen && !(lParam & (1 << 30))) {
            screen->ToggleFullScreen();
            return 0;
        }
        break;
    case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE);
        break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND OpenOwnWindow(int width, int height) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);  // fails harmlessly when already registered
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    char title[64];
    std::snprintf(title, sizeof title, "glide2x %dx%d", width, height);
    HWND window = CreateWindowExA(0, kWindowClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                  nullptr);
    if (window != nullptr) ShowWindow(window, SW_SHOW);
    return window;
}

DWORD WINAPI PresenterThread(void*) {
    Screen screen;
    screen.own = g_presenter.host == nullptr;
    screen.window = screen.own ? OpenOwnWindow(g_presenter.request.width, g_presenter.request.height) : g_presenter.host;
    if (screen.window == nullptr) {
        char why[64];
        std::snprintf(why, sizeof why, "CreateWindow failed with error %lu", GetLastError());
        g_presenter.start.Say(false, why);
        return 0;
    }
    g_screen = &screen;
    g_presenter.window.store(reinterpret_cast<std::uintptr_t>(screen.window));
    FrameQueue& queue = PresenterQueue();
    queue.SetConsumer(true);
    g_presenter.start.Say(true, nullptr);
    ULONGLONG lastShown = GetTickCount64();
    while (!g_presenter.stop.load()) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const bool gone = screen.own ? screen.closedByUser : !IsWindow(screen.window);
        if (gone) {
            queue.SetConsumer(false);
            g_presenter.window.store(0);
            if (screen.own) DestroyWindow(screen.window);
            screen.window = nullptr;
            while (!g_presenter.stop.load()) {
                while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
                Sleep(20);
            }
            break;
        }
        FrameQueue::Frame frame;
        if (queue.Peek(frame, 8)) {
            if (frame.interval > 0) {
                // Shown after `interval` refreshes of a 60 Hz display.
                const ULONGLONG due = lastShown + ULONGLONG(frame.interval) * 1000 / 60;
                const ULONGLONG now = GetTickCount64();
                if (due > now) Sleep(static_cast<DWORD>(due - now));
            }
            screen.Keep(frame);
            screen.Paint();
            lastShown = GetTickCount64();
            queue.Done();
        } else if (screen.GammaChanged()) {
            screen.Paint();
        }
    }
    g_screen = nullptr;
    if (screen.window != nullptr && screen.own) DestroyWindow(screen.window);
    g_presenter.window.store(0);
    return 0;
}

}  // namespace

bool BackendStart(const BackendRequest& request, char* why, int whySize) {
    Presenter& p = g_presenter;
    p.request = request;
    // Glide's handles are 32 bits; a window handle is a sign-extended 32-bit value.
    HWND host = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(request.window)));
    if (request.mode == PRESENT_OWN) {
        host = nullptr;
    } else if (host == nullptr) {
        // Handle 0: the application's window, where the host keeps the
        // keyboard and mouse; without one, our own.
        host = GetActiveWindow();
        if (host == nullptr) {
            HWND foreground = GetForegroundWindow();
            DWORD process = 0;
            if (foreground != nullptr) GetWindowThreadProcessId(foreground, &process);
            if (process == GetCurrentProcessId()) host = foreground;
        }
    }
    if (host != nullptr && !IsWindow(host)) {
        std::snprintf(why, static_cast<std::size_t>(whySize), "window handle %#lx is no window",
                      static_cast<unsigned long>(request.window));
        return false;
    }
    p.host = host;
    p.stop.store(false);
    p.start.Reset();
    p.thread = CreateThread(nullptr, 0, PresenterThread, nullptr, 0, nullptr);
    if (p.thread == nullptr) {
        std::snprintf(why, static_cast<std::size_t>(whySize), "CreateThread failed with error %lu", GetLastError());
        return false;
    }
    if (p.start.Wait("", why, whySize)) return true;
    WaitForSingleObject(p.thread, INFINITE);
    CloseHandle(p.thread);
    p.thread = nullptr;
    return false;
}

void BackendStop() {
    Presenter& p = g_presenter;
    if (p.thread == nullptr) return;
    p.stop.store(true);
    PresenterQueue().Wake();
    WaitForSingleObject(p.thread, INFINITE);
    CloseHandle(p.thread);
    p.thread = nullptr;
}

std::uintptr_t BackendWindow() { return g_presenter.window.load(); }
