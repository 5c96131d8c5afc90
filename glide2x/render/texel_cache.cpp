#include "render/texel_cache.h"

#include <vector>

#include "render/draw_queue.h"
#include "render/texture_layout.h"
#include "render/texture_unit.h"

namespace {

struct Entry {
    bool valid = false;
    int tmu = 0;
    std::uint64_t base = 0;
    FxI32 format = 0;
    int width = 0, height = 0;
    std::uint32_t limit = 0;
    std::uint64_t lastUse = 0;
    std::vector<std::uint64_t> texels;
};

Entry entries[kTexelCacheEntries];
std::uint64_t useClock = 0;
Entry* lastHit = nullptr;  // a renderer draws with one texture many times in a row

bool Matches(const Entry& e, int tmu, std::uint64_t base, FxI32 format, int width, int height, std::uint32_t limit) {
    return e.valid && e.tmu == tmu && e.base == base && e.format == format && e.width == width &&
           e.height == height && e.limit == limit;
}

void Decode(Entry& e, const StandinTexMemory& memory) {
    const int bytes = TexelBytes(e.format);
    const std::size_t count = static_cast<std::size_t>(e.width) * static_cast<std::size_t>(e.height);
    e.texels.assign(count, 0);
    if (memory.bytes.empty()) return;
    const std::uint8_t* data = memory.bytes.data();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t address = e.base + i * static_cast<std::uint64_t>(bytes);
        if (address + static_cast<std::uint64_t>(bytes) > e.limit) break;  // and all after it
        unsigned word = data[address];
        if (bytes == 2) word |= unsigned{data[address + 1]} << 8;
        Rgba c;
        DecodeTexel(e.format, word, &c);
        e.texels[i] = PackLanes(c.r, c.g, c.b, c.a);
    }
}

}  // namespace

const std::uint64_t* DecodedLevel(int tmu, std::uint64_t base, FxI32 format, int width, int height) {
    const StandinTexMemory& memory = Device().texMemory[tmu];
    const std::uint32_t limit = memory.bytes.empty() ? 0 : memory.limit;
    if (lastHit && Matches(*lastHit, tmu, base, format, width, height, limit)) {
        lastHit->lastUse = ++useClock;
        return lastHit->texels.data();
    }
    Entry* victim = &entries[0];
    for (Entry& e : entries) {
        if (Matches(e, tmu, base, format, width, height, limit)) {
            e.lastUse = ++useClock;
            lastHit = &e;
            return e.texels.data();
        }
        if (victim->valid && (!e.valid || e.lastUse < victim->lastUse)) victim = &e;
    }
    FinishDrawing();  // recorded draws may still read the victim
    victim->valid = true;
    victim->tmu = tmu;
    victim->base = base;
    victim->format = format;
    victim->width = width;
    victim->height = height;
    victim->limit = limit;
    victim->lastUse = ++useClock;
    Decode(*victim, memory);
    lastHit = victim;
    return victim->texels.data();
}

void ForgetDecodedTexels(int tmu, std::uint64_t address, std::uint64_t size) {
    for (Entry& e : entries) {
        if (!e.valid || e.tmu != tmu) continue;
        const std::uint64_t end = e.base + static_cast<std::uint64_t>(e.width) * static_cast<std::uint64_t>(e.height) *
                                               static_cast<std::uint64_t>(TexelBytes(e.format));
        if (size == 0 || (address < end && e.base < address + size)) e.valid = false;
    }
}
