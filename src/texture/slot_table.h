// The texture slot table through which every textured draw finds its page,
// and the per-TMU bump allocator of texture memory behind it.
#pragma once

#include <cstdint>

#include "glide/glide_types.h"

namespace vrastex {

constexpr int kSlotCount = 128;
constexpr int kMaxTmus = 3;

struct TextureSlot {
    std::uint16_t inUse;
    std::uint32_t startAddress;
    std::int32_t tmu;
    GrTexInfo info;
};

struct SlotTable {
    TextureSlot slots[kSlotCount];
    std::uint32_t tmuNext[kMaxTmus];  // first free byte of each TMU's memory
    int tmuCount;                     // TMUs of the board, as the card was opened
};

extern SlotTable slotTable;

// Rewinds every TMU to its first byte and marks every slot free; the slots
// keep their last download.
void ResetTexMemory();

// Hands out `size` bytes of `tmu`'s memory at an 8-byte boundary, never
// straddling the 2 MiB line. Returns 0 when the TMU has no room.
int AllocTexMemory(int tmu, std::uint32_t size, std::uint32_t* start);

}  // namespace vrastex
