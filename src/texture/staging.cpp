#include "texture/staging.h"

#include <cstring>

#include "texture/host_memory.h"

namespace vrastex {

StagingState staging;

std::uint16_t ReadPixel(const std::uint16_t* base, std::int64_t index) {
    std::uint16_t value;
    std::memcpy(&value, base + index, sizeof value);
    return value;
}

void WritePixel(std::uint16_t* base, std::int64_t index, std::uint16_t value) {
    std::memcpy(base + index, &value, sizeof value);
}

namespace {

// Indexed pixels: one staging row of 2 (8-bit) or 4 (4-bit) pixels a unit,
// expanded through the table as converted for this upload. Pixels that would
// fall outside the 4096 x 512 surface are dropped, the rest land.
void UploadIndexed(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                   const std::uint8_t* data) {
    const bool eightBit = staging.colorTableEntries == 256;
    // The table converted once per upload: bit 15 survives only in a
    // 16-colour table, where it marks the texel opaque.
    std::uint16_t table[256];
    const int entries = eightBit ? 256 : 16;
    for (int i = 0; i < entries; ++i) {
        const std::uint16_t color = ReadU16(staging.colorTable, 2 * i);
        table[i] = eightBit ? SwapColor(color) : static_cast<std::uint16_t>(SwapColor(color) | (color & 0x8000u));
    }
    const std::int64_t firstColumn = 4 * static_cast<std::int64_t>(x);
    const std::int64_t pixels = static_cast<std::int64_t>(w) * (eightBit ? 2 : 4);
    const std::int64_t bytesPerRow = 2 * static_cast<std::int64_t>(w);
    for (std::int32_t row = 0; row < h; ++row, data += bytesPerRow) {
        const std::int64_t stagingRow = static_cast<std::int64_t>(y) + row;
        if (stagingRow < 0 || stagingRow >= kStagingRows) continue;
        // The columns of this row that lie on the surface.
        const std::int64_t from = firstColumn < 0 ? -firstColumn : 0;
        const std::int64_t to = firstColumn + pixels > kStagingStride ? kStagingStride - firstColumn : pixels;
        const std::int64_t rowStart = stagingRow * kStagingStride + firstColumn;
        for (std::int64_t i = from; i < to; ++i) {
            const std::uint8_t byte = data[eightBit ? i : i / 2];
            const int index = eightBit ? byte : (i & 1 ? byte >> 4 : byte & 15);
            WritePixel(hostMemory.staging, rowStart + i, table[index]);
        }
    }
}

// Direct colours, one staging pixel each, at the direct-upload stride. The
// surface is taken to be stride x 512 pixels; nothing is written beyond it.
void UploadDirect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  const std::uint8_t* data) {
    const std::int64_t stride = hostMemory.directStride;
    const std::int64_t limit = stride * kStagingRows;
    std::int64_t rowStart = stride * y + (x < 320 ? x : 4 * static_cast<std::int64_t>(x));
    for (std::int32_t row = 0; row < h; ++row, rowStart += stride) {
        for (std::int32_t i = 0; i < w; ++i, data += 2) {
            const std::int64_t pixel = rowStart + i;
            if (pixel >= 0 && pixel < limit) WritePixel(hostMemory.staging, pixel, SwapColor(ReadU16(data, 0)));
        }
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
