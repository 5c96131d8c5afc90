// Turning a clipped polygon into the next scene record.
#pragma once

#include <cstdint>

#include "scene/clip.h"
#include "scene/draw_state.h"
#include "scene/scene_list.h"
#include "scene/screen_position.h"
#include "scene/shade.h"

namespace vrastex {

// Writes a clipped polygon as the next record: screen positions, shaded
// colours, the alpha of `look`, oow 1.0 and, for a textured record (slot
// other than the untextured marker), the first texture triple with t scaled
// by `tScale`.
void AppendPolygonRecord(const ClippedPolygon& polygon, Transparency look, std::int32_t slot, float tScale);

// Fills input vertex `i` from a host point moved by the draw offset.
inline void SetInputVertex(int i, std::int32_t x, std::int32_t y, std::int32_t u, std::int32_t v,
                           std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    clipInput.vertices[i] = {x + drawState.offsetX, y + drawState.offsetY, 0, u, v, r, g, b};
}

// Shaded channel values of the common case, a channel of 0..255: doubled and
// clamped at 255 (ShadeChannel), already in float.
struct ShadedTable {
    float values[256];
};

constexpr ShadedTable MakeShadedTable() {
    ShadedTable table{};
    for (int c = 0; c < 256; ++c) table.values[c] = static_cast<float>(2 * c < 255 ? 2 * c : 255);
    return table;
}

inline constexpr ShadedTable kShaded = MakeShadedTable();

// Writes `n` vertices from `from` on; the record's fixed values and the
// textured choice are taken out of the per-vertex work.
template <bool textured>
inline void WriteVertices(GrVertex* to, const ClipVertex* from, int n, float alpha, float tScale, int fullBright) {
    const double scaleX = screenScale.x, scaleY = screenScale.y;
    for (int i = 0; i < n; ++i, ++to, ++from) {
        to->x = static_cast<float>(static_cast<double>(from->x) * scaleX + kSnapOffset);
        to->y = static_cast<float>(static_cast<double>(from->y) * scaleY + kSnapOffset);
        const auto r = static_cast<std::uint32_t>(from->r), g = static_cast<std::uint32_t>(from->g),
                   b = static_cast<std::uint32_t>(from->b);
        if (fullBright) {
            to->r = to->g = to->b = 255.0f;
        } else if ((r | g | b) <= 255u) {
            to->r = kShaded.values[r];
            to->g = kShaded.values[g];
            to->b = kShaded.values[b];
        } else {
            to->r = static_cast<float>(ShadeChannel(from->r, 0));
            to->g = static_cast<float>(ShadeChannel(from->g, 0));
            to->b = static_cast<float>(ShadeChannel(from->b, 0));
        }
        to->a = alpha;
        to->oow = 1.0f;
        if (textured) {
            to->tmuvtx[0].sow = static_cast<float>(from->u);
            to->tmuvtx[0].tow = static_cast<float>(from->v) * tScale;
            to->tmuvtx[0].oow = 1.0f;
        }
    }
}

// AppendPolygonRecord for a record known to be textured or not.
template <bool textured>
inline void WriteRecord(const ClippedPolygon& polygon, Transparency look, std::int32_t slot, float tScale) {
    SceneRecord& record = NextRecord();
    const int count = polygon.count, first = polygon.first;
    const float alpha = static_cast<float>(look.alpha);
    const int fullBright = drawState.fullBright;
    record.vertexCount = static_cast<std::int16_t>(count);
    // Vertices from `first` to the end of the array, then from its start.
    WriteVertices<textured>(record.vertices, polygon.vertices + first, count - first, alpha, tScale, fullBright);
    WriteVertices<textured>(record.vertices + (count - first), polygon.vertices, first, alpha, tScale, fullBright);
    AppendRecord(look.blendEntry, slot);
}

// The clipper's path of AppendInputPolygon: the input list is cut by both
// stages and what is left, if anything, appended.
void AppendClippedInput(Transparency look, std::int32_t slot, float tScale);

// Clips the `count` input vertices of a polygon (a textured one also has its
// texture coordinates pulled) and appends what is left as the next record.
// Inline, so that at each packet the vertex count is a constant and the
// common case, a polygon wholly inside, is straight-line code.
template <bool textured, int count>
inline void AppendInputPolygon(Transparency look, std::int32_t slot, float tScale) {
    clipInput.count = static_cast<std::int16_t>(count);
    if (!InputInside()) return AppendClippedInput(look, slot, tScale);
    if (textured) PullTexCoords(clipInput.vertices, count);
    WriteRecord<textured>({clipInput.vertices, count, count - 2}, look, slot, tScale);
}

}  // namespace vrastex
