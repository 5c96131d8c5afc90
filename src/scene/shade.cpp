#include "scene/shade.h"

#include "scene/clip.h"

namespace vrastex {

namespace {

// The value rounded to a float on every FPU. An x87 build keeps a float cast
// at register precision (GCC's C++ front end before version 13 rounds only
// on a store), which near 2^30 moves the mean and the compared coordinate by
// tens; a store through memory rounds.
float RoundedToFloat(double value) {
    const volatile float stored = static_cast<float>(value);
    return stored;
}

// A coordinate above the mean steps down, any other (equal included) up.
// The step of 1.0 in double, truncated, is the integer step except where it
// saturates at the ends of the 32-bit range. The float test "mean - u < 0"
// has the sign of the exact difference of the two floats, so it is
// "u as a float > mean".
std::int32_t PullToward(float mean, std::int32_t coordinate) {
    if (RoundedToFloat(coordinate) > mean) return coordinate == INT32_MIN ? coordinate : coordinate - 1;
    return coordinate == INT32_MAX ? coordinate : coordinate + 1;
}

// The pull of coordinates outside the usual texel range, in float: the sums
// (exact in 64 bits and in double) rounded to floats, divided by the count
// and rounded again.
void PullTexCoordsWide(ClipVertex* vertices, int count) {
    std::int64_t sumU = 0, sumV = 0;
    for (int i = 0; i < count; ++i) sumU += vertices[i].u, sumV += vertices[i].v;
    const float meanU = RoundedToFloat(static_cast<double>(RoundedToFloat(static_cast<double>(sumU))) / count);
    const float meanV = RoundedToFloat(static_cast<double>(RoundedToFloat(static_cast<double>(sumV))) / count);
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
