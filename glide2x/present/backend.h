// One window system's presenter: a thread that owns the window and its
// message loop and shows what the queue holds. present_sdl.cpp (SDL2),
// present_win32.cpp (GDI) or present_headless.cpp (none) implements it.
#pragma once

#include <cstdint>

#include "present/frame_queue.h"

struct BackendRequest {
    int mode;  // PRESENT_OWN, PRESENT_HOST or PRESENT_AUTO
    std::uintptr_t window;
    int width;
    int height;
};

// Starts the presenter thread and waits until its window is up. False, with
// the reason in `why`, when no window can be had.
bool BackendStart(const BackendRequest& request, char* why, int whySize);
// Closes our window (a host window stays), ends the thread.
void BackendStop();
// The window frames go to, or 0 (none, or the user closed it).
std::uintptr_t BackendWindow();

// What the presenter thread reads.
FrameQueue& PresenterQueue();
float PresenterGamma();
