#include "staging_shadow.h"

#include "capture_file.h"

namespace capture {

namespace {

constexpr int kAreaWidth = kStagingStride - kPageAreaColumn;

std::uint16_t shadow[kStagingRows][kAreaWidth];

bool Clamp(std::int64_t& first, std::int64_t& last) {
    if (first < 0) first = 0;
    if (last >= kStagingRows) last = kStagingRows - 1;
    return first <= last;
}

// Pixels are read one 16-bit load at a time: the host's surface is only
// known to be 2-byte aligned.
int FirstDifference(const std::uint16_t* a, const std::uint16_t* b) {
    for (int i = 0; i < kAreaWidth; ++i)
        if (a[i] != b[i]) return i;
    return -1;
}

int LastDifference(const std::uint16_t* a, const std::uint16_t* b) {
    for (int i = kAreaWidth - 1; i >= 0; --i)
        if (a[i] != b[i]) return i;
    return -1;
}

}  // namespace

void RecordHostChanges(const std::uint16_t* surface, std::int64_t firstRow, std::int64_t lastRow) {
    if (surface == nullptr || !Clamp(firstRow, lastRow)) return;
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        const std::uint16_t* live = surface + row * kStagingStride + kPageAreaColumn;
        std::uint16_t* kept = shadow[row];
        const int first = FirstDifference(live, kept);
        if (first < 0) continue;
        const int last = LastDifference(live, kept);
        Text("staging row=");
        Decimal(row);
        Text(" col=");
        Decimal(kPageAreaColumn + first);
        Char(' ');
        BlobReference(live + first, static_cast<std::size_t>(last - first + 1) * 2);
        EndLine();
        for (int i = first; i <= last; ++i) kept[i] = live[i];
    }
}

void TakeRows(const std::uint16_t* surface, std::int64_t firstRow, std::int64_t lastRow) {
    if (surface == nullptr || !Clamp(firstRow, lastRow)) return;
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        const std::uint16_t* live = surface + row * kStagingStride + kPageAreaColumn;
        for (int i = 0; i < kAreaWidth; ++i) shadow[row][i] = live[i];
    }
}

RowRange IndexedUploadRows(std::int32_t y, std::int32_t h) {
    return {y, static_cast<std::int64_t>(y) + h - 1};
}

RowRange DirectUploadRows(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int64_t stride) {
    if (w <= 0 || h <= 0) return {0, -1};
    const std::int64_t start = stride * y + (x < 320 ? x : 4 * static_cast<std::int64_t>(x));
    const std::int64_t lastStart = start + stride * (h - 1);
    const std::int64_t low = start < lastStart ? start : lastStart;
    const std::int64_t high = (start < lastStart ? lastStart : start) + w - 1;
    // Floor division: pixels before the surface's start belong to no row.
    auto rowOf = [](std::int64_t pixel) {
        return pixel >= 0 ? pixel / kStagingStride : -1 - (-1 - pixel) / kStagingStride;
    };
    return {rowOf(low), rowOf(high)};
}

void ResetShadow() {
    for (auto& row : shadow)
        for (std::uint16_t& pixel : row) pixel = 0;
}

}  // namespace capture
