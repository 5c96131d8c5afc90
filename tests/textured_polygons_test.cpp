// Textured triangles and quadrilaterals: the texture page word, placeholders,
// state set by dropped packets, page 12 without a redirect, and the
// colour-table rule.
#include "support/plugin_fixture.h"

namespace {

constexpr float kSnap = 786432.0f;
constexpr int kPage12 = 0x0016;  // page column 6, page row 1

struct TexVertex {
    int x, y, u, v;
    int r = 0, g = 0, b = 0;
};

// DrawFlatTexture(4) packet: colour at 4, vertex k at 8 + 8k (x, y, u, v),
// colour-table word at 14, page word at 22.
Packet FlatTexture(const std::vector<TexVertex>& vs, int pageWord, int code = 0, int tableWord = 0) {
    Packet p;
    p.Rgb(4, 40, 50, 60).U8(7, code).U16(14, tableWord);
    for (std::size_t k = 0; k < vs.size(); ++k)
        p.Xy(8 + 8 * k, vs[k].x, vs[k].y).U8(12 + 8 * k, vs[k].u).U8(13 + 8 * k, vs[k].v);
    p.U16(22, pageWord);
    return p;
}

// DrawGouraudTexture(4) packet: vertex k at 4 + 12k (r, g, b, -, x, y, u, v),
// page word at 26.
Packet GouraudTexture(const std::vector<TexVertex>& vs, int pageWord, int code = 0) {
    Packet p;
    for (std::size_t k = 0; k < vs.size(); ++k) {
        const int at = 4 + 12 * static_cast<int>(k);
        p.Rgb(at, vs[k].r, vs[k].g, vs[k].b).Xy(at + 4, vs[k].x, vs[k].y).U8(at + 8, vs[k].u).U8(at + 9, vs[k].v);
    }
    p.U8(7, code).U16(26, pageWord);
    return p;
}

const std::vector<TexVertex> kTriangle = {{10, 10, 10, 20}, {100, 10, 20, 20}, {10, 100, 30, 20}};

// Which slot a record draws from, told by where grTexSource points: every
// page loaded from TMU address 0x100 on, pages 0-2 halved (64 KiB), 3-16 whole
// (128 KiB); slot 17 is never loaded and starts at 0.
int Slot(const SentRecord& r) {
    if (r.texAddress <= 0) return r.texAddress == 0 ? 17 : -1;
    const std::int64_t at = r.texAddress - 0x100;
    return at < 0x30000 ? static_cast<int>(at / 0x10000) : 3 + static_cast<int>((at - 0x30000) / 0x20000);
}

// Blend function of the adding mode.
const std::vector<std::int64_t> kAddBlend = {1, 1, 4, 0};

// Screen 640 x 480 (scale 2.0 x 1.875), every page loaded.
class TexturedTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        OpenAt(3);
        standinSetTexAddressRange(0, 0x100, 0x1FFFF8);
        LoadTextures();
    }
    static const SentRecord& Record(int i = 0) { return Sent().at(i); }
    static std::vector<std::pair<float, float>> TexCoords(int i = 0) {
        std::vector<std::pair<float, float>> st;
        for (int k = 0; k < Record(i).vertexCount; ++k)
            st.emplace_back(Record(i).vertices[k].tmuvtx[0].sow, Record(i).vertices[k].tmuvtx[0].tow);
        return st;
    }
    static void Move(int targetX, int targetY, int sourceX, int sourceY) {
        Packet p;
        p.Xy(8, targetX, targetY).Xy(12, sourceX, sourceY);
        DoDrMove(p.data());
    }
};

using Pairs = std::vector<std::pair<float, float>>;

TEST_F(TexturedTest, PageWordSelectsTheSlot) {
    const struct {
        int word, slot;  // -1: dropped
    } cases[] = {
        {0x0005, 0}, {0x000F, 10}, {0x0015, 11}, {0x001B, 17}, {0x001C, -1},
        {0x0004, -1}, {0x0010, 6}, {0x0800, 17}, {0x0805, -1}, {0xF78A, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "word " << c.word);
        ForgetSent();
        Packet p = FlatTexture(kTriangle, c.word);
        DrawFlatTexture(p.data());
        if (c.slot < 0) {
            EXPECT_EQ(Sent().size(), 0u);
            continue;
        }
        ASSERT_EQ(Sent().size(), 1u);
        EXPECT_EQ(Slot(Record()), c.slot);
        if (c.slot == 17) {
            for (int k = 0; k < Record().vertexCount; ++k) EXPECT_EQ(Record().vertices[k].tmuvtx[0].tow, 0.0f);
        }
    }
}

