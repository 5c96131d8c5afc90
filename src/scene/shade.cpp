#include "scene/shade.h"

#include "scene/clip.h"

namespace vrastex {

namespace {

// A coordinate above the mean steps down, any other (equal included) up.
// The step of 1.0 in double, truncated, is the integer step except where it
// saturates at the ends of the 32-bit range. The test "mean - u < 0" has the
// sign of the exact difference, so it is "u > mean".
std::int32_t PullToward(float mean, std::int32_t coordinate) {
    if (static_cast<float>(coordinate) > mean) return coordinate == INT32_MIN ? coordinate : coordinate - 1;
    return coordinate == INT32_MAX ? coordinate : coordinate + 1;
}

// The pull of coordinates outside the usual texel range, in float.
void PullTexCoordsWide(ClipVertex* vertices, int count) {
    std::int64_t sumU = 0, sumV = 0;
    for (int i = 0; i < count; ++i) sumU += vertices[i].u, sumV += vertices[i].v;
    const float meanU = static_cast<float>(static_cast<double>(static_cast<float>(sumU)) / count);
    const float meanV = static_cast<float>(static_cast<double>(static_cast<float>(sumV)) / count);
    for (int i = 0; i < count; ++i) {
        ClipVertex& vertex = vertices[i];
        vertex.u = PullToward(meanU, vertex.u);
        vertex.v = PullToward(meanV, vertex.v);
    }
}

}  // namespace

void PullTexCoords(int count) { PullTexCoords(clipFinal.vertices, count); }

void PullTexCoords(ClipVertex* vertices, int n) {
    if (n <= 0) return;
    // Sums of at most 16 32-bit values are exact in double, in any order.
    std::int64_t sumU = 0, sumV = 0;
    std::uint32_t spread = 0;  // below 2^17 when every u and v lies in -65535..65536
    for (int i = 0; i < n; ++i) {
        sumU += vertices[i].u;
        sumV += vertices[i].v;
        spread |= (static_cast<std::uint32_t>(vertices[i].u) + 65535u) |
                  (static_cast<std::uint32_t>(vertices[i].v) + 65535u);
    }
    if (n > kClipFinalCapacity || spread >= 0x20000u) return PullTexCoordsWide(vertices, n);
    // The usual case, texel coordinates. The sum (at most 2^20) is exact in
    // float and the mean lies within 2^16 of 0, where float steps are at most
    // 1/256; a mean of up to 16 values that is not whole lies at least 1/16
    // from a whole number, so rounding it to float never reaches one, and
    // "u > mean" is "n * u > sum".
    for (int i = 0; i < n; ++i) {
        ClipVertex& vertex = vertices[i];
        vertex.u += n * static_cast<std::int64_t>(vertex.u) > sumU ? -1 : 1;
        vertex.v += n * static_cast<std::int64_t>(vertex.v) > sumV ? -1 : 1;
    }
}

}  // namespace vrastex
