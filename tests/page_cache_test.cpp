// The texture page cache and the TMU allocator: when a load happens at all,
// rounding and the 2 MiB line, running out of TMU memory. What a full load
// downloads, halved or not, is pinned by the golden trace.
#include "texture/page_cache.h"

#include "support/plugin_fixture.h"
#include "texture/slot_table.h"
#include "texture/staging.h"

using vrastex::staging;
using vrastex::slotTable;

namespace {

// TMU start address of page n after a full load from address 0, by hand:
// three pages of 65,536 bytes, then pages of 131,072 bytes.
constexpr std::uint32_t kPageStart[17] = {
    0,       65536,   131072,  196608,  327680,  458752,  589824,  720896,  851968,
    983040,  1114112, 1245184, 1376256, 1507328, 1638400, 1769472, 1900544,
};

class PageCacheTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        OpenAt(3);
    }
    static std::vector<const StandinCall*> Downloads() { return CallsNamed("grTexDownloadMipMapLevel"); }
};

// Pages 0..2 go down at half height: texel i of new row r averages texel i of
// rows 2r and 2r + 1, each 5-bit field rounded down, the flag bit from either.
TEST_F(PageCacheTest, HalvedPagesAverageEachFieldRoundingDown) {
    const struct {
        std::uint16_t upper, lower, halved;
    } cases[] = {
        {0x801F, 0x0001, 0x8010},  // flag from the upper texel, red (31 + 1) / 2
        {0x7FFF, 0x0000, 0x3DEF},  // each field 31 / 2 = 15
        {0x0001, 0x0000, 0x0000},  // 1 / 2 in the lowest field
        {0x0003, 0x0000, 0x0001},
        {0x0420, 0x0000, 0x0000},  // 1 / 2 in the middle and top fields
        {0x7FFF, 0x7FFE, 0x7FFE},  // (31 + 30) / 2 = 30: no carry into green
        {0x4210, 0x0842, 0x2529},  // every field (16 + 2) / 2 = 9
        {0x0000, 0x8000, 0x8000},  // flag from the lower texel
    };
    const int kCases = sizeof cases / sizeof cases[0];
    // Page 0 at rows 0 and 1, page 2 at its last two rows 254 and 255.
    for (int i = 0; i < kCases; ++i) {
        for (const int row : {0, 254}) {
            const int column = (row == 0 ? 1280 : 1280 + 512) + 3 * i;
            host.staging[row * 4096 + column] = cases[i].upper;
            host.staging[(row + 1) * 4096 + column] = cases[i].lower;
        }
    }
    LoadTextures();
    for (int i = 0; i < kCases; ++i) {
        SCOPED_TRACE(testing::Message() << std::hex << cases[i].upper << " above " << cases[i].lower);
        std::uint16_t first = 0, last = 0;
        standinReadTexMemory(0, kPageStart[0] + 2 * 3 * i, &first, 2);
        standinReadTexMemory(0, kPageStart[2] + 127 * 512 + 2 * 3 * i, &last, 2);
        EXPECT_EQ(first, cases[i].halved);
        EXPECT_EQ(last, cases[i].halved);
    }
}

// A stale flag (an indexed upload clears it) makes the next load download every page.
TEST_F(PageCacheTest, StalePagesMakeTheNextLoadDownloadEverything) {
    LoadTextures();
    standinClearLog();
    LoadTextures();
    EXPECT_EQ(Downloads().size(), 0u);
    staging.pagesCurrent = 0;
    LoadTextures();
    EXPECT_EQ(Downloads().size(), 17u);
    EXPECT_EQ(staging.pagesCurrent, 1);
}

TEST_F(PageCacheTest, AllocatorRoundsMovesPastTheLineAndFailsAtTheMaximum) {
    standinSetTexAddressRange(0, 0, 0x3FFFF8);
    const struct {
        std::uint32_t next, size;
        int ok;
        std::uint32_t start, nextAfter;
    } cases[] = {
        {0x1F0001, 0x20000, 1, 0x200000, 0x220000},
        {0x1E0000, 0x20000, 1, 0x1E0000, 0x200000},
        {0x100003, 0x10, 1, 0x100008, 0x100018},
        {0x1FFFF9, 0x10, 1, 0x200000, 0x200010},
        {0x3DFFF8, 0x20000, 0, 0, 0x3DFFF8},  // would end exactly at the maximum address
        {0x3DFFF0, 0x20000, 1, 0x3DFFF0, 0x3FFFF0},
        {0x3FFFF8, 0, 0, 0, 0x3FFFF8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "next " << c.next << " size " << c.size);
        slotTable.tmuNext[0] = c.next;
        std::uint32_t start = 0;
        EXPECT_EQ(vrastex::AllocTexMemory(0, c.size, &start), c.ok);
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(slotTable.tmuNext[0], c.nextAfter);
    }
}

TEST_F(PageCacheTest, PagesThatFindNoRoomAreSkippedAndKeepTheirSlots) {
    LoadTextures();
    // Pages from 0x40000 with the maximum at 0x100000: page 6 ends at 0xF0000,
    // page 7 would end at 0x110000, and every later page is larger than what is left.
    standinSetTexAddressRange(0, 0x40000, 0x100000);
    staging.pagesCurrent = 0;
    standinClearLog();
    LoadTextures();
    const auto downloads = Downloads();
    ASSERT_EQ(downloads.size(), 7u);
    EXPECT_EQ(CountCalls("grTexTextureMemRequired"), 17);
    const std::uint32_t fresh[7] = {0x40000, 0x50000, 0x60000, 0x70000, 0x90000, 0xB0000, 0xD0000};
    for (int n = 0; n < 17; ++n) {
        SCOPED_TRACE(testing::Message() << "page " << n);
        if (n < 7) {
            EXPECT_EQ(downloads[n]->args[1], fresh[n]);
            EXPECT_EQ(slotTable.slots[n].startAddress, fresh[n]);
            EXPECT_EQ(slotTable.slots[n].inUse, 1);
        } else {
            EXPECT_EQ(slotTable.slots[n].startAddress, kPageStart[n]);
            EXPECT_EQ(slotTable.slots[n].info.aspectRatio, 3);
            EXPECT_EQ(slotTable.slots[n].inUse, 0);
        }
    }
    EXPECT_EQ(slotTable.tmuNext[0], 0xF0000u);
    EXPECT_EQ(staging.pagesCurrent, 1);
}

}  // namespace
