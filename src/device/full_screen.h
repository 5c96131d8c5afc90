// Whole pictures straight onto the screen, outside the scene list: a resident
// texture page as one textured rectangle, or a 16-bit host picture.
#pragma once

#include "glide/glide_types.h"

namespace vrastex {

// Shared by both: each writes only the fields it needs.
extern GrVertex pageQuad[4];
// The order in which ShowPage hands the quad's corners to Glide.
extern const int kPageIndices[4];

void ShowPage(int left, int top, int right, int bottom, unsigned slot);
void BlitScreen(const void* picture, int width, int height);

}  // namespace vrastex
