// Colour and texture-coordinate preparation of clipped vertices.
#pragma once

#include <cstdint>

#include "scene/arithmetic.h"
#include "scene/clip.h"
#include "scene/draw_state.h"

namespace vrastex {

// Every vertex of every record goes through this, so it is inline and takes
// the common case, a channel of 0..255 (packet bytes and what the clipper
// interpolates between them), in integers: there twice the value is exact in
// float and the result is the same. Anything else goes the float way.
inline std::int32_t ShadeChannel(std::int32_t channel, int fullBright) {
    if (fullBright) return 255;
    if (static_cast<std::uint32_t>(channel) <= 255u) return 2 * channel < 255 ? 2 * channel : 255;
    float value = static_cast<float>(channel) * 2.0f;
    if (value > 255.0f) value = 255.0f;
    // A cut at a bound beyond 16 bits (a hostile drawing area) extrapolates
    // colours below 0; Glide takes 0..255.
    if (value < 0.0f) value = 0.0f;
    return TruncateToInt(value);
}

// Doubles each channel and clamps it at 255 (a host colour byte of 128 is
// full intensity), or makes the vertex white while the full-bright flag is set.
inline void ShadeVertex(std::int32_t& r, std::int32_t& g, std::int32_t& b) {
    const int fullBright = drawState.fullBright;
    r = ShadeChannel(r, fullBright);
    g = ShadeChannel(g, fullBright);
    b = ShadeChannel(b, fullBright);
}

// Moves u and v of the first `count` final vertices one texel toward their
// mean, drawing the texture area in by a texel at the polygon's edges.
void PullTexCoords(int count);

// The same on any `n` vertices; the pull does not depend on their order.
void PullTexCoords(ClipVertex* vertices, int n);

}  // namespace vrastex
