// The texture page cache and the TMU allocator: what a full load downloads
// and where, the texels cut from the staging surface, halving, when a load
// happens at all, the 2 MiB line, running out of TMU memory, and the LOD and
// aspect tables.
#include "texture/page_cache.h"

#include <algorithm>

#include "support/plugin_fixture.h"
#include "texture/slot_table.h"
#include "texture/staging.h"

using vrastex::staging;
using vrastex::slotTable;
using vrastex::TextureSlot;

namespace {

constexpr int kStride = 4096;
using V = std::vector<std::int64_t>;

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
    std::uint16_t& At(int row, int column) { return host.staging[row * kStride + column]; }
    // Fills the texture area so that every staging pixel has a value of its own
    // position: (row * 31 + column * 7) mod 65536.
    void FillByPosition() {
        for (int row = 0; row < 512; ++row)
            for (int column = 1280; column < kStride; ++column)
                At(row, column) = static_cast<std::uint16_t>(row * 31 + column * 7);
    }
    static std::vector<const StandinCall*> Downloads() { return CallsNamed("grTexDownloadMipMapLevel"); }
};

TEST_F(PageCacheTest, FullLoadDownloadsSeventeenPagesInPageOrder) {
    LoadTextures();
    std::vector<std::string> expected = {"grTexMinAddress"};
    for (int n = 0; n < 17; ++n) {
        expected.insert(expected.end(), {"grTexTextureMemRequired", "grTexMaxAddress", "grTexDownloadMipMapLevel"});
    }
    ASSERT_EQ(CallNames(), expected);
    EXPECT_EQ(Args(OnlyCall("grTexMinAddress")), V{0});

    const auto downloads = Downloads();
    const auto sizes = CallsNamed("grTexTextureMemRequired");
    const auto data = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(host.page.data()));
    for (int n = 0; n < 17; ++n) {
        SCOPED_TRACE(testing::Message() << "page " << n);
        const int aspect = n <= 2 ? 2 : 3;
        EXPECT_EQ(Args(*downloads[n]), (V{0, kPageStart[n], 0, 0, aspect, 11, 3, data}));
        EXPECT_EQ(downloads[n]->pixelCount, n <= 2 ? 256 * 128 : 256 * 256);
        EXPECT_EQ(sizes[n]->args[0], 3);
        EXPECT_EQ(sizes[n]->texInfo.aspectRatio, aspect);

        const TextureSlot& slot = slotTable.slots[n];
        EXPECT_EQ(slot.inUse, 1);
        EXPECT_EQ(slot.startAddress, kPageStart[n]);
        EXPECT_EQ(slot.tmu, 0);
        EXPECT_EQ(slot.info.smallLod, 0);
        EXPECT_EQ(slot.info.largeLod, 0);
        EXPECT_EQ(slot.info.aspectRatio, aspect);
        EXPECT_EQ(slot.info.format, 11);
        EXPECT_EQ(slot.info.data, host.page.data());
    }
    EXPECT_EQ(slotTable.slots[17].inUse, 0);
    EXPECT_EQ(slotTable.slots[17].startAddress, 0u);
    EXPECT_EQ(slotTable.tmuNext[0], 2031616u);
    EXPECT_EQ(staging.pagesCurrent, 1);
    EXPECT_EQ(standinErrorCount(), 0);
}

