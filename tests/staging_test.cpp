// Image uploads into the staging surface: colour-table capture, indexed and
// direct paths, the colour swap, the pages-current flag, move packets, and
// rectangles that reach past the surface.
#include "texture/staging.h"

#include <algorithm>

#include "support/plugin_fixture.h"

using vrastex::staging;
using vrastex::StagingState;
using vrastex::RedirectCell;

namespace {

constexpr int kStride = 4096;
constexpr std::uint16_t kUntouched = 0xA5A5;

int Upload(int x, int y, int w, int h, const void* data) {
    Packet rect;
    rect.S16(0, x).S16(2, y).S16(4, w).S16(6, h);
    return LoadImagePC(rect.data(), data);
}

// A colour table as the host keeps it: a 16-byte header whose first byte is
// the flag byte, then the entries.
struct ColorTable {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(16 + 2 * 256);

    explicit ColorTable(int headerByte) { bytes[0] = static_cast<std::uint8_t>(headerByte); }
    ColorTable& Set(int index, std::uint16_t color) {
        bytes[16 + 2 * index] = static_cast<std::uint8_t>(color & 0xFF);
        bytes[16 + 2 * index + 1] = static_cast<std::uint8_t>(color >> 8);
        return *this;
    }
    const void* data() const { return bytes.data() + 16; }
    // Uploaded as a one-row rectangle, which makes it the current table.
    void Capture(int width = 16) const { EXPECT_EQ(Upload(0, 0, width, 1, data()), 0); }
};

class StagingTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        InitHost(host, 3);
        std::fill(host.staging.begin(), host.staging.end(), kUntouched);
    }
    std::uint16_t At(int row, int column) const { return host.staging[row * kStride + column]; }
    bool SurfaceUntouched() const {
        return std::all_of(host.staging.begin(), host.staging.end(), [](std::uint16_t p) { return p == kUntouched; });
    }
};

TEST_F(StagingTest, OneRowOf16Or256IsAColourTableWhoseHeaderPicksTheDepth) {
    const struct {
        int width, header, entries;
    } cases[] = {
        {16, 0x01, 256}, {256, 0x01, 256}, {16, 0xFD, 256}, {16, 0x00, 16},
        {256, 0x00, 16}, {16, 0x02, 16},   {256, 0x02, 16}, {256, 0x03, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.width << " header " << c.header);
        staging = StagingState{};
        staging.pagesCurrent = 1;
        ColorTable table(c.header);
        // At (0, 0), which would be a direct screen upload if this were not a table.
        EXPECT_EQ(Upload(0, 0, c.width, 1, table.data()), 0);
        EXPECT_EQ(staging.colorTable, table.data());
        EXPECT_EQ(staging.colorTableEntries, c.entries);
        EXPECT_EQ(staging.pagesCurrent, 1);
    }
    EXPECT_TRUE(SurfaceUntouched());
}

TEST_F(StagingTest, SixteenByTwoIsAnOrdinaryUpload) {
    ColorTable notATable(0x01);
    for (int i = 0; i < 32; ++i) notATable.Set(i, 0x0001);  // red 1 -> 0x0400
    EXPECT_EQ(Upload(0, 0, 16, 2, notATable.data()), 1);
    EXPECT_EQ(staging.colorTable, nullptr);
    EXPECT_EQ(At(0, 0), 0x0400);
    EXPECT_EQ(At(0, 15), 0x0400);
    EXPECT_EQ(At(1, 15), 0x0400);
    EXPECT_EQ(At(0, 16), kUntouched);
}

TEST_F(StagingTest, FourBitUnitExpandsLowNibbleFirst) {
    ColorTable table(0x00);
    table.Set(1, 0x0001).Set(2, 0x0002).Set(3, 0x0003).Set(4, 0x8004);
    table.Capture();
    const std::uint8_t data[] = {0x21, 0x43};
    EXPECT_EQ(Upload(100, 10, 1, 1, data), 0);
    EXPECT_EQ(At(10, 399), kUntouched);
    EXPECT_EQ(At(10, 400), 0x0400);
    EXPECT_EQ(At(10, 401), 0x0800);
    EXPECT_EQ(At(10, 402), 0x0C00);
    EXPECT_EQ(At(10, 403), 0x9000);  // the flag of the entry stays
    EXPECT_EQ(At(10, 404), kUntouched);
}

