// Host memory the plug-in works on in place: the shared blocks whose
// addresses the host hands over, and little-endian reads and writes of the
// records and packets it passes by pointer. Packets may sit at any address,
// so fields are copied out byte-wise rather than through casts.
#pragma once

#include <cstdint>

namespace vrastex {

struct HostMemory {
    std::uint16_t* staging;     // the host's staging surface
    std::uint16_t* pageBuffer;  // the host's scratch for one texture page
    std::int32_t directStride;  // row stride of direct uploads, in pixels
};

extern HostMemory hostMemory;

inline std::uint8_t ReadU8(const void* packet, int offset) {
    return static_cast<const std::uint8_t*>(packet)[offset];
}

inline std::uint16_t ReadU16(const void* packet, int offset) {
    const auto* p = static_cast<const std::uint8_t*>(packet) + offset;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::int16_t ReadS16(const void* packet, int offset) {
    return static_cast<std::int16_t>(ReadU16(packet, offset));
}

inline void WriteU8(void* packet, int offset, std::uint8_t value) {
    static_cast<std::uint8_t*>(packet)[offset] = value;
}

}  // namespace vrastex
