#include "scene/polygons.h"

#include "scene/clip.h"
#include "texture/host_memory.h"
#include "scene/record_writer.h"
#include "scene/scene_list.h"

namespace vrastex {

namespace {

// Quadrilateral packets list their corners top-left, top-right, bottom-left,
// bottom-right; walking 2, 0, 1, 3 goes round the outline.
constexpr int kQuadWalk[4] = {2, 0, 1, 3};

std::uint8_t CodeOf(const void* packet) { return ReadU8(packet, 7); }

void BeginPacket(const void* packet) {
    drawState.fullBright = CodeOf(packet) & kCodeFullBright;
}

// Clips the input list and appends the untextured record, if anything is left.
template <int inputCount>
void FinishPolygon(const void* packet) {
    AppendInputPolygon<false, inputCount>(TransparencyFor(CodeOf(packet)), kUntexturedSlot, 0.0f);
}

// One-colour packet: points from byte 8 on, 4 bytes each.
void SetFlatVertex(const void* packet, int i, int point) {
    SetInputVertex(i, ReadS16(packet, 8 + 4 * point), ReadS16(packet, 10 + 4 * point), 0, 0,
                   ReadU8(packet, 4), ReadU8(packet, 5), ReadU8(packet, 6));
}

// Gouraud packet: 8 bytes a point, colour first (point 0's colour is the header's).
void SetGouraudVertex(const void* packet, int i, int point) {
    const int base = 8 * point;
    SetInputVertex(i, ReadS16(packet, base + 8), ReadS16(packet, base + 10), 0, 0,
                   ReadU8(packet, base + 4), ReadU8(packet, base + 5), ReadU8(packet, base + 6));
}

}  // namespace

void DrawFlat(const void* packet) {
    BeginPacket(packet);
    for (int i = 0; i < 3; ++i) SetFlatVertex(packet, i, i);
    FinishPolygon<3>(packet);
}

void DrawFlat4(const void* packet) {
    BeginPacket(packet);
    for (int i = 0; i < 4; ++i) SetFlatVertex(packet, i, kQuadWalk[i]);
    FinishPolygon<4>(packet);
}

void DrawGouraud(const void* packet) {
    // Stored in the opposite rotation to DrawFlat: the host's Gouraud
    // triangles come with the other winding.
    constexpr int kOrder[3] = {0, 2, 1};
    BeginPacket(packet);
    for (int i = 0; i < 3; ++i) SetGouraudVertex(packet, i, kOrder[i]);
    FinishPolygon<3>(packet);
}

void DrawGouraud4(const void* packet) {
    BeginPacket(packet);
    for (int i = 0; i < 4; ++i) SetGouraudVertex(packet, i, kQuadWalk[i]);
    FinishPolygon<4>(packet);
}

void DrawTile(const void* packet) {
    BeginPacket(packet);
    const std::int32_t x = ReadS16(packet, 8);
    const std::int32_t y = ReadS16(packet, 10);
    const std::int32_t right = x + ReadS16(packet, 12);
    const std::int32_t bottom = y + ReadS16(packet, 14);
    const std::int32_t corners[4][2] = {{x, y}, {right, y}, {right, bottom}, {x, bottom}};
    const std::uint8_t r = ReadU8(packet, 4), g = ReadU8(packet, 5), b = ReadU8(packet, 6);
    for (int i = 0; i < 4; ++i) SetInputVertex(i, corners[i][0], corners[i][1], 0, 0, r, g, b);
    FinishPolygon<4>(packet);
}

}  // namespace vrastex
