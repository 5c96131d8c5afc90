// The staging surface as the replay will hold it. The host owns the surface
// and may write it itself between calls; the plug-in reads it only when it
// cuts texture pages (staging columns 1280..4095 of rows 0..511 at the fixed
// 4096-pixel stride). Before such a read the capture records every row span
// there that differs from this shadow, and after each upload it takes the
// rows the plug-in may have written into the shadow as they now are.
#pragma once

#include <cstdint>

namespace capture {

constexpr int kStagingStride = 4096;
constexpr int kStagingRows = 512;
constexpr int kPageAreaColumn = 1280;

// Writes a "staging row=R col=C blob=..." line for the changed span of each
// row in first..last (clamped to the surface) and brings the shadow up to date.
void RecordHostChanges(const std::uint16_t* surface, std::int64_t firstRow, std::int64_t lastRow);

// Copies rows first..last of the page area from `surface` into the shadow.
void TakeRows(const std::uint16_t* surface, std::int64_t firstRow, std::int64_t lastRow);

// Rows (of the fixed stride) that an upload may write: an indexed one at
// rows y..y+h-1, a direct one along its own stride. Empty when last < first.
struct RowRange {
    std::int64_t first;
    std::int64_t last;
};
RowRange IndexedUploadRows(std::int32_t y, std::int32_t h);
RowRange DirectUploadRows(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int64_t stride);

// Forgets everything: the shadow is all zero, as the replay's fresh surface.
void ResetShadow();

}  // namespace capture
