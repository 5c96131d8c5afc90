#include "scene/polygons.h"

#include "scene/clip.h"
#include "scene/record_writer.h"
#include "scene/scene_list.h"
#include "texture/host_memory.h"

namespace vrastex {

namespace {

std::uint8_t CodeOf(const void* packet) { return ReadU8(packet, 7); }

void BeginPacket(const void* packet) { drawState.fullBright = CodeOf(packet) & kCodeFullBright; }

// Appends the untextured record of the packet's polygon, if clipping leaves any.
template <int count, typename Fetch>
[[gnu::always_inline]] inline void FinishPolygon(const void* packet, const Fetch& fetch) {
    AppendPacketPolygon<false, count>(fetch, TransparencyFor(CodeOf(packet)), kUntexturedSlot, 0.0f);
}

// One-colour packet: points from byte 8 on, 4 bytes each, taken in `walk` order.
template <int count, const int (&walk)[count]>
void DrawFlatPolygon(const void* packet) {
    BeginPacket(packet);
    FinishPolygon<count>(packet, [&](auto k) {
        constexpr int at = 8 + 4 * walk[k];
        return PacketVertex{ReadS16(packet, at), ReadS16(packet, at + 2), 0, 0, ReadU8(packet, 4),
                            ReadU8(packet, 5), ReadU8(packet, 6)};
    });
}

// Gouraud packet: 8 bytes a point, colour first (point 0's colour is the header's).
template <int count, const int (&walk)[count]>
void DrawGouraudPolygon(const void* packet) {
    BeginPacket(packet);
    FinishPolygon<count>(packet, [&](auto k) {
        constexpr int at = 4 + 8 * walk[k];
        return PacketVertex{ReadS16(packet, at + 4), ReadS16(packet, at + 6), 0, 0, ReadU8(packet, at),
                            ReadU8(packet, at + 1), ReadU8(packet, at + 2)};
    });
}

// Stored in the opposite rotation to DrawFlat: the host's Gouraud triangles
// come with the other winding.
constexpr int kGouraudTriangleWalk[3] = {0, 2, 1};

}  // namespace

void DrawFlat(const void* packet) { DrawFlatPolygon<3, kTriangleWalk>(packet); }
void DrawFlat4(const void* packet) { DrawFlatPolygon<4, kQuadWalk>(packet); }
void DrawGouraud(const void* packet) { DrawGouraudPolygon<3, kGouraudTriangleWalk>(packet); }
void DrawGouraud4(const void* packet) { DrawGouraudPolygon<4, kQuadWalk>(packet); }

void DrawTile(const void* packet) {
    BeginPacket(packet);
    // Corners top-left, top-right, bottom-right, bottom-left.
    FinishPolygon<4>(packet, [&](auto k) {
        const std::int32_t x = ReadS16(packet, 8), y = ReadS16(packet, 10);
        return PacketVertex{k == 1 || k == 2 ? x + ReadS16(packet, 12) : x,
                            k >= 2 ? y + ReadS16(packet, 14) : y, 0, 0, ReadU8(packet, 4), ReadU8(packet, 5),
                            ReadU8(packet, 6)};
    });
}

}  // namespace vrastex
