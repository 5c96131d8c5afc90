// Turning the final clip list into the next scene record.
#pragma once

#include <cstdint>

#include "scene/draw_state.h"

namespace vrastex {

// Writes the final list as a record: screen positions, shaded colours, the
// alpha of `look`, oow 1.0 and, for a textured record (slot other than the
// untextured marker), the first texture triple with t scaled by `tScale`.
void AppendFinalList(Transparency look, std::int32_t slot, float tScale);

// Fills input vertex `i` from a host point moved by the draw offset.
void SetInputVertex(int i, std::int32_t x, std::int32_t y, std::int32_t u, std::int32_t v,
                    std::uint8_t r, std::uint8_t g, std::uint8_t b);

}  // namespace vrastex