TEST_F(TexturedTest, DroppedPacketsStillSetBlendModeAndFullBright) {
    const std::vector<TexVertex> offArea = {{-50, 10, 0, 0}, {-10, 10, 0, 0}, {-30, 50, 0, 0}};
    const std::vector<TexVertex> placeholder = {{-1, 10, 0, 0}, {-1, 20, 0, 0}, {-1, 30, 0, 0}};
    const struct {
        const char* what;
        Packet packet;
    } cases[] = {
        {"clipped away", FlatTexture(offArea, 0x0065, 0x01)},
        {"slot 18", FlatTexture(kTriangle, 0x007C, 0x01)},
        {"placeholder", FlatTexture(placeholder, 0x0065, 0x01)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();  // a fresh plug-in: mode 0, full-bright clear
        Packet p = c.packet;
        DrawFlatTexture(p.data());
        EXPECT_EQ(Sent().size(), 0u);
        // A semi-transparent Gouraud line shows both: white, blended in mode 3 (adding, untextured).
        Packet line;
        line.U8(7, 0x02).Xy(8, 10, 10).Xy(16, 50, 50);
        DrawLineGouraud(line.data());
        ASSERT_EQ(Sent().size(), 1u);
        EXPECT_EQ(Record().vertices[0].r, 255.0f);
        EXPECT_EQ(Record().blend, kAddBlend);
    }
}

// The placeholder test runs before the redirect, so whether the packet's u, v
// were rewritten tells whether it got past the test.
TEST_F(TexturedTest, AllXOfMinusOneIsAPlaceholderOnlyForFlatPackets) {
    Move(384, 448, 656, 128);  // cell 0 -> slot 5, origin (64, 128)
    const std::vector<TexVertex> allMinusOne = {{-1, 10, 0, 192}, {-1, 20, 1, 193}, {-1, 30, 2, 194}, {-1, 40, 3, 195}};
    const std::vector<TexVertex> firstThree(allMinusOne.begin(), allMinusOne.begin() + 3);
    std::vector<TexVertex> oneAtZero = firstThree;
    oneAtZero[2].x = 0;
    std::vector<TexVertex> fourthAt100 = allMinusOne;
    fourthAt100[3].x = 100;
    const struct {
        const char* what;
        void (*draw)(void*);
        Packet packet;
        bool rewritten;
    } cases[] = {
        {"flat, three -1", DrawFlatTexture, FlatTexture(firstThree, kPage12), false},
        {"flat, one at 0", DrawFlatTexture, FlatTexture(oneAtZero, kPage12), true},
        {"flat4, four -1", DrawFlatTexture4, FlatTexture(allMinusOne, kPage12), false},
        {"flat4, fourth at 100", DrawFlatTexture4, FlatTexture(fourthAt100, kPage12), true},
        {"gouraud, three -1", DrawGouraudTexture, GouraudTexture(firstThree, kPage12), true},
        {"gouraud4, four -1", DrawGouraudTexture4, GouraudTexture(allMinusOne, kPage12), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Packet p = c.packet;
        c.draw(p.data());
        EXPECT_EQ(p.bytes[12], c.rewritten ? 64 : 0);
        EXPECT_EQ(p.bytes[13], c.rewritten ? 128 : 192);
    }
    // A packet that passes the test draws as usual: the edge at x = -1 is cut
    // off at x = 0, leaving (100, 50) and two crossings.
    ForgetSent();
    Packet drawn = FlatTexture({{-1, 10, 0, 0}, {-1, 100, 0, 0}, {100, 50, 0, 0}}, 0x0005);
    DrawFlatTexture(drawn.data());
    ASSERT_EQ(Sent().size(), 1u);
    ASSERT_EQ(Record().vertexCount, 3);
    int onTheBound = 0;
    for (int k = 0; k < 3; ++k) onTheBound += Record().vertices[k].x == kSnap;
    EXPECT_EQ(onTheBound, 2);
}

TEST_F(TexturedTest, UntouchedCellDrawsFromSlotZeroAtTheOrigin) {
    Packet p = FlatTexture({{10, 10, 200, 230}, {100, 10, 205, 231}, {10, 100, 220, 250}}, kPage12);
    DrawFlatTexture(p.data());
    EXPECT_EQ(p.bytes[12], 8);
    EXPECT_EQ(p.bytes[13], 6);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Slot(Record()), 0);
    // u 8, 13, 28 -> 9, 14, 27; v 6, 7, 26 -> 7, 8, 25, halved by slot 0's t-scale.
    EXPECT_EQ(TexCoords(), (Pairs{{14, 4}, {27, 12.5f}, {9, 3.5f}}));
}

// Vertex 0 at u 232, v 200 picks cell (200 >> 5) - 6 = 0 row, 232 >> 5 = 7
// column: cell 7, at target (440, 448). Source (656, 300) is slot
// (2624 - 1280) / 256 + 11 = 16, u origin (656 mod 64) * 4 = 64, v origin 44.
// Each vertex keeps only its place inside its 32-texel cell (u & 31, v & 31),
// bit 5 of u included.
TEST_F(TexturedTest, RedirectKeepsEachVertexsPlaceInsideItsCell) {
    Move(440, 448, 656, 300);
    Packet p = FlatTexture({{10, 10, 232, 200}, {100, 10, 255, 223}, {10, 100, 224, 240}}, kPage12);
    DrawFlatTexture(p.data());
    // u & 31: 8, 31, 0; v & 31: 8, 31, 16.
    EXPECT_EQ((std::vector<int>{p.bytes[12], p.bytes[13], p.bytes[20], p.bytes[21], p.bytes[28], p.bytes[29]}),
              (std::vector<int>{72, 52, 95, 75, 64, 60}));
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Slot(Record()), 16);
    // Pulled toward means 77 and 62.3: u 73, 94, 65; v 53, 74, 61 (t-scale 1).
    EXPECT_EQ(TexCoords(), (Pairs{{94, 74}, {65, 61}, {73, 53}}));
}

