// The chip's geometry behind grDrawTriangle, grDrawPolygon(VertexList) and
// grDrawLine: vertex positions in 12.4 fixed point, culling, the fill rule,
// polygons as fans, lines as parallelograms, and the iteration of colour,
// depth and texture coordinates across each triangle. Pixels go through a
// PixelPipeline built once per drawing call.
#pragma once

#include <cstdint>

#include "glide/glide_types.h"

// A vertex x or y as the chip keeps it: value * 16 truncated toward zero, the
// low 16 bits as a signed 12.4 number, so positions wrap modulo 4096 pixels
// (and a snap offset of 3 << 18 disappears). NaN and infinities give 0.
std::int32_t ChipCoordinate(float value);

class PixelPipeline;

// A triangle corner: its 12.4 position and the vertex its values come from.
struct Corner {
    std::int64_t x, y;
    const GrVertex* v;
};

// The rows one worker draws: window rows in strips of kBandRows, strip k
// belonging to band k mod count.
struct Band {
    int index, count;
};
constexpr int kBandRows = 16;
constexpr Band kAllRows{0, 1};

// Draws the triangle's pixels in `band` (no culling: any winding).
void RasterTriangle(const PixelPipeline& pipe, Corner v0, Corner v1, Corner v2, Band band);

// `caller` names the entry point in error reports.
void DrawTriangleCall(const char* caller, const GrVertex& a, const GrVertex& b, const GrVertex& c);
// The fan (v0, vi, vi+1); `ilist` null draws vlist in order.
void DrawFanCall(const char* caller, int count, const int* ilist, const GrVertex* vlist);
void DrawLineCall(const char* caller, const GrVertex& a, const GrVertex& b);
