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

// `caller` names the entry point in error reports.
void DrawTriangleCall(const char* caller, const GrVertex& a, const GrVertex& b, const GrVertex& c);
// The fan (v0, vi, vi+1); `ilist` null draws vlist in order.
void DrawFanCall(const char* caller, int count, const int* ilist, const GrVertex* vlist);
void DrawLineCall(const char* caller, const GrVertex& a, const GrVertex& b);