TEST_F(PageCacheTest, PagesAreCutFromTheirStagingBlocks) {
    FillByPosition();
    LoadTextures();
    const auto downloads = Downloads();
    ASSERT_EQ(downloads.size(), 17u);
    // First texel of a page: row 0 or 256, column 1280 + 256 x (n mod 11).
    const struct {
        int page, row, column;
    } origins[] = {{3, 0, 2048}, {7, 0, 3072}, {10, 0, 3840}, {11, 256, 1280}, {13, 256, 1792}, {16, 256, 2560}};
    for (const auto& o : origins) {
        SCOPED_TRACE(testing::Message() << "page " << o.page);
        const StandinCall& call = *downloads[o.page];
        ASSERT_EQ(call.pixelCount, 65536);
        EXPECT_EQ(call.pixels[0], At(o.row, o.column));
        int mismatches = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                mismatches += call.pixels[y * 256 + x] != At(o.row + y, o.column + x);
        EXPECT_EQ(mismatches, 0);
    }
    // The texels reached TMU memory at the slot's start.
    std::vector<std::uint16_t> tmu(65536);
    ASSERT_EQ(standinReadTexMemory(0, 1900544, tmu.data(), 131072), 131072);
    EXPECT_TRUE(std::equal(tmu.begin(), tmu.end(), downloads[16]->pixels));
    EXPECT_EQ(tmu[0], At(256, 2560));
    EXPECT_EQ(tmu[257], At(257, 2561));
}

TEST_F(PageCacheTest, FirstThreePagesAreHalvedRowPairByRowPair) {
    // Even rows over odd rows, one pair of texels per page, by hand:
    // 0x801F over 0x0001 -> 0x8010; 0x7FFF over 0x0000 -> 0x3DEF;
    // 0x4210 (16, 16, 16) over 0x8C63 (3, 3, 3, flag) -> 9, 9, 9 with the flag = 0xA529.
    const struct {
        std::uint16_t upper, lower, halved;
    } pairs[3] = {{0x801F, 0x0001, 0x8010}, {0x7FFF, 0x0000, 0x3DEF}, {0x4210, 0x8C63, 0xA529}};
    for (int n = 0; n < 3; ++n)
        for (int row = 0; row < 256; ++row)
            for (int column = 0; column < 256; ++column)
                At(row, 1280 + 256 * n + column) = row % 2 == 0 ? pairs[n].upper : pairs[n].lower;
    LoadTextures();
    const auto downloads = Downloads();
    ASSERT_EQ(downloads.size(), 17u);
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(testing::Message() << "page " << n);
        ASSERT_EQ(downloads[n]->pixelCount, 256 * 128);
        EXPECT_TRUE(std::all_of(downloads[n]->pixels, downloads[n]->pixels + 256 * 128,
                                [&](std::uint16_t t) { return t == pairs[n].halved; }));
    }
    std::uint16_t texel = 0;
    standinReadTexMemory(0, 65536 + 2 * (127 * 256 + 255), &texel, 2);
    EXPECT_EQ(texel, 0x3DEF);
}

TEST_F(PageCacheTest, HalvingAveragesRowsTwoIAndTwoIPlusOne) {
    // Page 1, column 0: row r holds r (red field), so halved row i is (2i + 2i + 1) / 2 = 2i.
    for (int row = 0; row < 256; ++row) At(row, 1536) = static_cast<std::uint16_t>(row % 32);
    LoadTextures();
    const StandinCall& page1 = *Downloads()[1];
    const struct {
        int row;
        std::uint16_t value;
    } rows[] = {{0, 0}, {1, 2}, {7, 14}, {15, 30}, {16, 0}, {127, 30}};
    for (const auto& r : rows) EXPECT_EQ(page1.pixels[r.row * 256], r.value) << "row " << r.row;
}

TEST_F(PageCacheTest, SecondLoadWithoutIndexedUploadOnlyForgetsTheTable) {
    LoadTextures();
    std::vector<std::uint8_t> table(16 + 32);
    Packet tableRect;
    tableRect.S16(4, 16).S16(6, 1);
    LoadImagePC(tableRect.data(), table.data() + 16);
    ASSERT_NE(staging.colorTable, nullptr);
    standinClearLog();
    LoadTextures();
    EXPECT_EQ(standinCallCount(), 0);
    EXPECT_EQ(staging.colorTable, nullptr);
    // The next upload away from the screen pages is direct: one pixel at column 1.
    const std::uint8_t pixel[2] = {0x01, 0x00};
    Packet rect;
    rect.S16(0, 1).S16(2, 0).S16(4, 1).S16(6, 1);
    EXPECT_EQ(LoadImagePC(rect.data(), pixel), 1);
    EXPECT_EQ(At(0, 1), 0x0400);
    EXPECT_EQ(At(0, 4), 0);
    EXPECT_EQ(staging.pagesCurrent, 1);
}