TEST_F(TexturedTest, PageTwelveAboveTheCellsDrawsFromItselfUnchanged) {
    Move(432, 448, 656, 128);
    Packet p = FlatTexture({{10, 10, 200, 191}, {100, 10, 210, 250}, {10, 100, 220, 100}}, kPage12);
    const Packet before = p;
    DrawFlatTexture(p.data());
    EXPECT_EQ(p.bytes, before.bytes);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Slot(Record()), 12);
    // u 200, 210, 220 -> 201, 211, 219; v 191, 250, 100 (mean 180.3) -> 190, 249, 101.
    EXPECT_EQ(TexCoords(), (Pairs{{211, 249}, {219, 101}, {201, 190}}));
}

TEST_F(TexturedTest, FlatQuadColourTableWordMakesOpaqueQuadsSeeThrough) {
    const std::vector<TexVertex> quad = {{10, 10, 0, 0}, {50, 10, 0, 0}, {10, 50, 0, 0}, {50, 50, 0, 0}};
    const struct {
        int tableWord, code, pageWord;
        int blend;
        float alpha;
    } cases[] = {
        {0x7FC5, 0, 0x0005, 3, 100.0f}, {0x0002, 0, 0x0005, 3, 100.0f}, {0x000D, 0, 0x0025, 3, 100.0f},
        {0x0001, 0, 0x0005, 0, 255.0f}, {0x000E, 0, 0x0005, 0, 255.0f}, {0x000F, 0, 0x0005, 0, 255.0f},
        {0xFFF0, 0, 0x0005, 0, 255.0f}, {0x7FC5, 2, 0x0025, 1, 128.0f}, {0x7FC5, 2, 0x0005, 0, 128.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "table word " << c.tableWord << " code " << c.code);
        ForgetSent();
        Packet p = FlatTexture(quad, c.pageWord, c.code, c.tableWord);
        DrawFlatTexture4(p.data());
        ASSERT_EQ(Sent().size(), 1u);
        EXPECT_EQ(Record().blend, c.blend == 1 ? kAddBlend : kMixBlend);  // 0 and 3 mix, told apart by alpha
        for (int k = 0; k < Record().vertexCount; ++k) EXPECT_EQ(Record().vertices[k].a, c.alpha);
    }
    // The other textured exports do not read the word.
    ForgetSent();
    Packet triangle = FlatTexture(kTriangle, 0x0005, 0, 0x0005);
    DrawFlatTexture(triangle.data());
    Packet gouraud = GouraudTexture(quad, 0x0005);
    gouraud.U16(14, 0x0005);
    DrawGouraudTexture4(gouraud.data());
    ASSERT_EQ(Sent().size(), 2u);
    for (int i : {0, 1}) EXPECT_TRUE(Record(i).blend == kMixBlend && Record(i).vertices[0].a == 255.0f) << i;
}

}  // namespace
