// Device lifecycle and frame control: binding, detection, opening the card at
// one of six resolutions, the screen scale, clears and flips, shutdown.
#pragma once

#include <cstdint>

#include "glide/glide_types.h"

namespace vrastex {

struct DeviceState {
    int glideBound;
    int hardwareQueryPending;
    FxI32 glideResolution;  // what the last fxInit chose; pause/resume reopens with it
    GrHwConfiguration hwConfig;
};

extern DeviceState device;

struct Resolution {
    FxI32 glideResolution;
    int width;
    int height;
};

// The host's screen-mode number 0..5 mapped to Glide; anything else is 640x480.
Resolution ResolutionForIndex(int index);

int DetectCard();
int OpenCard(int resolutionIndex, int pointSampled);
int CloseCard();
void ShutdownGlide();
void SetHostMemory(void* staging, void* pageBuffer, int resolutionIndex);
void SetDirectStride(int stride);
void FlipBuffers();
void ClearBackBuffer();

}  // namespace vrastex
