// Cutting polygons to the clip rectangle, in host coordinates, first against
// top and bottom, then against left and right.
#pragma once

#include <cstdint>

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

// The input list clipped: the final list, or for a polygon wholly inside the
// rectangle (bounds included) the input list in the order the stages would
// have given it.
ClippedPolygon ClipInputPolygon();

}  // namespace vrastex
