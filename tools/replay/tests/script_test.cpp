// The script parser: every kind of bad input gives FILE:LINE and what is
// wrong; good input gives the words, packets and host memory expected.
#include <gtest/gtest.h>

#include "pictures.h"
#include "support.h"

namespace {

using replay::Op;
using replay::ScriptError;

struct ErrorCase {
    const char* script;
    int line;
    const char* message;  // must occur in the message
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.script; }

class ScriptErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(ScriptErrors, NameTheLineAndTheFault) {
    std::vector<ScriptError> errors;
    replay_test::Parse(GetParam().script, errors);
    ASSERT_EQ(errors.size(), 1u) << GetParam().script;
    const std::string text = replay::FormatError("t.replay", errors[0]);
    EXPECT_EQ(text.rfind("t.replay:" + std::to_string(GetParam().line) + ": ", 0), 0u) << text;
    EXPECT_NE(text.find(GetParam().message), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Replay, ScriptErrors,
    testing::Values(
        // Unknown names.
        ErrorCase{"fxInit 0 3 0\nDrawFlt rgb=1,2,3\n", 2, "unknown export or command 'DrawFlt'"},
        ErrorCase{"DrawFlat rgb=1,2,3 uv0=1,2\n", 1, "unknown field 'uv0' for DrawFlat"},
        // Field widths.
        ErrorCase{"DrawFlat rgb=256,0,0\n", 1, "rgb(r)=256 is out of range for its field, unsigned 8-bit (0..255)"},
        // Malformed numbers and lists.
        ErrorCase{"DrawFlat x0=1.5\n", 1, "malformed number '1.5'"},
        ErrorCase{"DrawFlat xy0=1\n", 1, "xy0= takes 2 values, got 1"},
        ErrorCase{"DrawFlat x0=1 xy0=2,3\n", 1, "x0 is given twice"},
        // Missing arguments.
        ErrorCase{"fxInit\n", 1, "fxInit: missing required argument res="},
        // Wrong numbers of things.
        ErrorCase{"fxInit 0 3 0 1\n", 1, "too many arguments for fxInit"},
        ErrorCase{"InitVariables 3\nLoadImagePC x=320 y=0 w=2 h=2 words=1,2,3\n", 2,
                  "words= has 3 values, the rectangle needs 4"},
        ErrorCase{"LoadImagePC table=16 words=1*17\n", 1, "17 entries, more than table=16"},
        ErrorCase{"InitVariables 3\nLoadImagePC x=0 y=0 w=30000 h=30000 fill=0\n", 2,
                  "holds more than the staging surface's 2097152 pixels"},
        ErrorCase{"BlitScreen width=4097 height=1\n", 1, "width=4097 is out of range for BlitScreen"},
        // Named packets.
        ErrorCase{"DrawFlat @p\n", 1, "no packet named 'p' is defined above"},
        ErrorCase{"packet p DrawTile\nDrawFlat @p\n", 2, "packet 'p' is a DrawTile packet, not DrawFlat"},
        ErrorCase{"expect result=1\n", 1, "no export above returns a result"},
        // Host memory the tool cannot provide.
        ErrorCase{"InitSurfaces 65537\n", 1, "InitSurfaces stride=65537 is wider than the tool's staging surface"}));

// Lines are counted with comments, blank lines and continuations, and every
// bad line is reported, not only the first.
TEST(ReplayScript, ReportsEveryBadLineAtItsNumber) {
    std::vector<ScriptError> errors;
    replay_test::Parse("# comment\n"
                       "\n"
                       "fxInit 0 3 0   # trailing comment\n"
                       "DrawFlat rgb=1,2,3 \\\n"
                       "   xy0=1,2 xy1=70000,0\n"
                       "Flip\n"
                       "Bogus\n",
                       errors);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].line, 4);
    EXPECT_NE(errors[0].message.find("xy1(x1)=70000"), std::string::npos) << errors[0].message;
    EXPECT_EQ(errors[1].line, 7);
}

