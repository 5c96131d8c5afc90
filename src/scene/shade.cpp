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

void PullTexCoords(ClipVertex* vertices, int n) {
    if (n <= 0) return;
    const TexelSums sums = TexelSumsOf(vertices, n);
    if (!sums.usual) return PullTexCoordsWide(vertices, n);
    for (int i = 0; i < n; ++i) {
        ClipVertex& vertex = vertices[i];
        vertex.u = PullUsual(vertex.u, n, sums.u);
        vertex.v = PullUsual(vertex.v, n, sums.v);
    }
}

}  // namespace vrastex
