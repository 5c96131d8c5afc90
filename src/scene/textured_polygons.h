// Textured triangles and quadrilaterals: host packets to textured records.
#pragma once

#include <cstdint>

namespace vrastex {

// The texture slot a texture page word selects: page column (bits 0-3) from
// the start of the texture area, 11 pages a row, bits 4 and 11 the row.
int SlotForPageWord(std::uint16_t pageWord);

// Not const: a packet on page 12 gets its u, v rewritten by the redirect.
void DrawFlatTexture(void* packet);
void DrawFlatTexture4(void* packet);
void DrawGouraudTexture(void* packet);
void DrawGouraudTexture4(void* packet);

}  // namespace vrastex