TEST_F(StagingTest, EightBitUnitsWriteTwoPixelsAndRowsFollowAtTheFixedStride) {
    InitSurfaces(0, 0, 0, 640, 0, 0, 0, 0, 0, 0);  // the direct stride plays no part
    ColorTable table(0x01);
    table.Set(5, 0x0C21).Set(200, 0x801F).Set(7, 0x03E0).Set(0, 0x7C00).Set(9, 0x0002);
    table.Capture(256);
    // Two units by two rows: bytes 5, 200, 7, 0 then 9, 9, 9, 9.
    const std::uint8_t data[] = {5, 200, 7, 0, 9, 9, 9, 9};
    EXPECT_EQ(Upload(330, 20, 2, 2, data), 0);
    EXPECT_EQ(At(20, 1320), 0x0423);  // r1 g1 b3 -> b in the low bits
    EXPECT_EQ(At(20, 1321), 0x7C00);  // the flag is cleared on this path
    EXPECT_EQ(At(20, 1322), 0x03E0);
    EXPECT_EQ(At(20, 1323), 0x001F);
    EXPECT_EQ(At(20, 1324), kUntouched);
    EXPECT_EQ(At(21, 1320), 0x0800);
    EXPECT_EQ(At(21, 1323), 0x0800);
    EXPECT_EQ(At(21, 1324), kUntouched);
}

// Direct colour drops the flag bit, as 8-bit tables do; 4-bit tables keep it.
TEST_F(StagingTest, DirectUploadClearsTheFlag) {
    const std::uint8_t red[] = {0x1F, 0x80};
    EXPECT_EQ(Upload(5, 0, 1, 1, red), 1);
    EXPECT_EQ(At(0, 5), 0x7C00);
}

TEST_F(StagingTest, TheTwoScreenPagesAreDirectEvenWithATable) {
    ColorTable table(0x00);
    table.Set(1, 0x0001);
    table.Capture();
    staging.pagesCurrent = 1;
    // 0x1111: r 17, g 8, b 4 -> direct 0x4504; indexed: four times entry 1.
    const std::uint8_t data[] = {0x11, 0x11};
    const struct {
        int x, y;
        bool direct;
        int row, column;
    } cases[] = {
        {0, 0, true, 0, 0}, {0, 256, true, 256, 0}, {0, 255, false, 255, 0}, {1, 0, false, 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.x << ", " << c.y);
        EXPECT_EQ(Upload(c.x, c.y, 1, 1, data), c.direct ? 1 : 0);
        if (c.direct) {
            EXPECT_EQ(At(c.row, c.column), 0x4504);
            EXPECT_EQ(At(c.row, c.column + 1), kUntouched);
            EXPECT_EQ(staging.pagesCurrent, 1);
        } else {
            for (int i = 0; i < 4; ++i) EXPECT_EQ(At(c.row, c.column + i), 0x0400);
            EXPECT_EQ(staging.pagesCurrent, 0);
            staging.pagesCurrent = 1;
        }
    }
    // Even an empty indexed rectangle makes the pages stale.
    for (int h : {0, -3}) {
        staging.pagesCurrent = 1;
        EXPECT_EQ(Upload(400, 0, 1, h, data), 0);
        EXPECT_EQ(staging.pagesCurrent, 0) << "h " << h;
    }
    // Without a table, (1, 0) is direct and lands in column 1.
    staging.colorTable = nullptr;
    EXPECT_EQ(Upload(1, 0, 1, 1, data), 1);
    EXPECT_EQ(At(0, 1), 0x4504);
}

