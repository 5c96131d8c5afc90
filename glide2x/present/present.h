// Shows the frames Glide swaps in a window, live. The entry points call
// these; the presenter knows nothing of them.
#pragma once

#include <cstdint>

// Where frames go. Auto: the host's window when there is one, else our own.
enum PresentMode { PRESENT_NONE = 0, PRESENT_OWN = 1, PRESENT_HOST = 2, PRESENT_AUTO = 3 };

// The mode set by a control function (-1: none set) wins over
// VRASTEX_GLIDE_WINDOW (none | own | host | auto), which wins over Auto.
void PresentSetMode(int mode);

// A screen of width x height opens: a window for it (the host's `window`,
// when non-zero, is the one to draw into). When no window can be had the
// frames stay in the buffers alone, and the reason is said once.
void PresentOpen(std::uintptr_t window, int width, int height, float gamma);
// Our window closes; a host window is left as it was.
void PresentClose();
// Hands a finished frame (RGB 565, rows packed) to the presenter; waits
// while two frames are pending.
void PresentFrame(const std::uint16_t* pixels, int width, int height, int interval);
// Frames handed over and not yet shown (0 without a window).
int PresentPending();
void PresentGamma(float gamma);
// Waits until every frame handed over has been shown; the native window
// (X11 window id, HWND) frames go to, or 0 when none.
std::uintptr_t PresentWaitShown(int milliseconds);