std::vector<std::int32_t> operator+(std::vector<std::int32_t> a, const std::vector<std::int32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ReplayScript, WordsByPositionOrNameWithZeroDefaults) {
    std::vector<ScriptError> errors;
    const replay::Script script = replay_test::Parse("fxInit 0 3 0\n"
                                                     "fxInit res=5 point=1\n"
                                                     "InitVariables res=3\n"
                                                     "InitSurfaces 4096\n"
                                                     "InitGouraud\n"
                                                     "ShowPage 0 0 640 480 slot=5\n"
                                                     "DrawLineFlat2 rgb=1,2,3 divisor=-4\n"
                                                     "DrawLineFlat4 8\n",
                                                     errors);
    ASSERT_TRUE(errors.empty()) << errors[0].message;
    using W = std::vector<std::int32_t>;
    // InitVariables and InitSurfaces: the word the plug-in reads, then the unused ones.
    const W expected[] = {{0, 3, 0}, {0, 5, 1}, W{3} + W(31), W{4096} + W(9), {0, 0}, {0, 0, 640, 480, 5}, {-4}, {8}};
    ASSERT_EQ(script.commands.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(script.commands[i].words, expected[i]) << i;
    EXPECT_EQ(script.commands[0].exportId, replay::kFxInit);
    EXPECT_EQ(script.commands[6].exportId, replay::kDrawLineFlat2);
}

// A named packet is one block: calls and set use it in place, at run time.
TEST(ReplayScript, NamedPacketsAreSharedAndModifiedAtRunTime) {
    std::vector<ScriptError> errors;
    const replay::Script script = replay_test::Parse("packet t DrawFlatTexture page=0x0016 uv0=200,230\n"
                                                     "DrawFlatTexture @t\n"
                                                     "set t u0=1\n"
                                                     "DrawFlatTexture @t xy0=5,6\n"
                                                     "show t\n"
                                                     "expect t u0=72 v0=134\n",
                                                     errors);
    ASSERT_TRUE(errors.empty()) << errors[0].message;
    ASSERT_EQ(script.commands.size(), 5u);  // the definition itself runs nothing
    const int block = script.commands[0].block;
    const replay::Block& packet = script.blocks.at(block);
    EXPECT_EQ(packet.name, "t");
    EXPECT_EQ(packet.bytes[22], 0x16);
    EXPECT_EQ(packet.bytes[12], 200);
    EXPECT_EQ(packet.bytes[13], 230);
    EXPECT_EQ(packet.bytes[8], 0);  // xy0 is written when the call runs, not before
    for (const replay::Command& command : script.commands) EXPECT_EQ(command.block, block);
    EXPECT_EQ(script.commands[1].op, Op::Set);
    ASSERT_EQ(script.commands[2].writes.size(), 2u);
    EXPECT_EQ(script.commands[2].writes[0].field->offset, 8);
    EXPECT_EQ(script.commands[2].writes[0].value, 5);
    EXPECT_EQ(script.commands[3].op, Op::Show);
    EXPECT_EQ(script.commands[4].op, Op::ExpectFields);
    EXPECT_EQ(script.commands[4].writes[1].value, 134);
}

// The data block of an upload starts with the 16-byte header, and its first
// byte selects the table size; the data is padded to a whole 256-entry table.
TEST(ReplayScript, UploadDataAndColourTables) {
    std::vector<ScriptError> errors;
    const replay::Script script = replay_test::Parse("InitVariables 3\n"
                                                     "LoadImagePC x=320 y=2 w=2 h=1 words=0x801F,0x7C00\n"
                                                     "LoadImagePC x=321 y=0 w=1 h=1 bytes=0x21,0x43\n"
                                                     "LoadImagePC table=256 words=0x1234,0xFFFF*2\n"
                                                     "LoadImagePC table=16 fill=0x7FFF\n"
                                                     "LoadImagePC table=16 header=0x05 x=7 words=1\n"
                                                     "LoadImagePC x=330 y=0 w=2 h=2 fill=0x1111\n",
                                                     errors);
    ASSERT_TRUE(errors.empty()) << errors[0].message;
    ASSERT_EQ(script.commands.size(), 7u);
    auto rect = [&](int i) { return script.blocks.at(script.commands[i].block).bytes; };
    auto data = [&](int i) -> const replay::Block& { return script.blocks.at(script.commands[i].data); };
    using Bytes = replay::HostBytes;
    EXPECT_EQ(rect(1), (Bytes{0x40, 0x01, 0x02, 0x00, 0x02, 0x00, 0x01, 0x00}));
    EXPECT_EQ(rect(3), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00}));
    EXPECT_EQ(rect(4), (Bytes{0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x01, 0x00}));
    EXPECT_EQ(rect(5), (Bytes{0x07, 0x00, 0x00, 0x00, 0x10, 0x00, 0x01, 0x00}));
    for (int i = 1; i < 7; ++i) {
        EXPECT_EQ(data(i).offset, 16);
        EXPECT_EQ(data(i).bytes.size(), 16u + 512u);
    }
    const Bytes words = data(1).bytes;
    EXPECT_EQ(Bytes(words.begin(), words.begin() + 21), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                0x1F, 0x80, 0x00, 0x7C, 0x00}));
    EXPECT_EQ(data(2).bytes[16], 0x21);
    EXPECT_EQ(data(2).bytes[17], 0x43);
    const Bytes table256 = data(3).bytes;
    EXPECT_EQ(table256[0], 1);  // header: 8-bit
    EXPECT_EQ(Bytes(table256.begin() + 16, table256.begin() + 24), (Bytes{0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    const Bytes table16 = data(4).bytes;
    EXPECT_EQ(table16[0], 0);  // header: 4-bit
    EXPECT_EQ(table16[16 + 30], 0xFF);
    EXPECT_EQ(table16[16 + 31], 0x7F);
    EXPECT_EQ(table16[16 + 32], 0);  // 16 entries, then zeros
    EXPECT_EQ(data(5).bytes[0], 5);
    EXPECT_EQ(Bytes(data(6).bytes.begin() + 16, data(6).bytes.begin() + 25), (Bytes{0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0}));
}

// The staging surface is 512 rows at the widest stride handed over, never
// narrower than the plug-in's own 4096, so no direct upload can leave it.
TEST(ReplayScript, StagingSurfaceFitsTheWidestStride) {
    const struct {
        const char* script;
        std::int64_t stride;
    } cases[] = {{"fxInit 0 3 0\n", 4096}, {"InitSurfaces 320\n", 4096}, {"InitSurfaces 8192\nInitSurfaces 640\n", 8192},
                 {"InitSurfaces -5\n", 4096}, {"InitSurfaces 65536\n", 65536}};
    for (const auto& c : cases) {
        std::vector<ScriptError> errors;
        const replay::Script script = replay_test::Parse(c.script, errors);
        EXPECT_TRUE(errors.empty()) << c.script;
        EXPECT_EQ(script.stagingStride, c.stride) << c.script;
    }
}

// Pictures from files: paths relative to the script, quoted when they hold
// spaces; each kind of PNG where it fits, and a clear refusal where not.
class ReplayScriptPictures : public testing::Test {
protected:
    std::filesystem::path dir = replay_test::WorkDir();

    void SetUp() override {
        // 2 x 1 RGB: pure red, then (8, 16, 24).
        ASSERT_TRUE(replay_test::WritePng(dir / "rgb pair.png", 2, 1, replay_test::kPngRgb, {255, 0, 0, 8, 16, 24}));
        // 8 x 2 palette of 4 colours (2-bit file), indices 0..3.
        ASSERT_TRUE(replay_test::WritePng(dir / "pal.png", 8, 2, replay_test::kPngPalette,
                                          {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 1, 1, 2, 2, 2, 2},
                                          {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
        // 4 x 1 palette of 20 colours (8-bit file), indices 17, 3, 0, 0.
        std::vector<std::uint8_t> colours(60, 0);
        ASSERT_TRUE(replay_test::WritePng(dir / "pal20.png", 4, 1, replay_test::kPngPalette, {17, 3, 0, 0}, colours));
        replay_test::WriteText(dir / "text.png", "not a picture\n");
    }

    replay::Script Parse(const std::string& text, std::vector<ScriptError>& errors) {
        return replay_test::Parse(text, errors, dir);
    }
};

TEST_F(ReplayScriptPictures, PaletteBecomesIndicesAndTables) {
    std::vector<ScriptError> errors;
    const replay::Script script = Parse("InitVariables 3\n"
                                        "LoadImagePC table=16 png=pal.png\n"
                                        "LoadImagePC x=320 y=0 png=pal.png\n"
                                        "LoadImagePC x=320 y=8 png=pal.png bits=8\n"
                                        "LoadImagePC table=256 png=pal20.png\n"
                                        "LoadImagePC x=330 y=0 png=pal20.png\n",
                                        errors);
    ASSERT_TRUE(errors.empty()) << errors[0].message;
    using Bytes = replay::HostBytes;
    const Bytes& table = script.blocks.at(script.commands[1].data).bytes;
    EXPECT_EQ(Bytes(table.begin() + 16, table.begin() + 26), (Bytes{0, 0, 0x1F, 0, 0xE0, 0x03, 0x00, 0x7C, 0, 0}));
    // 4-bit (from the 2-bit file): 8 pixels a row are 2 units, first pixel in the low nibble.
    EXPECT_EQ(script.blocks.at(script.commands[2].block).bytes, (Bytes{0x40, 0x01, 0, 0, 2, 0, 2, 0}));
    const Bytes& four = script.blocks.at(script.commands[2].data).bytes;
    EXPECT_EQ(Bytes(four.begin() + 16, four.begin() + 24), (Bytes{0x10, 0x32, 0x23, 0x01, 0x11, 0x11, 0x22, 0x22}));
    // 8-bit: 8 pixels a row are 4 units, one index a byte.
    EXPECT_EQ(script.blocks.at(script.commands[3].block).bytes, (Bytes{0x40, 0x01, 8, 0, 4, 0, 2, 0}));
    const Bytes& eight = script.blocks.at(script.commands[3].data).bytes;
    EXPECT_EQ(Bytes(eight.begin() + 16, eight.begin() + 24), (Bytes{0, 1, 2, 3, 3, 2, 1, 0}));
    // An 8-bit file is 8-bit data unless bits= says otherwise.
    EXPECT_EQ(script.blocks.at(script.commands[5].block).bytes, (Bytes{0x4A, 0x01, 0, 0, 2, 0, 1, 0}));
    const Bytes& wide = script.blocks.at(script.commands[5].data).bytes;
    EXPECT_EQ(Bytes(wide.begin() + 16, wide.begin() + 21), (Bytes{17, 3, 0, 0, 0}));
}

TEST_F(ReplayScriptPictures, WrongKindsAndMissingFilesAreRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"LoadImagePC x=320 y=0 png=none.png", "png=none.png: cannot open"},
        {"LoadImagePC x=320 y=0 png=text.png", "is not a PNG file"},
        {"LoadImagePC table=16 png=\"rgb pair.png\"", "has no palette"},
        {"LoadImagePC table=16 png=pal20.png", "20 entries, more than table=16"},
        {"LoadImagePC x=320 y=0 png=pal20.png bits=4", "index 17 at pixel (0, 0) does not fit a 4-bit upload"},
        {"LoadImagePC x=320 y=0 png=\"rgb pair.png\" bits=8", "bits= applies to a palette png="},
        {"LoadImagePC x=320 y=0 png=pal.png flag=1", "flag= applies to direct colour"},
        {"LoadImagePC x=320 y=0 w=3 png=\"rgb pair.png\"", "w=3 does not match png=rgb pair.png, which gives w=2"},
        {"LoadImagePC x=320 y=0 png=pal20.png bits=8 h=2", "h=2 does not match"},
        {"LoadImagePC x=320 y=0 png=pal.png bits=6", "bits= is 4 or 8"},
        {"BlitScreen png=pal.png", "is a palette picture; BlitScreen needs an RGB picture"},
    };
    for (const auto& [line, message] : cases) {
        std::vector<ScriptError> errors;
        Parse(std::string("InitVariables 3\n") + line + "\n", errors);
        ASSERT_EQ(errors.size(), 1u) << line;
        EXPECT_EQ(errors[0].line, 2) << line;
        EXPECT_NE(errors[0].message.find(message), std::string::npos) << errors[0].message;
    }
}

TEST(ReplayNumbers, Syntax) {
    const std::pair<const char*, std::int64_t> good[] = {
        {"0", 0}, {"-0", 0}, {"+7", 7}, {"0x7fC5", 0x7FC5}, {"-0x10", -16}, {"0X1F", 31}, {"007", 7},
    };
    for (const auto& [text, expected] : good) {
        std::int64_t value = -99;
        EXPECT_TRUE(replay::ParseNumber(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"", "-", "0x", "x1", "1e3", " 1", "0x1g", "1_000", "+-1"}) {
        std::int64_t value;
        EXPECT_FALSE(replay::ParseNumber(text, value)) << text;
    }
}

}  // namespace
