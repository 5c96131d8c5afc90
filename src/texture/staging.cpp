#include "texture/staging.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "texture/host_memory.h"

namespace vrastex {

StagingState staging;

namespace {

// Uploads convert a run of pixels at a time, in blocks of kBlock pixels
// handled two to a 32-bit word; the x86_64 build turns each block into
// vector code, the i686 build still halves its work. Host memory may sit at
// any address, so blocks are moved in and out with memcpy.
constexpr int kBlock = 16;

// Words hold their first pixel in the low bits, as memory holds it on this
// little-endian machine.
static_assert(std::endian::native == std::endian::little);

void StorePixel(std::uint16_t* to, std::uint16_t pixel) { std::memcpy(to, &pixel, sizeof pixel); }

std::uint32_t SwapColorPair(std::uint32_t pair) {
    return ((pair & 0x001F001Fu) << 10) | (pair & 0x03E003E0u) | ((pair >> 10) & 0x001F001Fu);
}

void SwapRun(std::uint16_t* to, const std::uint8_t* from, std::int64_t count) {
    std::uint32_t words[kBlock / 2];
    for (; count >= kBlock; count -= kBlock, to += kBlock, from += 2 * kBlock) {
        std::memcpy(words, from, sizeof words);
        for (std::uint32_t& word : words) word = SwapColorPair(word);
        std::memcpy(to, words, sizeof words);
    }
    for (std::int64_t i = 0; i < count; ++i) StorePixel(to + i, SwapColor(ReadU16(from + 2 * i, 0)));
}

// One row of 8-bit indices, a table lookup each. Four indices come in one
// 32-bit load and are picked out by shifts; the pixels go out two to a 32-bit
// word. Written as four byte loads into one 64-bit word, the loop was
// vectorised at -O3 (the table is local, so nothing aliases it) into a gather
// that x86-64 without AVX2 emulates lane by lane, about three times slower
// than the scalar loop -O2 makes. In this form GCC and Clang keep it scalar,
// the same instructions at -O2 and -O3, and the i686 build holds each word in
// one register.
void ExpandRun8(std::uint16_t* to, const std::uint8_t* from, std::int64_t count, const std::uint16_t* table) {
    for (; count >= 4; count -= 4, to += 4, from += 4) {
        std::uint32_t indices;
        std::memcpy(&indices, from, sizeof indices);
        const std::uint32_t low = table[indices & 0xFFu] | std::uint32_t{table[(indices >> 8) & 0xFFu]} << 16;
        const std::uint32_t high = table[(indices >> 16) & 0xFFu] | std::uint32_t{table[indices >> 24]} << 16;
        std::memcpy(to, &low, sizeof low);
        std::memcpy(to + 2, &high, sizeof high);
    }
    for (std::int64_t i = 0; i < count; ++i) StorePixel(to + i, table[from[i]]);
}

// One row of 4-bit units: each byte looks up both of its pixels at once. Two
// units' four bytes come in one 32-bit load, which keeps -O3 from an emulated
// gather as in ExpandRun8, and their eight pixels go out in one 16-byte copy.
// Clipping keeps whole units, since indexed rows start and are cut at
// multiples of 4 columns.
void ExpandRun4(std::uint16_t* to, const std::uint8_t* from, std::int64_t units, const std::uint32_t* pairTable) {
    for (; units >= 2; units -= 2, to += 8, from += 4) {
        std::uint32_t bytes;
        std::memcpy(&bytes, from, sizeof bytes);
        const std::uint32_t pairs[4] = {pairTable[bytes & 0xFFu], pairTable[(bytes >> 8) & 0xFFu],
                                        pairTable[(bytes >> 16) & 0xFFu], pairTable[bytes >> 24]};
        std::memcpy(to, pairs, sizeof pairs);
    }
    if (units > 0) {
        const std::uint32_t pairs[2] = {pairTable[from[0]], pairTable[from[1]]};
        std::memcpy(to, pairs, sizeof pairs);
    }
}

// The part of a run of `length` pixels starting at `start` that lies in
// [0, limit): returns the first and one past the last index of the run.
struct Span {
    std::int64_t from, to;
};

Span Inside(std::int64_t start, std::int64_t length, std::int64_t limit) {
    const std::int64_t from = start < 0 ? -start : 0;
    const std::int64_t to = start + length > limit ? limit - start : length;
    return {from, to > from ? to : from};
}

// Indexed pixels: one staging row of 2 (8-bit) or 4 (4-bit) pixels a unit,
// expanded through the table as converted for this upload. Rows and columns
// are clipped to the 4096 x 512 surface once; the rest lands.
void UploadIndexed(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                   const std::uint8_t* data) {
    if (w <= 0 || h <= 0) return;
    const bool eightBit = staging.colorTableEntries == 256;
    // The table converted once per upload: bit 15 survives only in a
    // 16-colour table, where it marks the texel opaque.
    std::uint16_t table[256];
    const int entries = eightBit ? 256 : 16;
    for (int i = 0; i < entries; ++i) {
        const std::uint16_t color = ReadU16(staging.colorTable, 2 * i);
        table[i] = eightBit ? SwapColor(color) : static_cast<std::uint16_t>(SwapColor(color) | (color & 0x8000u));
    }
    std::uint32_t pairTable[256];
    if (!eightBit)
        for (int byte = 0; byte < 256; ++byte) pairTable[byte] = table[byte & 15] | std::uint32_t{table[byte >> 4]} << 16;

    const std::int64_t firstColumn = 4 * static_cast<std::int64_t>(x);
    const std::int64_t bytesPerRow = 2 * static_cast<std::int64_t>(w);
    const Span columns = Inside(firstColumn, eightBit ? bytesPerRow : 2 * bytesPerRow, kStagingStride);
    const Span rows = Inside(y, h, kStagingRows);
    if (columns.to == columns.from) return;
    for (std::int64_t row = rows.from; row < rows.to; ++row) {
        const std::uint8_t* source = data + row * bytesPerRow;
        std::uint16_t* target = hostMemory.staging + (y + row) * kStagingStride + firstColumn + columns.from;
        if (eightBit)
            ExpandRun8(target, source + columns.from, columns.to - columns.from, table);
        else
            ExpandRun4(target, source + columns.from / 2, (columns.to - columns.from) / 4, pairTable);
    }
}

// Direct colours, one staging pixel each, at the direct-upload stride. The
// surface is taken to be stride x 512 pixels; nothing is written beyond it.
// A row longer than the stride runs on into the next staging row, and later
// rows overwrite it, as pixel-by-pixel writing would.
void UploadDirect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  const std::uint8_t* data) {
    const std::int64_t stride = hostMemory.directStride;
    const std::int64_t limit = stride * kStagingRows;
    // With no surface, or an empty rectangle, nothing lands.
    if (stride <= 0 || w <= 0 || h <= 0) return;
    const std::int64_t start = stride * y + (x < 320 ? x : 4 * static_cast<std::int64_t>(x));
    // Row r runs over [start + r * stride, + w): the rows that reach the
    // surface are found once, the first whose run ends past 0 and the last
    // that starts before its end, and only those are walked.
    const std::int64_t first = start + w > 0 ? 0 : (-w - start) / stride + 1;
    const std::int64_t last = start < limit ? std::min<std::int64_t>(h - 1, (limit - 1 - start) / stride) : -1;
    const std::int64_t rowBytes = 2 * static_cast<std::int64_t>(w);
    for (std::int64_t row = first; row <= last; ++row) {
        const std::int64_t rowStart = start + row * stride;
        const Span run = Inside(rowStart, w, limit);
        SwapRun(hostMemory.staging + rowStart + run.from, data + row * rowBytes + 2 * run.from, run.to - run.from);
    }
}

}  // namespace

