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

void AppendClippedInput(const Transparency& look, std::int32_t slot, float tScale, bool withinY, bool withinX) {
    const ClippedPolygon polygon = ClipInputTested(withinY, withinX);
    if (polygon.count == 0) return;
    // The pull does not depend on where the polygon starts.
    if (slot != kUntexturedSlot) PullTexCoords(polygon.vertices, polygon.count);
    AppendPolygonRecord(polygon, look, slot, tScale);
}

}  // namespace vrastex
