// Turning a packet's polygon, or what the clipper leaves of it, into the next
// scene record.
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

// Fills input vertex `i` of the clip input list from a host point, moved by
// the draw offset.
inline void SetInputVertex(int i, std::int32_t x, std::int32_t y, std::int32_t u, std::int32_t v,
                           std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    clipInput.vertices[i] = {x + drawState.offsetX, y + drawState.offsetY, 0, u, v, r, g, b};
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
// record the first texture triple.
template <bool textured>
inline void WriteVertex(GrVertex& to, const ClipVertex& from, const RecordLook& look) {
    to.x = static_cast<float>(static_cast<double>(from.x) * look.scaleX + kSnapOffset);
    to.y = static_cast<float>(static_cast<double>(from.y) * look.scaleY + kSnapOffset);
    const auto r = static_cast<std::uint32_t>(from.r), g = static_cast<std::uint32_t>(from.g),
               b = static_cast<std::uint32_t>(from.b);
    if ((r | g | b) <= 255u) {
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

// The clipper's path of AppendPacketPolygon: the input list is cut by both
// stages and what is left, if anything, appended.
// `withinY` and `withinX` say whether every input vertex lies within each
// pair of bounds, as the packet path has found.
void AppendClippedInput(const Transparency& look, std::int32_t slot, float tScale, bool withinY, bool withinX);

// A vertex as its packet gives it: the host point before the draw offset,
// texture coordinates and colour bytes.
struct PacketVertex {
    std::int32_t x, y;
    std::uint8_t u, v, r, g, b;
};

// The order a packet's points are walked in. Quadrilateral packets list their
// corners top-left, top-right, bottom-left, bottom-right; walking 2, 0, 1, 3
// goes round the outline.
inline constexpr int kQuadWalk[4] = {2, 0, 1, 3};
inline constexpr int kTriangleWalk[3] = {0, 1, 2};

// Calls step(std::integral_constant<int, 0>{}) .. for n - 1: each step sees
// its vertex index as a constant, so field offsets fold into the code.
template <typename Step, int... k>
[[gnu::always_inline]] inline void EachConstant(const Step& step, std::integer_sequence<int, k...>) {
    (step(std::integral_constant<int, k>{}), ...);
}

// Appends the polygon of `count` packet vertices, fetch(k) giving vertex k
// in walk order. Most packets lie wholly inside the clip rectangle: the two
// clip stages would only rotate the list by two places, so the record is
// written in that order from the packet's fields, read once into locals,
// with every index a constant and no clip list in between. Only a polygon
// that has to be cut goes through the clip lists. Always inlined into its
// packet's export, so that field offsets fold into the code.
template <bool textured, int count, typename Fetch>
[[gnu::always_inline]] inline void AppendPacketPolygon(const Fetch& fetch, Transparency look, std::int32_t slot,
                                                       float tScale) {
    constexpr auto kVertices = std::make_integer_sequence<int, count>{};
    const std::int32_t offsetX = drawState.offsetX, offsetY = drawState.offsetY;
    const InsideTest test = InsideTestOf(drawState);
    bool withinX = test.orderedX, withinY = test.orderedY;
    int sumU = 0, sumV = 0;
    // Read once, before any record is written: the packet is host memory the
    // compiler must assume a float store could change.
    PacketVertex vertices[count];
    EachConstant([&](auto k) {
        const PacketVertex p = vertices[k] = fetch(k);
        withinX &= HoldsX(test, p.x + offsetX);
        withinY &= HoldsY(test, p.y + offsetY);
        sumU += p.u;
        sumV += p.v;
    }, kVertices);
    if (!(withinX & withinY)) {
        EachConstant([&](auto k) {
            const PacketVertex& p = vertices[k];
            SetInputVertex(k, p.x, p.y, p.u, p.v, p.r, p.g, p.b);
        }, kVertices);
        clipInput.count = static_cast<std::int16_t>(count);
        return AppendClippedInput(look, slot, tScale, withinY, withinX);
    }
    SceneRecord& record = NextRecord();
    const RecordLook shared = RecordLookOf(look, tScale);
    record.vertexCount = static_cast<std::int16_t>(count);
    EachConstant([&](auto k) {
        const PacketVertex& p = vertices[(k + count - 2) % count];
        // Packet texels are the usual case of the pull.
        const int u = textured ? PullUsual(p.u, count, sumU) : 0;
        const int v = textured ? PullUsual(p.v, count, sumV) : 0;
        WriteVertex<textured>(record.vertices[k], {p.x + offsetX, p.y + offsetY, 0, u, v, p.r, p.g, p.b}, shared);
    }, kVertices);
    AppendRecord(look.blendEntry, slot);
}

}  // namespace vrastex
