#include "scene/record_writer.h"

#include "scene/clip.h"
#include "scene/scene_list.h"
#include "scene/screen_position.h"
#include "scene/shade.h"

namespace vrastex {

void SetInputVertex(int i, std::int32_t x, std::int32_t y, std::int32_t u, std::int32_t v,
                    std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    ClipVertex& vertex = clipInput.vertices[i];
    vertex.x = x + drawState.offsetX;
    vertex.y = y + drawState.offsetY;
    vertex.spare = 0;
    vertex.u = u;
    vertex.v = v;
    vertex.r = r;
    vertex.g = g;
    vertex.b = b;
}

void AppendFinalList(Transparency look, std::int32_t slot, float tScale) {
    SceneRecord& record = NextRecord();
    const int count = clipFinal.count;
    const float alpha = static_cast<float>(look.alpha);
    record.vertexCount = static_cast<std::int16_t>(count);
    for (int i = 0; i < count; ++i) {
        ClipVertex& from = clipFinal.vertices[i];
        GrVertex& to = record.vertices[i];
        to.x = ScreenX(from.x);
        to.y = ScreenY(from.y);
        to.oow = 1.0f;
        ShadeVertex(from.r, from.g, from.b);
        to.r = static_cast<float>(from.r);
        to.g = static_cast<float>(from.g);
        to.b = static_cast<float>(from.b);
        to.a = alpha;
        if (slot != kUntexturedSlot) {
            to.tmuvtx[0].sow = static_cast<float>(from.u);
            to.tmuvtx[0].tow = static_cast<float>(from.v) * tScale;
            to.tmuvtx[0].oow = 1.0f;
        }
    }
    AppendRecord(look.blendEntry, slot);
}

}  // namespace vrastex
