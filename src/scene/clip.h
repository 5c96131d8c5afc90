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

// Inside means left <= x <= right and top <= y <= bottom; with the bounds in
// order, each test is one unsigned comparison of 64-bit differences.
inline bool InputInside() {
    const std::int64_t left = drawState.clipLeft, top = drawState.clipTop;
    const std::int64_t right = drawState.clipRight, bottom = drawState.clipBottom;
    if (right < left || bottom < top) return false;
    const auto width = static_cast<std::uint64_t>(right - left);
    const auto height = static_cast<std::uint64_t>(bottom - top);
    bool inside = true;
    for (int i = 0; i < clipInput.count; ++i) {
        const ClipVertex& v = clipInput.vertices[i];
        inside &= (static_cast<std::uint64_t>(v.x - left) <= width) & (static_cast<std::uint64_t>(v.y - top) <= height);
    }
    return inside;
}

// The input list clipped: the final list, or for a polygon wholly inside the
// rectangle (bounds included) the input list in the order the stages would
// have given it. Most polygons lie wholly inside: each stage then appends
// every vertex after its predecessor, rotating the list by one place, so the
// result is the input list itself read from two places on: no walk, and no
// vertex copied. Inline, so that the packet's vertex count is a constant.
inline ClippedPolygon ClipInputPolygon() {
    const int count = clipInput.count;
    if (count > 0 && InputInside()) return {clipInput.vertices, count, count >= 2 ? count - 2 : 0};
    const int clipped = ClipInputList();
    return {clipFinal.vertices, clipped, 0};
}

}  // namespace vrastex
