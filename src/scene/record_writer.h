// Turning a clipped polygon into the next scene record.
#pragma once

#include <cstdint>
#include <utility>

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

// An input vertex from a host point moved by the draw offset.
inline ClipVertex InputVertex(std::int32_t x, std::int32_t y, std::int32_t u, std::int32_t v, std::uint8_t r,
                              std::uint8_t g, std::uint8_t b) {
    return {x + drawState.offsetX, y + drawState.offsetY, 0, u, v, r, g, b};
}

// Fills input vertex `i` of the clip input list.
inline void SetInputVertex(int i, std::int32_t x, std::int32_t y, std::int32_t u, std::int32_t v,
                           std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    clipInput.vertices[i] = InputVertex(x, y, u, v, r, g, b);
}

// Shaded channel values of the common case, a channel of 0..255, already in
// float: doubled and clamped at 255 (ShadeChannel), and 255 throughout for a
// full-bright record.
struct ShadedTable {
    float values[2][256];
};

constexpr ShadedTable MakeShadedTable() {
    ShadedTable table{};
    for (int c = 0; c < 256; ++c) {
        table.values[0][c] = static_cast<float>(2 * c < 255 ? 2 * c : 255);
        table.values[1][c] = 255.0f;
    }
    return table;
}

inline constexpr ShadedTable kShaded = MakeShadedTable();

// What every vertex of a record shares.
struct RecordLook {
    double scaleX, scaleY;
    const float* shade;  // kShaded row of the full-bright flag
    float alpha, tScale;
    int fullBright;
};

inline RecordLook RecordLookOf(Transparency look, float tScale) {
    const int fullBright = drawState.fullBright;
    return {screenScale.x, screenScale.y, kShaded.values[fullBright != 0], static_cast<float>(look.alpha),
            tScale,        fullBright};
}

// The colour of a vertex whose channels are not all 0..255 (cut at a far bound).
void ShadeWide(GrVertex& to, const ClipVertex& from);

// One vertex: screen position, shaded colour, alpha, oow and for a textured
// record the first texture triple. `byteColours`: the channels are known to
// be packet bytes, as on a polygon the clipper did not cut.
template <bool textured, bool byteColours = false>
inline void WriteVertex(GrVertex& to, const ClipVertex& from, const RecordLook& look) {
    to.x = static_cast<float>(static_cast<double>(from.x) * look.scaleX + kSnapOffset);
    to.y = static_cast<float>(static_cast<double>(from.y) * look.scaleY + kSnapOffset);
    const auto r = static_cast<std::uint32_t>(from.r), g = static_cast<std::uint32_t>(from.g),
               b = static_cast<std::uint32_t>(from.b);
    if (byteColours || (r | g | b) <= 255u) {
        to.r = look.shade[r & 255u];
        to.g = look.shade[g & 255u];
        to.b = look.shade[b & 255u];
    } else if (look.fullBright) {
        to.r = to.g = to.b = 255.0f;
    } else {
        ShadeWide(to, from);
    }
    to.a = look.alpha;
    to.oow = 1.0f;
    if (textured) {
        to.tmuvtx[0].sow = static_cast<float>(from.u);
        to.tmuvtx[0].tow = static_cast<float>(from.v) * look.tScale;
        to.tmuvtx[0].oow = 1.0f;
    }
}

// AppendPolygonRecord for a record known to be textured or not.
template <bool textured>
inline void WriteRecord(const ClippedPolygon& polygon, Transparency look, std::int32_t slot, float tScale) {
    SceneRecord& record = NextRecord();
    const int count = polygon.count, first = polygon.first;
    const RecordLook shared = RecordLookOf(look, tScale);
    record.vertexCount = static_cast<std::int16_t>(count);
    // Vertices from `first` to the end of the array, then from its start.
    GrVertex* to = record.vertices;
    for (int k = first; k < count; ++k) WriteVertex<textured>(*to++, polygon.vertices[k], shared);
    for (int k = 0; k < first; ++k) WriteVertex<textured>(*to++, polygon.vertices[k], shared);
    AppendRecord(look.blendEntry, slot);
}

// The record of a polygon of `count` input vertices wholly inside the clip
// rectangle: the clipper would have given them rotated by two places. One
// straight run of vertex writes.
template <bool textured, int count, int... k>
inline void WriteInsideRecord(const ClipVertex* in, Transparency look, std::int32_t slot, float tScale,
                              std::integer_sequence<int, k...>) {
    SceneRecord& record = NextRecord();
    const RecordLook shared = RecordLookOf(look, tScale);
    record.vertexCount = static_cast<std::int16_t>(count);
    (WriteVertex<textured, true>(record.vertices[k], in[(k + count - 2) % count], shared), ...);
    AppendRecord(look.blendEntry, slot);
}

// The clipper's path of AppendInputPolygon: the input list is cut by both
// stages and what is left, if anything, appended.
void AppendClippedInput(Transparency look, std::int32_t slot, float tScale);

// Clips the input vertices of a polygon (a textured one also has its texture
// coordinates pulled) and appends what is left as the next record. Colours
// and texture coordinates are packet bytes (0..255). Inline,
// so that at each packet the vertex count is a constant and the common case,
// a polygon wholly inside, is straight-line code on the packet's own
// vertices; only a polygon to be cut goes through the clip lists.
template <bool textured, int count>
inline void AppendInputPolygon(ClipVertex (&in)[count], Transparency look, std::int32_t slot, float tScale) {
    if (!Inside<count>(in)) {
        for (int i = 0; i < count; ++i) clipInput.vertices[i] = in[i];
        clipInput.count = static_cast<std::int16_t>(count);
        return AppendClippedInput(look, slot, tScale);
    }
    if (textured) PullTexCoords<count, true>(in);
    WriteInsideRecord<textured, count>(in, look, slot, tScale, std::make_integer_sequence<int, count>{});
}

}  // namespace vrastex