TEST_F(StagingTest, DirectUploadsStartAtXOrFourXAtTheirOwnStride) {
    // Colours with a distinct red per pixel: 0x0001.. -> 0x0400, 0x0800, ...
    const std::uint16_t colors[6] = {0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006};
    const struct {
        int stride, x, y, result, start;
    } cases[] = {
        {4096, 100, 2, 1, 2 * 4096 + 100},
        {4096, 400, 2, 0, 2 * 4096 + 1600},
        {640, 100, 3, 1, 3 * 640 + 100},
        {640, 400, 3, 0, 3 * 640 + 1600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "stride " << c.stride << " x " << c.x);
        std::fill(host.staging.begin(), host.staging.end(), kUntouched);
        InitSurfaces(0, 0, 0, c.stride, 0, 0, 0, 0, 0, 0);
        staging.pagesCurrent = 1;
        EXPECT_EQ(Upload(c.x, c.y, 3, 2, colors), c.result);
        const std::uint16_t* p = host.staging.data() + c.start;
        EXPECT_EQ(p[-1], kUntouched);
        EXPECT_EQ(p[0], 0x0400);
        EXPECT_EQ(p[1], 0x0800);  // one staging pixel per colour
        EXPECT_EQ(p[2], 0x0C00);
        EXPECT_EQ(p[3], kUntouched);
        EXPECT_EQ(p[c.stride], 0x1000);
        EXPECT_EQ(p[c.stride + 2], 0x1800);
        EXPECT_EQ(p[c.stride + 3], kUntouched);
        EXPECT_EQ(staging.pagesCurrent, 1);
    }
    // Empty rectangles still give the display-area result.
    EXPECT_EQ(Upload(100, 0, 3, 0, colors), 1);
    EXPECT_EQ(Upload(100, 0, 3, -2, colors), 1);
    EXPECT_EQ(Upload(320, 0, 3, 0, colors), 0);
}

Packet Move(int targetX, int targetY, int sourceX, int sourceY) {
    Packet p;
    return p.Xy(8, targetX, targetY).Xy(12, sourceX, sourceY).Xy(16, 8, 32);
}

TEST_F(StagingTest, MoveTargetsPickACellOrNone) {
    const struct {
        int x, y, cell;  // -1: ignored
    } cases[] = {
        {384, 448, 0}, {447, 511, 15}, {448, 448, 8}, {384, 512, -1},
        {383, 448, 0},   // (-1) / 8 truncates to column 0
        {392, 480, 9},   // column 1, row 1
        {376, 480, 7},   // column -1 on row 1 still lands in 0..15
        {384, 416, -1},  // row -1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "target " << c.x << ", " << c.y);
        for (RedirectCell& cell : staging.redirects) cell = {-7, -7, -7};
        Packet p = Move(c.x, c.y, 704, 300);
        DoDrMove(p.data());
        for (int i = 0; i < 16; ++i) {
            const RedirectCell& cell = staging.redirects[i];
            if (i == c.cell) {
                EXPECT_EQ(cell.sourceSlot, 17);
                EXPECT_EQ(cell.sourceU, 0);
                EXPECT_EQ(cell.sourceV, 44);
            } else {
                EXPECT_EQ(cell.sourceSlot, -7) << "cell " << i;
            }
        }
    }
}

struct Landing {
    int row, column;
};

struct EdgeCase {
    int x, y, w, h;
    Landing first, last;  // the first and last pixels written, in memory order
};

// The surface with wide guard zones on both sides, so that a write past
// either end is seen rather than corrupting memory.
class GuardedStagingTest : public PluginTest {
protected:
    static constexpr std::size_t kSurface = 4096u * 512u;
    static constexpr std::size_t kGuard = 4096u * 128u;

    void SetUp() override {
        PluginTest::SetUp();
        UseStride(kStride);
    }
    void UseStride(int stride) {
        InitVariables(surface(), 0, host.page.data(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3);
        InitSurfaces(0, 0, 0, stride, 0, 0, 0, 0, 0, 0);
    }
    std::uint16_t* surface() { return memory.data() + kGuard; }
    std::uint16_t At(int row, int column) { return surface()[row * kStride + column]; }
    void Refill() { std::fill(memory.begin(), memory.end(), kUntouched); }
    bool GuardsIntact() const {
        const auto same = [](std::uint16_t p) { return p == kUntouched; };
        return std::all_of(memory.begin(), memory.begin() + kGuard, same) &&
               std::all_of(memory.end() - kGuard, memory.end(), same);
    }

    // Uploads the rectangle onto a fresh surface: `pixel` lands at both ends
    // and nothing is written before the first, after the last or in the guards.
    void ExpectOnlyInside(const EdgeCase& c, const void* data, int result, std::uint16_t pixel) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << " size " << c.w << " x " << c.h);
        Refill();
        EXPECT_EQ(Upload(c.x, c.y, c.w, c.h, data), result);
        EXPECT_TRUE(GuardsIntact());
        EXPECT_EQ(At(c.first.row, c.first.column), pixel);
        EXPECT_EQ(At(c.last.row, c.last.column), pixel);
        const int before = c.first.row * kStride + c.first.column - 1;
        const int after = c.last.row * kStride + c.last.column + 1;
        if (before >= 0) {
            EXPECT_EQ(surface()[before], kUntouched);
        }
        if (after < static_cast<int>(kSurface)) {
            EXPECT_EQ(surface()[after], kUntouched);
        }
    }

    std::vector<std::uint16_t> memory = std::vector<std::uint16_t>(kGuard + kSurface + kGuard, kUntouched);
};

