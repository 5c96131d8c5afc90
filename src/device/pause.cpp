#include "device/pause.h"

#include "device/device.h"
#include "glide/glide_binding.h"
#include "texture/page_cache.h"
#include "texture/slot_table.h"

namespace vrastex {

GrState savedGlideState;

int PauseRender() {
    glide::grGlideGetState(&savedGlideState);
    glide::grSstWinClose();
    return glide::grSstControl(static_cast<FxU32>(GR_CONTROL_DEACTIVATE));
}

void ResumeRender() {
    glide::grSstControl(static_cast<FxU32>(GR_CONTROL_ACTIVATE));
    // No auxiliary buffer this time; a failed open does not stop the rest.
    glide::grSstWinOpen(0u, device.glideResolution, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 0);
    glide::grGlideSetState(&savedGlideState);
    // Texture memory does not survive the pause.
    ResetTexMemory();
    for (int page = 0; page < kPageCount; ++page) LoadTexturePage(page);
}

}  // namespace vrastex
