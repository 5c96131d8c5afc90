// The staging surface: the host's mirror of its frame buffer, written by image
// uploads with colours swapped into the card's order and indexed pixels
// expanded through the current colour table. Also the redirect table of
// page 12, filled by move packets.
#pragma once

#include <cstdint>

namespace vrastex {

constexpr int kStagingStride = 4096;  // pixels; the fixed stride of indexed uploads and pages
constexpr int kStagingRows = 512;
constexpr int kRedirectCells = 16;

struct RedirectCell {
    std::int16_t sourceSlot;
    std::int32_t sourceU;  // low 8 bits used
    std::int32_t sourceV;  // low 8 bits used
};

struct StagingState {
    const std::uint8_t* colorTable;  // host memory; null = no current colour table
    int colorTableEntries;           // 256 = 8-bit expansion, anything else 4-bit
    int pagesCurrent;                // TMU copy up to date with every indexed upload
    RedirectCell redirects[kRedirectCells];
};

extern StagingState staging;

int LoadImagePC(const void* rectangle, const void* data);
void DoDrMove(const void* packet);

// Host colour (red low) to card 1-5-5-5 order (red high), bit 15 cleared.
inline std::uint16_t SwapColor(std::uint16_t color) {
    return static_cast<std::uint16_t>(((color & 0x001Fu) << 10) | (color & 0x03E0u) |
                                      ((color >> 10) & 0x001Fu));
}

}  // namespace vrastex
