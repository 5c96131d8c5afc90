#include "scene/clip.h"

#include "scene/arithmetic.h"
#include "scene/draw_state.h"

namespace vrastex {

namespace {
ClipVertex inputVertices[4];
ClipVertex intermediateVertices[8];
ClipVertex finalVertices[kClipFinalCapacity];
}  // namespace

ClipList clipInput = {inputVertices, 0};
ClipList clipIntermediate = {intermediateVertices, 0};
ClipList clipFinal = {finalVertices, 0};

namespace {

// Every field is carried through a cut; the axis field becomes the bound.
constexpr std::int32_t ClipVertex::*kFields[] = {
    &ClipVertex::x, &ClipVertex::y, &ClipVertex::spare, &ClipVertex::u,
    &ClipVertex::v, &ClipVertex::r, &ClipVertex::g,     &ClipVertex::b,
};
constexpr int kAxisX = 0;
constexpr int kAxisY = 1;

// The new vertex where edge a-b meets `bound` on coordinate `axis` (0 x, 1 y).
// Interpolating from the endpoint with the smaller coordinate makes the cut
// independent of the direction the edge is walked.
void ClipEdge(const ClipVertex& a, const ClipVertex& b, ClipVertex& out, std::int16_t bound,
              int axis) {
    const auto coord = kFields[axis];
    const bool fromB = b.*coord <= a.*coord;
    const ClipVertex& base = fromB ? b : a;
    const ClipVertex& far = fromB ? a : b;
    // The differences are exact in double, as the 32-bit differences are.
    const double t = (static_cast<double>(bound) - static_cast<double>(base.*coord)) /
                     (static_cast<double>(far.*coord) - static_cast<double>(base.*coord));
    for (int f = 0; f < 8; ++f) {
        const auto field = kFields[f];
        if (f == axis) {
            out.*field = bound;
            continue;
        }
        const std::int32_t difference = WrappingSub(far.*field, base.*field);
        out.*field = WrappingAdd(base.*field, TruncateToInt(static_cast<double>(difference) * t));
    }
}

// One stage: walks the closed polygon edge by edge, appending the previous
// vertex when inside and the crossings of each edge with the bounds. The
// output is therefore the input rotated by one place.
void ClipPolygon(const ClipList& in, ClipList& out, std::int32_t low, std::int32_t high, int axis) {
    out.count = 0;
    if (in.count <= 0) return;
    int n = 0;
    ClipVertex previous = in.vertices[in.count - 1];
    for (int i = 0; i < in.count; ++i) {
        const ClipVertex current = in.vertices[i];
        const std::int32_t p = previous.*kFields[axis];
        const std::int32_t c = current.*kFields[axis];
        const auto lowBound = static_cast<std::int16_t>(low);
        const auto highBound = static_cast<std::int16_t>(high);
        if (p < low) {
            if (c > low) {
                ClipEdge(previous, current, out.vertices[n++], lowBound, axis);
                if (c > high) ClipEdge(previous, current, out.vertices[n++], highBound, axis);
            }
        } else if (p > high) {
            if (c < high) {
                ClipEdge(previous, current, out.vertices[n++], highBound, axis);
                if (c < low) ClipEdge(previous, current, out.vertices[n++], lowBound, axis);
            }
        } else {
            out.vertices[n++] = previous;
            if (c < low)
                ClipEdge(previous, current, out.vertices[n++], lowBound, axis);
            else if (c > high)
                ClipEdge(previous, current, out.vertices[n++], highBound, axis);
        }
        previous = current;
    }
    out.count = static_cast<std::int16_t>(n);
}

}  // namespace

void ClipEdgeX(const ClipVertex& a, const ClipVertex& b, ClipVertex& out, std::int16_t bound) {
    ClipEdge(a, b, out, bound, kAxisX);
}

void ClipEdgeY(const ClipVertex& a, const ClipVertex& b, ClipVertex& out, std::int16_t bound) {
    ClipEdge(a, b, out, bound, kAxisY);
}

void ClipPolygonX(const ClipList& in, ClipList& out) {
    ClipPolygon(in, out, drawState.clipLeft, drawState.clipRight, kAxisX);
}

void ClipPolygonY(const ClipList& in, ClipList& out) {
    ClipPolygon(in, out, drawState.clipTop, drawState.clipBottom, kAxisY);
}

namespace {

// Inside means left <= x <= right and top <= y <= bottom; with the bounds in
// order, each test is one unsigned comparison of 64-bit differences.
bool InputInside() {
    const std::int64_t left = drawState.clipLeft, top = drawState.clipTop;
    const std::int64_t right = drawState.clipRight, bottom = drawState.clipBottom;
    if (right < left || bottom < top) return false;
    const auto width = static_cast<std::uint64_t>(right - left);
    const auto height = static_cast<std::uint64_t>(bottom - top);
    bool inside = true;
    for (int i = 0; i < clipInput.count; ++i) {
        const ClipVertex& v = clipInput.vertices[i];
        inside &= (static_cast<std::uint64_t>(v.x - left) <= width) & (static_cast<std::uint64_t>(v.y - top) <= height);
    }
    return inside;
}

}  // namespace

int ClipInputList() {
    ClipPolygonY(clipInput, clipIntermediate);
    ClipPolygonX(clipIntermediate, clipFinal);
    return clipFinal.count;
}

ClippedPolygon ClipInputPolygon() {
    // Most polygons lie wholly inside the rectangle. Each stage then appends
    // every vertex after its predecessor, rotating the list by one place, so
    // the result is the input list itself read from two places on: no walk,
    // and no vertex copied.
    const int count = clipInput.count;
    if (count > 0 && InputInside()) return {clipInput.vertices, count, count >= 2 ? count - 2 : 0};
    const int clipped = ClipInputList();
    return {clipFinal.vertices, clipped, 0};
}

}  // namespace vrastex
