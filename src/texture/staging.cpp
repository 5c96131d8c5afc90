#include "texture/staging.h"

#include <cstring>

#include "device/device.h"
#include "scene/packet.h"

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

std::uint16_t TableEntry(int index) { return ReadU16(staging.colorTable, 2 * index); }

// Writes one staging pixel at the fixed stride; pixels outside the 4096 x 512
// surface are dropped so no upload reaches past it.
void PutStagingPixel(std::int64_t row, std::int64_t column, std::uint16_t value) {
    if (row < 0 || row >= kStagingRows || column < 0 || column >= kStagingStride) return;
    WritePixel(device.staging, row * kStagingStride + column, value);
}

void UploadIndexed(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                   const std::uint8_t* data) {
    const bool eightBit = staging.colorTableEntries == 256;
    for (std::int32_t row = 0; row < h; ++row) {
        std::int64_t column = 4 * static_cast<std::int64_t>(x);
        for (std::int32_t unit = 0; unit < w; ++unit) {
            for (int half = 0; half < 2; ++half) {
                const std::uint8_t byte = *data++;
                if (eightBit) {
                    PutStagingPixel(y + row, column++, SwapColor(TableEntry(byte)));
                } else {
                    // Bit 15 of a 16-colour table survives: it marks the texel opaque.
                    const std::uint16_t low = TableEntry(byte & 15);
                    const std::uint16_t high = TableEntry(byte >> 4);
                    PutStagingPixel(y + row, column++, SwapColor(low) | (low & 0x8000u));
                    PutStagingPixel(y + row, column++, SwapColor(high) | (high & 0x8000u));
                }
            }
        }
    }
}

// Direct colours, one staging pixel each, at the direct-upload stride. The
// surface is taken to be stride x 512 pixels; nothing is written beyond it.
void UploadDirect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  const std::uint8_t* data) {
    const std::int64_t stride = device.directStride;
    const std::int64_t limit = stride * kStagingRows;
    std::int64_t rowStart = stride * y + (x < 320 ? x : 4 * static_cast<std::int64_t>(x));
    for (std::int32_t row = 0; row < h; ++row, rowStart += stride) {
        for (std::int32_t i = 0; i < w; ++i, data += 2) {
            const std::int64_t pixel = rowStart + i;
            if (pixel >= 0 && pixel < limit) WritePixel(device.staging, pixel, SwapColor(ReadU16(data, 0)));
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
        if (device.staging) UploadIndexed(x, y, w, h, bytes);
        staging.pagesCurrent = 0;
        return 0;
    }
    if (device.staging) UploadDirect(x, y, w, h, bytes);
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