TEST_F(PageCacheTest, IndexedUploadMakesTheNextLoadDownloadEverything) {
    LoadTextures();
    std::vector<std::uint8_t> table(16 + 32);
    Packet tableRect;
    tableRect.S16(4, 16).S16(6, 1);
    LoadImagePC(tableRect.data(), table.data() + 16);
    const std::uint8_t indices[2] = {};
    Packet rect;
    rect.S16(0, 400).S16(2, 3).S16(4, 1).S16(6, 1);
    LoadImagePC(rect.data(), indices);
    EXPECT_EQ(staging.pagesCurrent, 0);
    standinClearLog();
    LoadTextures();
    EXPECT_EQ(Downloads().size(), 17u);
    EXPECT_EQ(staging.pagesCurrent, 1);
}

TEST_F(PageCacheTest, APageThatWouldStraddleTwoMiBStartsAtTheLine) {
    // From 0x20000, page 16 would run from 0x1F0000 to 0x210000.
    standinSetTexAddressRange(0, 0x20000, 0x3FFFF8);
    LoadTextures();
    EXPECT_EQ(slotTable.slots[0].startAddress, 0x20000u);
    EXPECT_EQ(slotTable.slots[3].startAddress, 0x50000u);
    EXPECT_EQ(slotTable.slots[15].startAddress, 0x1D0000u);
    EXPECT_EQ(slotTable.slots[16].startAddress, 0x200000u);
    EXPECT_EQ(slotTable.tmuNext[0], 0x220000u);
    EXPECT_EQ(standinErrorCount(), 0);
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

TEST_F(PageCacheTest, ResetClearsOnlyTheInUseFlags) {
    LoadTextures();
    const vrastex::SlotTable before = slotTable;
    standinSetTexAddressRange(0, 0x1000, 0x1FFFF8);
    vrastex::ResetTexMemory();
    EXPECT_EQ(slotTable.tmuNext[0], 0x1000u);
    for (int n = 0; n < 17; ++n) {
        SCOPED_TRACE(testing::Message() << "slot " << n);
        EXPECT_EQ(slotTable.slots[n].inUse, 0);
        EXPECT_EQ(slotTable.slots[n].startAddress, before.slots[n].startAddress);
        EXPECT_EQ(slotTable.slots[n].tmu, before.slots[n].tmu);
        EXPECT_EQ(slotTable.slots[n].info.aspectRatio, before.slots[n].info.aspectRatio);
        EXPECT_EQ(slotTable.slots[n].info.format, before.slots[n].info.format);
        EXPECT_EQ(slotTable.slots[n].info.data, before.slots[n].info.data);
    }
}

TEST(PageSizeTables, LodAndAspectForSize) {
    const struct {
        int width, height, lod, aspect;
    } cases[] = {
        {256, 128, 0, 2}, {100, 100, 0, 3}, {32, 256, 0, 6}, {256, 16, 0, 3}, {256, 256, 0, 3},
        {128, 128, 1, 3}, {64, 16, 2, 1},   {8, 32, 3, 5},   {16, 8, 4, 2},   {8, 64, 2, 6},
        {4, 8, 5, 4},     {4, 2, 6, 2},     {2, 1, 7, 2},    {1, 1, 8, 3},    {256, 32, 0, 0},
        {96, 32, 0, 3},   {256, 96, 0, 2},  {100, 25, 0, 1}, {512, 512, 0, 3}, {16, 128, 1, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vrastex::LodForSize(c.width, c.height), c.lod) << c.width << " x " << c.height;
        EXPECT_EQ(vrastex::AspectForSize(c.width, c.height), c.aspect) << c.width << " x " << c.height;
    }
}

}  // namespace
