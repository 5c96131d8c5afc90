#include "scene/polygons.h"

#include "scene/clip.h"
#include "scene/record_writer.h"
#include "scene/scene_list.h"
#include "texture/host_memory.h"

namespace vrastex {

namespace {

// Quadrilateral packets list their corners top-left, top-right, bottom-left,
// bottom-right; walking 2, 0, 1, 3 goes round the outline.
constexpr int kQuadWalk[4] = {2, 0, 1, 3};

std::uint8_t CodeOf(const void* packet) { return ReadU8(packet, 7); }

void BeginPacket(const void* packet) { drawState.fullBright = CodeOf(packet) & kCodeFullBright; }

// Clips the polygon and appends the untextured record, if anything is left.
template <int count>
void FinishPolygon(const void* packet, ClipVertex (&in)[count]) {
    AppendInputPolygon<false, count>(in, TransparencyFor(CodeOf(packet)), kUntexturedSlot, 0.0f);
}

// One-colour packet: points from byte 8 on, 4 bytes each.
inline ClipVertex FlatVertex(const void* packet, int point) {
    return InputVertex(ReadS16(packet, 8 + 4 * point), ReadS16(packet, 10 + 4 * point), 0, 0,
                       ReadU8(packet, 4), ReadU8(packet, 5), ReadU8(packet, 6));
}

// Gouraud packet: 8 bytes a point, colour first (point 0's colour is the header's).
inline ClipVertex GouraudVertex(const void* packet, int point) {
    const int base = 8 * point;
    return InputVertex(ReadS16(packet, base + 8), ReadS16(packet, base + 10), 0, 0, ReadU8(packet, base + 4),
                       ReadU8(packet, base + 5), ReadU8(packet, base + 6));
}

}  // namespace

void DrawFlat(const void* packet) {
    BeginPacket(packet);
    ClipVertex in[3] = {FlatVertex(packet, 0), FlatVertex(packet, 1), FlatVertex(packet, 2)};
    FinishPolygon(packet, in);
}

void DrawFlat4(const void* packet) {
    BeginPacket(packet);
    ClipVertex in[4] = {FlatVertex(packet, kQuadWalk[0]), FlatVertex(packet, kQuadWalk[1]),
                        FlatVertex(packet, kQuadWalk[2]), FlatVertex(packet, kQuadWalk[3])};
    FinishPolygon(packet, in);
}

void DrawGouraud(const void* packet) {
    // Stored in the opposite rotation to DrawFlat: the host's Gouraud
    // triangles come with the other winding.
    BeginPacket(packet);
    ClipVertex in[3] = {GouraudVertex(packet, 0), GouraudVertex(packet, 2), GouraudVertex(packet, 1)};
    FinishPolygon(packet, in);
}

void DrawGouraud4(const void* packet) {
    BeginPacket(packet);
    ClipVertex in[4] = {GouraudVertex(packet, kQuadWalk[0]), GouraudVertex(packet, kQuadWalk[1]),
                        GouraudVertex(packet, kQuadWalk[2]), GouraudVertex(packet, kQuadWalk[3])};
    FinishPolygon(packet, in);
}

void DrawTile(const void* packet) {
    BeginPacket(packet);
    const std::int32_t x = ReadS16(packet, 8);
    const std::int32_t y = ReadS16(packet, 10);
    const std::int32_t right = x + ReadS16(packet, 12);
    const std::int32_t bottom = y + ReadS16(packet, 14);
    const std::uint8_t r = ReadU8(packet, 4), g = ReadU8(packet, 5), b = ReadU8(packet, 6);
    ClipVertex in[4] = {InputVertex(x, y, 0, 0, r, g, b), InputVertex(right, y, 0, 0, r, g, b),
                        InputVertex(right, bottom, 0, 0, r, g, b), InputVertex(x, bottom, 0, 0, r, g, b)};
    FinishPolygon(packet, in);
}

}  // namespace vrastex
