// Turning a clipped polygon into the next scene record.
#pragma once

#include <cstdint>

#include "scene/clip.h"
#include "scene/draw_state.h"

namespace vrastex {

// Writes a clipped polygon as the next record: screen positions, shaded
// colours, the alpha of `look`, oow 1.0 and, for a textured record (slot
// other than the untextured marker), the first texture triple with t scaled
// by `tScale`.
void AppendPolygonRecord(const ClippedPolygon& polygon, Transparency look, std::int32_t slot, float tScale);

// Fills input vertex `i` from a host point moved by the draw offset.
inline void SetInputVertex(int i, std::int32_t x, std::int32_t y, std::int32_t u, std::int32_t v,
                           std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    clipInput.vertices[i] = {x + drawState.offsetX, y + drawState.offsetY, 0, u, v, r, g, b};
}

}  // namespace vrastex
