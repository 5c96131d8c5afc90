// Cutting polygons to the clip rectangle, in host coordinates, first against
// top and bottom, then against left and right.
#pragma once

#include <cstdint>

#include "scene/draw_state.h"

namespace vrastex {

struct ClipVertex {
    std::int32_t x, y, spare, u, v, r, g, b;
};

struct ClipList {
    ClipVertex* vertices;
    std::int16_t count;
};

// The three working lists every clipping export uses: input (at most 4
// vertices), intermediate (8) and final (16).
constexpr int kClipFinalCapacity = 16;
extern ClipList clipInput;
extern ClipList clipIntermediate;
extern ClipList clipFinal;

void ClipPolygonY(const ClipList& in, ClipList& out);
void ClipPolygonX(const ClipList& in, ClipList& out);
void ClipEdgeY(const ClipVertex& a, const ClipVertex& b, ClipVertex& out, std::int16_t bound);
void ClipEdgeX(const ClipVertex& a, const ClipVertex& b, ClipVertex& out, std::int16_t bound);

// Both stages, input list to final list; returns the final count.
int ClipInputList();

// What a record is written from after clipping: `count` vertices from
// `vertices[first]` on, running round to the start of the array.
struct ClippedPolygon {
    ClipVertex* vertices;
    int count;
    int first;
};

// The input list clipped by both stages, as ClipInputList gives it in the
// final list, but read from wherever it lies after the stages that cut.
ClippedPolygon ClipInput();

// ClipInput for a caller that has already tested every input vertex against
// top..bottom (`withinY`) and left..right (`withinX`), bounds included.
ClippedPolygon ClipInputTested(bool withinY, bool withinX);

// The clip rectangle as a test of points. Inside means left <= x <= right and
// top <= y <= bottom. With the bounds in order, each test is one unsigned
// comparison of differences taken modulo 2^32: x - left is then at most
// right - left exactly when x is inside, as every difference of two 32-bit
// values lies within 2^32 of 0. With the bounds out of order nothing is inside.
struct InsideTest {
    std::int32_t left, top;
    std::uint32_t width, height;
    bool orderedX, orderedY;
};

inline std::uint32_t UnsignedOffset(std::int32_t value, std::int32_t from) {
    return static_cast<std::uint32_t>(value) - static_cast<std::uint32_t>(from);
}

inline InsideTest InsideTestOf(const DrawState& state) {
    return {state.clipLeft, state.clipTop, UnsignedOffset(state.clipRight, state.clipLeft),
            UnsignedOffset(state.clipBottom, state.clipTop), state.clipRight >= state.clipLeft,
            state.clipBottom >= state.clipTop};
}

// Without the bounds' order, which the caller tests once for all points.
inline bool HoldsX(const InsideTest& test, std::int32_t x) { return UnsignedOffset(x, test.left) <= test.width; }
inline bool HoldsY(const InsideTest& test, std::int32_t y) { return UnsignedOffset(y, test.top) <= test.height; }

// Whether every vertex of a list lies within left..right (`x`) and within
// top..bottom (`y`): where a clip stage would only rotate the list by one
// place. An empty list lies within both.
struct WithinBounds {
    bool x, y;
};

inline WithinBounds WithinBoundsOf(const ClipVertex* vertices, int n) {
    const InsideTest test = InsideTestOf(drawState);
    WithinBounds within = {test.orderedX, test.orderedY};
    // Every point compared, no branch between them.
    for (int i = 0; i < n; ++i) {
        within.x &= HoldsX(test, vertices[i].x);
        within.y &= HoldsY(test, vertices[i].y);
    }
    return within;
}

}  // namespace vrastex
