// Integer helpers for the translation arithmetic: truncation toward zero and
// 32-bit wrap-around, both defined for every input so that hostile packets
// cannot reach an undefined conversion.
#pragma once

#include <cstdint>

namespace vrastex {

inline std::int32_t TruncateToInt(double value) {
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

inline std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline std::int32_t WrappingSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

}  // namespace vrastex