TEST_F(GuardedStagingTest, IndexedRectanglesPastTheEdgesWriteOnlyInside) {
    ColorTable table(0x00);
    table.Set(1, 0x0001);  // every pixel becomes 0x0400
    table.Capture();
    const std::vector<std::uint8_t> data(2 * 30000 * 2, 0x11);
    const EdgeCase cases[] = {
        {-3, 5, 4, 1, {5, 0}, {5, 3}},
        {-5000, 3, 5010, 1, {3, 0}, {3, 39}},
        {1020, 5, 8, 1, {5, 4080}, {5, 4095}},
        {10, 510, 1, 60, {510, 40}, {511, 43}},
        {10, -2, 1, 3, {0, 40}, {0, 43}},
        {1000, 511, 30000, 1, {511, 4000}, {511, 4095}},
    };
    for (const EdgeCase& c : cases) ExpectOnlyInside(c, data.data(), 0, 0x0400);
    ColorTable wide(0x01);
    wide.Set(0x11, 0x0002);  // -> 0x0800
    wide.Capture(256);
    ExpectOnlyInside({1000, 511, 30000, 1, {511, 4000}, {511, 4095}}, data.data(), 0, 0x0800);
}

// A rectangle left of column 0 lands from the source byte that belongs at
// column 0: 2 pixels a byte for 4-bit data, 1 for 8-bit. Entry i of the table
// is colour i, which the swap makes ((i & 31) << 10) | (i & 0x3E0).
TEST_F(GuardedStagingTest, IndexedRectanglesLeftOfTheSurfaceStartAtTheRightSourceByte) {
    const std::uint8_t data[8] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
    const struct {
        int header, x, w;
        std::vector<std::uint16_t> landed;  // columns 0.. of row 5
    } cases[] = {
        {0x00, -3, 4, {0x3000, 0x3400, 0x3800, 0x3C00}},  // pixels 12..15: byte 6 (C, D), byte 7 (E, F)
        {0x00, -1, 2, {0x1000, 0x1400, 0x1800, 0x1C00}},  // pixels 4..7: bytes 2 and 3
        {0x01, -1, 4, {0x6080, 0x68A0, 0x70C0, 0x78E0}},  // pixels 4..7: bytes 4..7 (0x98, 0xBA, 0xDC, 0xFE)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x << " header " << c.header);
        ColorTable table(c.header);
        for (int i = 0; i < 256; ++i) table.Set(i, static_cast<std::uint16_t>(i));
        table.Capture();
        Refill();
        Upload(c.x, 5, c.w, 1, data);
        std::vector<std::uint16_t> landed;
        for (std::size_t column = 0; column < c.landed.size(); ++column) landed.push_back(At(5, static_cast<int>(column)));
        EXPECT_EQ(landed, c.landed);
        EXPECT_EQ(At(5, static_cast<int>(c.landed.size())), kUntouched);
        EXPECT_TRUE(GuardsIntact());
    }
}

// Direct rows land at the direct stride; a row longer than the stride runs on
// into the next. Only what lies on the 512 rows is written, however far the
// rectangle reaches past them.
TEST_F(GuardedStagingTest, DirectRectanglesPastTheEdgesWriteOnlyInside) {
    const std::vector<std::uint16_t> data(2 * 30010, 0x0001);  // every pixel becomes 0x0400
    const EdgeCase cases[] = {
        {10, -30000, 2, 30010, {0, 10}, {9, 11}},   // rows 0..9 of a tall image from far above
        {10, 500, 2, 30000, {500, 10}, {511, 11}},  // a tall image off the bottom
        {50, -3, 3, 5, {0, 50}, {1, 52}},
        {100, -1, 5000, 1, {0, 0}, {0, 1003}},  // from a row above, running on into row 0
        {100, 510, 5000, 3, {510, 100}, {511, 4095}},
    };
    for (const EdgeCase& c : cases) ExpectOnlyInside(c, data.data(), 1, 0x0400);
}

}  // namespace