int LoadImagePC(const void* rectangle, const void* data) {
    const std::int32_t x = ReadS16(rectangle, 0);
    const std::int32_t y = ReadS16(rectangle, 2);
    const std::int32_t w = ReadS16(rectangle, 4);
    const std::int32_t h = ReadS16(rectangle, 6);
    const auto* bytes = static_cast<const std::uint8_t*>(data);

    if (h == 1 && (w == 16 || w == 256)) {
        // A colour table: the host's header byte in front of it picks the depth.
        staging.colorTableEntries = (bytes[-16] & 3) == 1 ? 256 : 16;
        staging.colorTable = bytes;
        return 0;
    }

    // The two screen pages are always direct colour.
    const bool screenPage = x == 0 && (y == 0 || y == 256);
    if (!screenPage && staging.colorTable) {
        if (hostMemory.staging) UploadIndexed(x, y, w, h, bytes);
        staging.pagesCurrent = 0;
        return 0;
    }
    if (hostMemory.staging) UploadDirect(x, y, w, h, bytes);
    return x < 320;
}

void DoDrMove(const void* packet) {
    const std::int32_t targetX = ReadS16(packet, 8);
    const std::int32_t targetY = ReadS16(packet, 10);
    const std::int32_t sourceX = ReadS16(packet, 12);
    const std::int32_t sourceY = ReadS16(packet, 14);

    const std::int32_t cell = (targetY - 448) / 32 * 8 + (targetX - 384) / 8;
    if (cell < 0 || cell >= kRedirectCells) return;

    RedirectCell& redirect = staging.redirects[cell];
    redirect.sourceSlot = static_cast<std::int16_t>((sourceX * 4 - 1280) / 256 + sourceY / 256 * 11);
    redirect.sourceU = ((((320 - sourceX) * 4) / 256 - 5) * 64 + sourceX) * 4;
    redirect.sourceV = sourceY - sourceY / 256 * 256;
}

}  // namespace vrastex
