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
    // Clamped above only: a cut against the bounds of a drawing area of
    // negative width or height extrapolates colours below 0, and they reach
    // Glide as they are (the card clamps iterated colours).
    if (value > 255.0f) value = 255.0f;
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

// The pull of texel coordinates: each u and v moves one texel toward the mean
// of its polygon's, drawing the texture area in by a texel at the edges. A
// coordinate above the mean steps down, any other (equal included) up.
//
// The usual case is at most 16 vertices with every u and v in -65535..65536,
// which every packet and every cut between packet vertices gives. There the
// sums (at most 2^21) are exact, and the mean, taken in float, lies within
// 2^16 of 0 where float steps are at most 1/256; a mean of up to 16 values
// that is not whole lies at least 1/16 from a whole number, so rounding never
// reaches one, and "u > mean" is "n * u > sum" in integers.
struct TexelSums {
    std::int32_t u, v;
    bool usual;
};

inline TexelSums TexelSumsOf(const ClipVertex* vertices, int n) {
    std::uint32_t sumU = 0, sumV = 0;  // wraps only outside the usual case
    std::uint32_t spread = 0;          // below 2^17 when every u and v is in range
    for (int i = 0; i < n; ++i) {
        const auto u = static_cast<std::uint32_t>(vertices[i].u), v = static_cast<std::uint32_t>(vertices[i].v);
        sumU += u;
        sumV += v;
        spread |= (u + 65535u) | (v + 65535u);
    }
    return {static_cast<std::int32_t>(sumU), static_cast<std::int32_t>(sumV),
            n > 0 && n <= kClipFinalCapacity && spread < 0x20000u};
}

// One coordinate of the usual case pulled toward sum / n.
inline std::int32_t PullUsual(std::int32_t coordinate, int n, std::int32_t sum) {
    return coordinate + (n * coordinate > sum ? -1 : 1);
}

// Moves u and v of `n` vertices one texel toward their mean; the pull does
// not depend on their order.
void PullTexCoords(ClipVertex* vertices, int n);

}  // namespace vrastex
