// TMU levels decoded once into the form the sampler reads fastest: one
// 64-bit word per texel holding r, g, b, a in 16-bit lanes (bits 0, 16, 32,
// 48), so a bilinear blend weights all four channels with one multiply per
// texel. Kept for up to kTexelCacheEntries levels; a download drops the levels
// whose bytes it overwrites.
#pragma once

#include <cstdint>

#include "glide/glide_types.h"
#include "render/state.h"

constexpr int kTexelCacheEntries = 32;  // at most 32 levels of 256 x 256: 16 MiB

// The decoded w x h level at `base` of a TMU's memory in a known format;
// texels beyond the memory's limit read 0 as the sampler reads them. Replacing
// a cached level first finishes the recorded draws (they may read it).
const std::uint64_t* DecodedLevel(int tmu, std::uint64_t base, FxI32 format, int width, int height);

// Drops the levels overlapping [address, address + size) of a TMU; size 0
// drops all of the TMU's levels.
void ForgetDecodedTexels(int tmu, std::uint64_t address, std::uint64_t size);

// The lanes of one texel.
constexpr std::uint64_t PackLanes(int r, int g, int b, int a) {
    return std::uint64_t(unsigned(r)) | (std::uint64_t(unsigned(g)) << 16) | (std::uint64_t(unsigned(b)) << 32) |
           (std::uint64_t(unsigned(a)) << 48);
}
