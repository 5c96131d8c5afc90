// The trace's float text must equal std::to_chars's shortest form, which the
// stand-in's traces were first written with; the tracer's copy of the writer
// has no C library to lean on.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <string>

#include "model/trace_format.h"

namespace {

std::string Ours(std::uint32_t bits) {
    char text[16];
    return std::string(text, static_cast<std::size_t>(FormatShortestFloat(std::bit_cast<float>(bits), text)));
}

std::string Standard(std::uint32_t bits) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, std::bit_cast<float>(bits)).ptr);
}

TEST(TraceFormat, FloatsReadLikeToChars) {
    // Every exponent with the mantissas at its edges (powers of two, where the
    // gap below is half the gap above), both signs, then a sweep.
    int checked = 0;
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
        for (std::uint32_t mantissa : {0u, 1u, 2u, 3u, 0x400000u, 0x7FFFFEu, 0x7FFFFFu}) {
            for (std::uint32_t sign : {0u, 1u}) {
                const std::uint32_t bits = sign << 31 | exponent << 23 | mantissa;
                ASSERT_EQ(Ours(bits), Standard(bits)) << std::hex << bits;
                ++checked;
            }
        }
    }
    for (std::uint64_t bits = 0; bits < 0x7F800000u; bits += 9973) {
        ASSERT_EQ(Ours(std::uint32_t(bits)), Standard(std::uint32_t(bits))) << std::hex << bits;
        ++checked;
    }
    EXPECT_GT(checked, 200000);
    // Integers up to 10^14 print exactly, larger ones in the scientific form.
    EXPECT_EQ(Ours(std::bit_cast<std::uint32_t>(123456792.0f)), "123456792");
    EXPECT_EQ(Ours(std::bit_cast<std::uint32_t>(1e10f)), "1e+10");
}

}  // namespace
