// Giving the card up and taking it back: Glide's state is saved across the
// pause and every texture page is downloaded again on resume.
#pragma once

#include "glide/glide_types.h"

namespace vrastex {

extern GrState savedGlideState;

int PauseRender();
void ResumeRender();

}  // namespace vrastex
