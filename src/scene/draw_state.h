// The drawing state every packet is read against: draw offset, clip
// rectangle, current blend mode and the full-bright flag.
#pragma once

#include <cstdint>

namespace vrastex {

struct DrawState {
    std::int16_t offsetX;
    std::int16_t offsetY;
    std::int32_t clipLeft, clipTop, clipRight, clipBottom;  // all inclusive
    std::uint32_t blendMode;                                // 0..3
    int fullBright;
};

extern DrawState drawState;

// Vertex alpha of a semi-transparent primitive, by blend mode: every mode
// gets 128; the mode itself only picks the blending at flush time.
extern const float kBlendAlpha[4];

// Code byte bits shared by all primitive packets.
constexpr std::uint8_t kCodeFullBright = 0x01;
constexpr std::uint8_t kCodeSemiTransparent = 0x02;

struct Transparency {
    int alpha;
    std::int32_t blendEntry;
};

// Alpha and blend mode entry of a primitive with this code byte.
inline Transparency TransparencyFor(std::uint8_t code) {
    if (code & kCodeSemiTransparent)
        return {static_cast<int>(kBlendAlpha[drawState.blendMode]),
                static_cast<std::int32_t>(drawState.blendMode)};
    return {255, 0};
}

void PutDrawEnv(const void* record);
void DoDrMode(const void* packet);

// Blend mode bits 5-6 of a mode or texture page word.
inline std::uint32_t BlendModeOf(std::uint16_t word) { return (word & 0x0060u) >> 5; }

}  // namespace vrastex
