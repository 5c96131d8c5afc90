// Packets written by name land at the byte offsets of the host's packet
// tables, little-endian; the expected bytes are written out by hand.
#include <gtest/gtest.h>

#include "support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct PacketCase {
    const char* line;
    Bytes bytes;
};

void PrintTo(const PacketCase& c, std::ostream* os) { *os << c.line; }

class PacketBytes : public testing::TestWithParam<PacketCase> {};

TEST_P(PacketBytes, MatchTheLayout) {
    std::vector<replay::ScriptError> errors;
    const replay::Script script = replay_test::Parse(GetParam().line, errors);
    ASSERT_TRUE(errors.empty()) << errors[0].message;
    ASSERT_EQ(script.commands.size(), 1u);
    const replay::Block& block = script.blocks.at(script.commands[0].block);
    EXPECT_EQ(block.offset, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(block.bytes.begin(), block.bytes.end()), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Replay, PacketBytes,
    testing::Values(
        PacketCase{"DrawFlat link=0x04030201 rgb=64,32,16 code=3 xy0=10,-10 xy1=300,-32768 xy2=32767,0",
                   {0x01, 0x02, 0x03, 0x04, 64, 32, 16, 3, 0x0A, 0x00, 0xF6, 0xFF, 0x2C, 0x01, 0x00, 0x80, 0xFF,
                    0x7F, 0x00, 0x00}},
        PacketCase{"DrawFlat4 r=1 g=2 b=3 x0=1 y0=2 x1=3 y1=4 x2=5 y2=6 x3=-2 y3=0x7F",
                   {0, 0, 0, 0, 1, 2, 3, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 0xFE, 0xFF, 0x7F, 0x00}},
        PacketCase{"DrawGouraud rgb0=1,2,3 code=2 xy0=4,5 rgb1=6,7,8 xy1=9,10 rgb2=11,12,13 xy2=14,15",
                   {0, 0, 0, 0, 1, 2, 3, 2, 4, 0, 5, 0, 6, 7, 8, 0, 9, 0, 10, 0, 11, 12, 13, 0, 14, 0, 15, 0}},
        PacketCase{"DrawGouraud4 rgb3=0xAA,0xBB,0xCC xy3=-1,256",
                   {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                    0xAA, 0xBB, 0xCC, 0, 0xFF, 0xFF, 0x00, 0x01}},
        PacketCase{"DrawTile rgb=1,2,3 code=1 x=-1 y=2 w=320 h=256",
                   {0, 0, 0, 0, 1, 2, 3, 1, 0xFF, 0xFF, 0x02, 0x00, 0x40, 0x01, 0x00, 0x01}},
        PacketCase{"DrawFlatTexture rgb=128,128,128 xy0=1,2 uv0=200,230 clut=0x7FC5 xy1=3,4 uv1=5,6 page=0x0065 "
                   "xy2=7,8 uv2=9,10",
                   {0, 0, 0, 0, 0x80, 0x80, 0x80, 0, 1, 0, 2, 0, 0xC8, 0xE6, 0xC5, 0x7F,
                    3, 0, 4, 0, 5, 6, 0x65, 0x00, 7, 0, 8, 0, 9, 10, 0, 0}},
        PacketCase{"DrawFlatTexture4 page=0xFFFF xy3=-1,-2 uv3=255,0",
                   {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF,
                    0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0, 0}},
        PacketCase{"DrawGouraudTexture4 rgb0=1,2,3 code=2 xy0=4,5 uv0=6,7 clut=0x0102 rgb1=8,9,10 xy1=11,12 "
                   "uv1=13,14 page=0x0815 rgb2=15,16,17 xy2=18,19 uv2=20,21 rgb3=22,23,24 xy3=25,26 uv3=27,28",
                   {0, 0, 0, 0, 1, 2, 3, 2, 4, 0, 5, 0, 6, 7, 0x02, 0x01,
                    8, 9, 10, 0, 11, 0, 12, 0, 13, 14, 0x15, 0x08,
                    15, 16, 17, 0, 18, 0, 19, 0, 20, 21, 0, 0,
                    22, 23, 24, 0, 25, 0, 26, 0, 27, 28, 0, 0}},
        PacketCase{"DrawGouraudTexture page=0x1234",
                   {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                    0, 0, 0, 0, 0, 0, 0x34, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        PacketCase{"DrawLineFlat2 rgb=128,64,255 code=2 xy0=10,20 xy1=100,20 divisor=4",
                   {0, 0, 0, 0, 128, 64, 255, 2, 10, 0, 20, 0, 100, 0, 20, 0}},
        PacketCase{"DrawLineFlat4 xy0=1,2 xy1=3,4 xy2=5,6 xy3=7,8 divisor=1",
                   {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0}},
        PacketCase{"DrawLineGouraud rgb0=200,100,50 code=2 xy0=-10,5 rgb1=1,2,3 xy1=0,5",
                   {0, 0, 0, 0, 200, 100, 50, 2, 0xF6, 0xFF, 5, 0, 1, 2, 3, 0, 0, 0, 5, 0}},
        PacketCase{"PutDrawEnv x=0 y=256 w=320 h=-8", {0x00, 0x00, 0x00, 0x01, 0x40, 0x01, 0xF8, 0xFF}},
        PacketCase{"DoDrMode mode=0x0040", {0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x00}},
        PacketCase{"DoDrMove target=384,448 source=704,300 width=8 height=32",
                   {0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0xC0, 0x01, 0xC0, 0x02, 0x2C, 0x01, 0x08, 0x00, 0x20,
                    0x00}}));

}  // namespace
