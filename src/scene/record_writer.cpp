#include "scene/record_writer.h"

#include "scene/scene_list.h"
#include "scene/screen_position.h"
#include "scene/shade.h"

namespace vrastex {

void AppendPolygonRecord(const ClippedPolygon& polygon, Transparency look, std::int32_t slot, float tScale) {
    SceneRecord& record = NextRecord();
    const int count = polygon.count;
    const float alpha = static_cast<float>(look.alpha);
    const bool textured = slot != kUntexturedSlot;
    record.vertexCount = static_cast<std::int16_t>(count);
    int k = polygon.first;
    for (int i = 0; i < count; ++i, k = k + 1 < count ? k + 1 : 0) {
        ClipVertex& from = polygon.vertices[k];
        GrVertex& to = record.vertices[i];
        to.x = ScreenX(from.x);
        to.y = ScreenY(from.y);
        to.oow = 1.0f;
        ShadeVertex(from.r, from.g, from.b);
        to.r = static_cast<float>(from.r);
        to.g = static_cast<float>(from.g);
        to.b = static_cast<float>(from.b);
        to.a = alpha;
        if (textured) {
            to.tmuvtx[0].sow = static_cast<float>(from.u);
            to.tmuvtx[0].tow = static_cast<float>(from.v) * tScale;
            to.tmuvtx[0].oow = 1.0f;
        }
    }
    AppendRecord(look.blendEntry, slot);
}

}  // namespace vrastex
