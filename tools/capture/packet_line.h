// One packet as a replay script line: the export's name and every field that
// is not zero, by the script's field and group names ("DrawFlat rgb=64,32,16
// xy0=10,10 ..."). No line end, so that callers can add words.
#pragma once

#include <cstdint>

#include "packet_fields.h"

namespace capture {

void WritePacket(PacketType type, const std::uint8_t* packet);

}  // namespace capture
