// The bytes of every packet and record the host hands over by pointer, as the
// capture writes them: each field or group of fields under the name the replay
// script uses (docs/replay-format.md), covering every byte of the packet,
// including those the plug-in leaves unread. vrastex-replay builds its packet
// layouts from these tables too.
#pragma once

#include <cstdint>

namespace capture {

enum class FieldKind : std::uint8_t {
    U8,
    U16,
    S16,
    U32,
    Rgb,   // three unsigned 8-bit values: rgb=1,2,3
    Uv,    // two unsigned 8-bit values: uv0=200,230
    Pair,  // two signed 16-bit values: xy0=10,20
};

struct FieldDef {
    const char* name;
    std::uint8_t offset;
    FieldKind kind;
};

struct PacketDef {
    const char* exportName;
    std::uint8_t size;  // bytes recorded and replayed: the packet as the export may read it
    const FieldDef* fields;
    std::uint8_t fieldCount;
};

enum PacketType : std::uint8_t {
    kPutDrawEnvPacket,
    kDoDrModePacket,
    kDoDrMovePacket,
    kDrawFlatPacket,
    kDrawFlat4Packet,
    kDrawGouraudPacket,
    kDrawGouraud4Packet,
    kDrawTilePacket,
    kDrawFlatTexturePacket,
    kDrawFlatTexture4Packet,
    kDrawGouraudTexturePacket,
    kDrawGouraudTexture4Packet,
    kDrawLineFlat2Packet,
    kDrawLineFlat4Packet,
    kDrawLineGouraudPacket,
    kImageRectangle,  // LoadImagePC's first argument
    kPacketTypeCount
};

const PacketDef& Packet(PacketType type);

}  // namespace capture
