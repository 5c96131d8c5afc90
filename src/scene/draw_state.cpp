#include "scene/draw_state.h"

#include "texture/host_memory.h"

namespace vrastex {

DrawState drawState;

const float kBlendAlpha[4] = {128.0f, 128.0f, 128.0f, 128.0f};

void PutDrawEnv(const void* record) {
    const std::int32_t x = ReadS16(record, 0);
    std::int32_t y = ReadS16(record, 2);
    const std::int32_t w = ReadS16(record, 4);
    const std::int32_t h = ReadS16(record, 6);
    // The screen shows 256 host lines; the second band draws over the first.
    if (y > 255) y -= 256;
    drawState.offsetX = static_cast<std::int16_t>(x);
    drawState.offsetY = static_cast<std::int16_t>(y);
    drawState.clipLeft = x;
    drawState.clipTop = y;
    drawState.clipRight = x + w;
    drawState.clipBottom = y + h;
}

void DoDrMode(const void* packet) { drawState.blendMode = BlendModeOf(ReadU16(packet, 8)); }

}  // namespace vrastex
