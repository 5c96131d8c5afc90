// On an x87 FPU the host may leave any precision in the control word. The
// exports compute at 53 bits whatever it is and give the host its word back.
#include "support/plugin_fixture.h"

namespace {

#if defined(__i386__) && !defined(__SSE2_MATH__)

unsigned short ControlWord() {
    unsigned short word;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

void SetControlWord(unsigned short word) { __asm__ volatile("fldcw %0" : : "m"(word)); }

using PrecisionTest = PluginTest;

TEST_F(PrecisionTest, ExportsComputeAtDoublePrecisionUnderA24BitHost) {
    OpenAt(1);  // Glide bound, so RenderScene shows what was computed
    const unsigned short original = ControlWord();
    // Precision control 00 (24 bits) and rounding toward zero, as a careless host might leave it.
    const unsigned short host = static_cast<unsigned short>((original & ~0x0F00u) | 0x0C00u);
    SetControlWord(host);
    InitHost(this->host, 1);  // 512 x 384: scale x 1.6, which 24 bits cannot hold
    SetDrawEnv(-16, -16, 300, 300);
    Packet tri;
    tri.Xy(8, 3 + 16, 16).Xy(12, 100, 16).Xy(16, 16, 100);
    DrawFlat(tri.data());
    const unsigned short after = ControlWord();
    SetControlWord(original);

    EXPECT_EQ(after, host);
    const auto& sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].vertices[2].x, 786436.8125f);  // 4.8 rounded to nearest, not toward zero
    EXPECT_EQ(sent[0].vertices[2].y, 786432.0f);
}

#endif

}  // namespace
