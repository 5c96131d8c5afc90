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

// Inside means left <= x <= right and top <= y <= bottom. With the bounds in
// order, each test is one unsigned comparison of differences taken modulo
// 2^32: x - left is then at most right - left exactly when x is inside, as
// every difference of two 32-bit values lies within 2^32 of 0.
inline bool Inside(const ClipVertex* vertices, int n) {
    const std::int32_t left = drawState.clipLeft, top = drawState.clipTop;
    const std::int32_t right = drawState.clipRight, bottom = drawState.clipBottom;
    if (right < left || bottom < top) return false;
    const auto Offset = [](std::int32_t value, std::int32_t from) {
        return static_cast<std::uint32_t>(value) - static_cast<std::uint32_t>(from);
    };
    const std::uint32_t width = Offset(right, left), height = Offset(bottom, top);
    bool inside = true;
    for (int i = 0; i < n; ++i) {
        const ClipVertex& v = vertices[i];
        const bool inX = Offset(v.x, left) <= width, inY = Offset(v.y, top) <= height;
        inside &= inX & inY;
    }
    return inside;
}

// The input list clipped: the final list, or for a polygon wholly inside the
// rectangle (bounds included) the input list in the order the stages would
// have given it. Most polygons lie wholly inside: each stage then appends
// every vertex after its predecessor, rotating the list by one place, so the
// result is the input list itself read from two places on: no walk, and no
// vertex copied.
inline ClippedPolygon ClipInputPolygon() {
    const int count = clipInput.count;
    if (count > 0 && Inside(clipInput.vertices, count))
        return {clipInput.vertices, count, count >= 2 ? count - 2 : 0};
    return ClipInput();
}

}  // namespace vrastex
