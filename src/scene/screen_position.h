// Host coordinates to screen positions: times the screen scale, plus the snap
// offset that makes the card see positions at 1/16 pixel. Computed in double
// and rounded once to float.
#pragma once

#include <cstdint>


namespace vrastex {

constexpr double kSnapOffset = 786432.0;

// Host units to screen pixels, from the screen resolution the host chose.
struct ScreenScale {
    double x;
    double y;
};

extern ScreenScale screenScale;

inline float ScreenX(std::int32_t x) {
    return static_cast<float>(static_cast<double>(x) * screenScale.x + kSnapOffset);
}

inline float ScreenY(std::int32_t y) {
    return static_cast<float>(static_cast<double>(y) * screenScale.y + kSnapOffset);
}

}  // namespace vrastex
