// Colour and texture-coordinate preparation of clipped vertices.
#pragma once

#include <cstdint>

namespace vrastex {

// Doubles each channel and clamps it at 255 (a host colour byte of 128 is
// full intensity), or makes the vertex white while the full-bright flag is set.
void ShadeVertex(std::int32_t& r, std::int32_t& g, std::int32_t& b);

// Moves u and v of the first `count` final vertices one texel toward their
// mean, drawing the texture area in by a texel at the polygon's edges.
void PullTexCoords(int count);

}  // namespace vrastex
