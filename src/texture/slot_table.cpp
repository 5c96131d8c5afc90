#include "texture/slot_table.h"

#include "glide/glide_binding.h"

namespace vrastex {

SlotTable slotTable;

void ResetTexMemory() {
    // A hardware configuration may claim more TMUs than Glide has; the table holds three.
    const int tmus = slotTable.tmuCount < kMaxTmus ? slotTable.tmuCount : kMaxTmus;
    for (int tmu = 0; tmu < tmus; ++tmu) slotTable.tmuNext[tmu] = glide::grTexMinAddress(tmu);
    for (TextureSlot& slot : slotTable.slots) slot.inUse = 0;
}

int AllocTexMemory(int tmu, std::uint32_t size, std::uint32_t* start) {
    if (tmu < 0 || tmu >= kMaxTmus) return 0;
    constexpr std::uint32_t kLine = 0x200000;
    std::uint32_t first = (slotTable.tmuNext[tmu] + 7u) & ~7u;
    if (first < kLine && first + size > kLine) first = kLine;
    const std::uint32_t end = first + size;
    if (glide::grTexMaxAddress(tmu) <= end) return 0;
    *start = first;
    slotTable.tmuNext[tmu] = end;
    return 1;
}

}  // namespace vrastex
