// Decimal digits without a C library: the messages of the plug-in's diagnostic
// build, the Glide trace text and the capture file all write numbers this way,
// in code that may link no C runtime.
#pragma once

#include <cstdint>

namespace vrastex {

// Writes `value` in decimal to `out` (at least 21 bytes), NUL-terminated;
// returns the number of characters.
inline int FormatDecimal(std::int64_t value, char* out) {
    char digits[20];
    int n = 0;
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    int length = 0;
    if (value < 0) out[length++] = '-';
    while (n > 0) out[length++] = digits[--n];
    out[length] = '\0';
    return length;
}

}  // namespace vrastex
