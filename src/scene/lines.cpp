#include "scene/lines.h"

#include "scene/clip.h"
#include "texture/host_memory.h"
#include "scene/record_writer.h"
#include "scene/scene_list.h"
#include "scene/screen_position.h"

namespace vrastex {

namespace {

struct FlatLineLook {
    float r, g, b, oow;
};

// Flat lines double the packet colour without clamping and carry an oow
// derived from the host's divisor. A zero divisor is taken as 1 so the oow
// stays finite.
FlatLineLook FlatLookOf(const void* packet, int oowDivisor) {
    const double divisor = oowDivisor != 0 ? oowDivisor : 1;
    return {static_cast<float>(ReadU8(packet, 4) * 2.0), static_cast<float>(ReadU8(packet, 5) * 2.0),
            static_cast<float>(ReadU8(packet, 6) * 2.0),
            static_cast<float>(screenScale.x / divisor * static_cast<double>(0.1f))};
}

void SetFlatVertex(GrVertex& vertex, const void* packet, int point, const FlatLineLook& look) {
    vertex.x = ScreenX(ReadS16(packet, 8 + 4 * point) + drawState.offsetX);
    vertex.y = ScreenY(ReadS16(packet, 10 + 4 * point) + drawState.offsetY);
    vertex.r = look.r;
    vertex.g = look.g;
    vertex.b = look.b;
    vertex.a = 255.0f;
    vertex.oow = look.oow;
}

void AppendFlatLine(const void* packet, int from, int to, const FlatLineLook& look) {
    SceneRecord& record = NextRecord();
    record.vertexCount = 2;
    SetFlatVertex(record.vertices[0], packet, from, look);
    SetFlatVertex(record.vertices[1], packet, to, look);
    AppendRecord(0, kUntexturedSlot);
}

}  // namespace

void DrawLineFlat2(const void* packet, int oowDivisor) {
    AppendFlatLine(packet, 0, 1, FlatLookOf(packet, oowDivisor));
}

void DrawLineFlat4(const void* packet, int oowDivisor) {
    const FlatLineLook look = FlatLookOf(packet, oowDivisor);
    // All four edges land in one list, so an overflow flush never splits the outline.
    ReserveRecords(4);
    AppendFlatLine(packet, 0, 1, look);
    AppendFlatLine(packet, 2, 3, look);
    AppendFlatLine(packet, 0, 3, look);
    AppendFlatLine(packet, 1, 2, look);
}

void DrawLineGouraud(const void* packet) {
    // The full-bright flag is left as the last polygon or tile packet set it.
    SetInputVertex(0, ReadS16(packet, 8), ReadS16(packet, 10), 0, 0, ReadU8(packet, 4),
                   ReadU8(packet, 5), ReadU8(packet, 6));
    SetInputVertex(1, ReadS16(packet, 16), ReadS16(packet, 18), 0, 0, ReadU8(packet, 12),
                   ReadU8(packet, 13), ReadU8(packet, 14));
    clipInput.count = 2;
    // A line is kept whole or not at all: only when clipping leaves both ends.
    const ClippedPolygon line = ClipInput();
    if (line.count != 2) return;
    AppendPolygonRecord(line, TransparencyFor(ReadU8(packet, 7)), kUntexturedSlot, 0.0f);
}

}  // namespace vrastex
