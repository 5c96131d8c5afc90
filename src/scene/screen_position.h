// Host coordinates to screen positions: times the screen scale, plus the snap
// offset that makes the card see positions at 1/16 pixel. Computed in double
// and rounded once to float.
#pragma once

#include <cstdint>

#include "device/device.h"

namespace vrastex {

constexpr double kSnapOffset = 786432.0;

inline float ScreenX(std::int32_t x) {
    return static_cast<float>(static_cast<double>(x) * device.screenScaleX + kSnapOffset);
}

inline float ScreenY(std::int32_t y) {
    return static_cast<float>(static_cast<double>(y) * device.screenScaleY + kSnapOffset);
}

}  // namespace vrastex
