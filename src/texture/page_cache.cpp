#include "texture/page_cache.h"

#include <cstring>

#include "glide/glide_binding.h"
#include "texture/host_memory.h"
#include "texture/slot_table.h"
#include "texture/staging.h"

namespace vrastex {

const float kPageTScale[18] = {0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                               1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f};

namespace {

// Averages rows 2i and 2i + 1 into row i, each 5-bit field rounded down; the
// flag bit survives when either texel has it. Per field, floor((a + b) / 2)
// is (a & b) + ((a ^ b) >> 1); the mask drops each field's low bit before
// the shift so that no bit crosses into the field or texel below. Two texels
// go through one 32-bit word, in blocks the x86_64 build vectorises. Row i
// is written only after rows 2i and 2i + 1 of the same columns are read.
std::uint32_t AveragePair(std::uint32_t a, std::uint32_t b) {
    return ((a & b & 0x7FFF7FFFu) + (((a ^ b) & 0x7BDE7BDEu) >> 1)) | ((a | b) & 0x80008000u);
}

void HalveRows(std::uint16_t* buffer, int width, int height) {
    constexpr int kBlock = 16;
    for (int i = 0; i < height / 2; ++i) {
        const std::uint16_t* upper = buffer + static_cast<std::int64_t>(2 * i) * width;
        const std::uint16_t* lower = upper + width;
        std::uint16_t* target = buffer + static_cast<std::int64_t>(i) * width;
        int column = 0;
        for (; column + kBlock <= width; column += kBlock) {
            std::uint32_t a[kBlock / 2], b[kBlock / 2];
            std::memcpy(a, upper + column, sizeof a);
            std::memcpy(b, lower + column, sizeof b);
            for (int k = 0; k < kBlock / 2; ++k) a[k] = AveragePair(a[k], b[k]);
            std::memcpy(target + column, a, sizeof a);
        }
        for (; column < width; ++column) {
            std::uint16_t a, b;
            std::memcpy(&a, upper + column, sizeof a);
            std::memcpy(&b, lower + column, sizeof b);
            const auto average = static_cast<std::uint16_t>(AveragePair(a, b));
            std::memcpy(target + column, &average, sizeof average);
        }
    }
}

}  // namespace

int LodForSize(int width, int height) {
    switch (width > height ? width : height) {
        case 256: return GR_LOD_256;
        case 128: return GR_LOD_128;
        case 64: return GR_LOD_64;
        case 32: return GR_LOD_32;
        case 16: return GR_LOD_16;
        case 8: return GR_LOD_8;
        case 4: return GR_LOD_4;
        case 2: return GR_LOD_2;
        case 1: return GR_LOD_1;
        default: return GR_LOD_256;
    }
}

int AspectForSize(int width, int height) {
    if (width == height || width <= 0 || height <= 0) return GR_ASPECT_1x1;
    if (width > height) {
        switch (width / height) {
            case 2: return GR_ASPECT_2x1;
            case 4: return GR_ASPECT_4x1;
            case 8: return GR_ASPECT_8x1;
            default: return GR_ASPECT_1x1;
        }
    }
    switch (height / width) {
        case 2: return GR_ASPECT_1x2;
        case 4: return GR_ASPECT_1x4;
        case 8: return GR_ASPECT_1x8;
        default: return GR_ASPECT_1x1;
    }
}

void DownloadTexture(std::uint16_t* buffer, int width, int height, int tmu, int halve, int slot) {
    if (halve) {
        HalveRows(buffer, width, height);
        height /= 2;
    }
    const int lod = LodForSize(width, height);
    GrTexInfo info = {lod, lod, AspectForSize(width, height), GR_TEXFMT_ARGB_1555, buffer};
    const FxU32 size = glide::grTexTextureMemRequired(static_cast<FxU32>(GR_MIPMAPLEVELMASK_BOTH), &info);
    std::uint32_t start;
    if (!AllocTexMemory(tmu, size, &start)) return;  // no room: the slot keeps what it held
    glide::grTexDownloadMipMapLevel(tmu, start, lod, info.largeLod, info.aspectRatio, info.format,
                                    static_cast<FxU32>(GR_MIPMAPLEVELMASK_BOTH), buffer);
    TextureSlot& target = slotTable.slots[slot];
    target.startAddress = start;
    target.tmu = tmu;
    target.info = info;
    target.inUse = 1;
}

void LoadTexturePage(int page) {
    if (!hostMemory.staging || !hostMemory.pageBuffer || page < 0 || page >= kPageCount) return;
    const int row = page < 11 ? 0 : 256;
    const int column = 1280 + 256 * (page < 11 ? page : page - 11);
    for (int y = 0; y < kPageSize; ++y) {
        std::memcpy(hostMemory.pageBuffer + y * kPageSize,
                    hostMemory.staging + static_cast<std::int64_t>(row + y) * kStagingStride + column,
                    kPageSize * sizeof(std::uint16_t));
    }
    DownloadTexture(hostMemory.pageBuffer, kPageSize, kPageSize, 0, page <= 2, page);
}

void LoadTextures() {
    staging.colorTable = nullptr;
    if (staging.pagesCurrent) return;
    ResetTexMemory();
    for (int page = 0; page < kPageCount; ++page) LoadTexturePage(page);
    staging.pagesCurrent = 1;
}

}  // namespace vrastex
