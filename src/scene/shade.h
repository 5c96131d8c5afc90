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

// The pull of coordinates outside the usual texel range, in float.
void PullTexCoordsWide(ClipVertex* vertices, int count);

// The same on any `n` vertices; the pull does not depend on their order.
// Inline, and unrolled where the packet fixes the count. `byteCoords`: u and
// v are known to be packet bytes, always the texel case below.
template <int count = 0, bool byteCoords = false>
inline void PullTexCoords(ClipVertex* vertices, int n = count) {
    if (n <= 0) return;
    // Sums of at most 16 32-bit values are exact in double, in any order.
    std::int64_t sumU = 0, sumV = 0;
    std::uint32_t spread = 0;  // below 2^17 when every u and v lies in -65535..65536
    ForEachVertex<count>(n, [&](int i) {
        const ClipVertex& vertex = vertices[i];
        sumU += vertex.u;
        sumV += vertex.v;
        spread |=
            (static_cast<std::uint32_t>(vertex.u) + 65535u) | (static_cast<std::uint32_t>(vertex.v) + 65535u);
    });
    if (!byteCoords && (n > kClipFinalCapacity || spread >= 0x20000u)) return PullTexCoordsWide(vertices, n);
    // The usual case, texel coordinates. The sum (at most 2^20) is exact in
    // float and the mean lies within 2^16 of 0, where float steps are at most
    // 1/256; a mean of up to 16 values that is not whole lies at least 1/16
    // from a whole number, so rounding it to float never reaches one, and
    // "u > mean" is "n * u > sum".
    ForEachVertex<count>(n, [&](int i) {
        ClipVertex& vertex = vertices[i];
        vertex.u += n * static_cast<std::int64_t>(vertex.u) > sumU ? -1 : 1;
        vertex.v += n * static_cast<std::int64_t>(vertex.v) > sumV ? -1 : 1;
    });
}

}  // namespace vrastex
