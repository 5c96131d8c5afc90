#include "scene/record_writer.h"

namespace vrastex {

void ShadeWide(GrVertex& to, const ClipVertex& from) {
    to.r = static_cast<float>(ShadeChannel(from.r, 0));
    to.g = static_cast<float>(ShadeChannel(from.g, 0));
    to.b = static_cast<float>(ShadeChannel(from.b, 0));
}

void AppendPolygonRecord(const ClippedPolygon& polygon, Transparency look, std::int32_t slot, float tScale) {
    if (slot != kUntexturedSlot)
        WriteRecord<true>(polygon, look, slot, tScale);
    else
        WriteRecord<false>(polygon, look, slot, tScale);
}

void AppendClippedInput(Transparency look, std::int32_t slot, float tScale) {
    const int count = ClipInputList();
    const bool textured = slot != kUntexturedSlot;
    if (textured) PullTexCoords(clipFinal.vertices, count);
    if (count == 0) return;
    AppendPolygonRecord({clipFinal.vertices, count, 0}, look, slot, tScale);
}

}  // namespace vrastex
