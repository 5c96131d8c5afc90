// The stand-in's combine units, every function by hand: X = other (or 0),
// minus local, times (m + 1) / 256 rounded down, plus local or the local
// alpha, clamped to 0..255, inverted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/texture_unit.h"

namespace {

int Combine(FxI32 function, FxBool invert, int local, int other, int localAlpha, int m) {
    std::vector<std::string> problems;
    const CombineUnit unit = MakeCombineUnit(function, GR_COMBINE_FACTOR_LOCAL, invert, false, "unit", problems);
    EXPECT_TRUE(problems.empty());
    return CombineChannel(unit, local, other, localAlpha, m);
}

TEST(Combine, EveryFunctionByHand) {
    // local 100, other 200, local alpha 50, m 127: X * 128 / 256 halves X.
    const struct {
        FxI32 function;
        int expected;
    } cases[] = {
        {GR_COMBINE_FUNCTION_ZERO, 0},
        {GR_COMBINE_FUNCTION_LOCAL, 100},
        {GR_COMBINE_FUNCTION_LOCAL_ALPHA, 50},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, 100},                               // 200 / 2
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, 200},                     // 100 + 100
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA, 150},               // 100 + 50
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL, 50},                    // (200 - 100) / 2
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL, 150},         // 50 + 100
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA, 100},   // 50 + 50
        {GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL, 50},                // -100 / 2 + 100
        {GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA, 0},           // -50 + 50
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Combine(c.function, FXFALSE, 100, 200, 50, 127), c.expected) << "function " << c.function;
        EXPECT_EQ(Combine(c.function, FXTRUE, 100, 200, 50, 127), 255 - c.expected) << "inverted " << c.function;
    }
}

TEST(Combine, ResultsAreClampedAndScalingRoundsDown) {
    const struct {
        FxI32 function;
        int local, other, localAlpha, m, expected;
    } cases[] = {
        {GR_COMBINE_FUNCTION_SCALE_OTHER, 0, 255, 0, 255, 255},                 // 255 * 256 / 256
        {GR_COMBINE_FUNCTION_SCALE_OTHER, 0, 255, 0, 0, 0},                     // 255 / 256 rounds down
        {GR_COMBINE_FUNCTION_SCALE_OTHER, 0, 3, 0, 127, 1},                     // 3 / 2 rounds down
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, 200, 255, 0, 255, 255},     // 455 clamps
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL, 255, 0, 0, 255, 0},       // -255 clamps
        {GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL, 3, 0, 0, 127, 1},     // -3 / 2 is -2 (floor), + 3
    };
    for (const auto& c : cases)
        EXPECT_EQ(Combine(c.function, FXFALSE, c.local, c.other, c.localAlpha, c.m), c.expected)
            << "function " << c.function << " local " << c.local << " other " << c.other << " m " << c.m;
}

}  // namespace
