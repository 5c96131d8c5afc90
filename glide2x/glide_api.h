// Declarations of the Glide entry points with real behaviour (the 38 the
// plug-in calls, and grDitherMode), for tests and tools that link the
// stand-in directly instead of loading it at run time.
#pragma once

#include "glide/glide_binding.h"

extern "C" {
#define STANDIN_DECLARE_GLIDE(Ret, name, ...) Ret GLIDECALL name(__VA_ARGS__);
GLIDE_CALLED_ENTRY_POINTS(STANDIN_DECLARE_GLIDE)
#undef STANDIN_DECLARE_GLIDE
// Not called by the plug-in; GR_DITHER_DISABLE 0, 2x2 1, 4x4 2 (the default).
int GLIDECALL grDitherMode(int mode);  // bound-only: takes an int slot, returns 0
}
