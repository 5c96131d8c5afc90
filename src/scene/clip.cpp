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

// One field of the new vertex, `t` of the way from `base` to `far`.
// Equal ends give the end itself (t is finite: a stage cuts only an edge whose
// ends differ on its axis), which most fields of a cut have: flat colours,
// untextured u and v, the spare.
inline std::int32_t Cut(std::int32_t base, std::int32_t far, double t) {
    if (far == base) return base;
    return WrappingAdd(base, TruncateToInt(static_cast<double>(WrappingSub(far, base)) * t));
}

// The new vertex where edge a-b meets `bound` on y (`onY`) or x. Every other
// field is carried through the cut. Interpolating from the endpoint with the
// smaller coordinate makes the cut independent of the direction the edge is
// walked.
template <bool onY>
void ClipEdge(const ClipVertex& a, const ClipVertex& b, ClipVertex& out, std::int16_t bound) {
    const std::int32_t ca = onY ? a.y : a.x;
    const std::int32_t cb = onY ? b.y : b.x;
    const bool fromB = cb <= ca;
    const ClipVertex& base = fromB ? b : a;
    const ClipVertex& far = fromB ? a : b;
    const std::int32_t start = fromB ? cb : ca;
    // The differences are exact in double, as the 32-bit differences are.
    const double t = (static_cast<double>(bound) - static_cast<double>(start)) /
                     (static_cast<double>(fromB ? ca : cb) - static_cast<double>(start));
    out.x = onY ? Cut(base.x, far.x, t) : bound;
    out.y = onY ? bound : Cut(base.y, far.y, t);
    out.spare = Cut(base.spare, far.spare, t);
    out.u = Cut(base.u, far.u, t);
    out.v = Cut(base.v, far.v, t);
    out.r = Cut(base.r, far.r, t);
    out.g = Cut(base.g, far.g, t);
    out.b = Cut(base.b, far.b, t);
}

// One stage: walks the closed polygon edge by edge, appending the previous
// vertex when inside and the crossings of each edge with the bounds. The
// output is therefore the input rotated by one place. The polygon is read
// from in.vertices[first] on, running round to the start of the array.
template <bool onY>
void ClipPolygon(const ClipList& in, ClipList& out, std::int32_t low, std::int32_t high, int first = 0) {
    out.count = 0;
    if (in.count <= 0) return;
    int n = 0;
    const auto lowBound = static_cast<std::int16_t>(low);
    const auto highBound = static_cast<std::int16_t>(high);
    const ClipVertex* end = in.vertices + in.count;
    const ClipVertex* previous = first > 0 ? &in.vertices[first - 1] : end - 1;
    const ClipVertex* current = &in.vertices[first];
    for (int i = 0; i < in.count; ++i) {
        const std::int32_t p = onY ? previous->y : previous->x;
        const std::int32_t c = onY ? current->y : current->x;
        if (p < low) {
            if (c > low) {
                ClipEdge<onY>(*previous, *current, out.vertices[n++], lowBound);
                if (c > high) ClipEdge<onY>(*previous, *current, out.vertices[n++], highBound);
            }
        } else if (p > high) {
            if (c < high) {
                ClipEdge<onY>(*previous, *current, out.vertices[n++], highBound);
                if (c < low) ClipEdge<onY>(*previous, *current, out.vertices[n++], lowBound);
            }
        } else {
            out.vertices[n++] = *previous;
            if (c < low)
                ClipEdge<onY>(*previous, *current, out.vertices[n++], lowBound);
            else if (c > high)
                ClipEdge<onY>(*previous, *current, out.vertices[n++], highBound);
        }
        previous = current;
        if (++current == end) current = in.vertices;
    }
    out.count = static_cast<std::int16_t>(n);
}

}  // namespace

void ClipEdgeX(const ClipVertex& a, const ClipVertex& b, ClipVertex& out, std::int16_t bound) {
    ClipEdge<false>(a, b, out, bound);
}

void ClipEdgeY(const ClipVertex& a, const ClipVertex& b, ClipVertex& out, std::int16_t bound) {
    ClipEdge<true>(a, b, out, bound);
}

void ClipPolygonX(const ClipList& in, ClipList& out) {
    ClipPolygon<false>(in, out, drawState.clipLeft, drawState.clipRight);
}

void ClipPolygonY(const ClipList& in, ClipList& out) {
    ClipPolygon<true>(in, out, drawState.clipTop, drawState.clipBottom);
}

ClippedPolygon ClipInput() {
    const WithinBounds within = WithinBoundsOf(clipInput.vertices, clipInput.count);
    return ClipInputTested(within.y, within.x);
}

// A stage that would only rotate the list is not run: the list is read from
// one place further back instead. A polygon within both pairs of bounds is
// the input list itself, read from two places on.
ClippedPolygon ClipInputTested(bool withinY, bool withinX) {
    const int count = clipInput.count;
    if (count <= 0) return {clipFinal.vertices, 0, 0};
    if (withinY) {
        if (withinX) return {clipInput.vertices, count, count >= 2 ? count - 2 : 0};
        ClipPolygon<false>(clipInput, clipFinal, drawState.clipLeft, drawState.clipRight, count - 1);
        return {clipFinal.vertices, clipFinal.count, 0};
    }
    ClipPolygonY(clipInput, clipIntermediate);
    const int left = clipIntermediate.count;
    if (left > 0 && WithinBoundsOf(clipIntermediate.vertices, left).x)
        return {clipIntermediate.vertices, left, left - 1};
    ClipPolygonX(clipIntermediate, clipFinal);
    return {clipFinal.vertices, clipFinal.count, 0};
}

int ClipInputList() {
    ClipPolygonY(clipInput, clipIntermediate);
    ClipPolygonX(clipIntermediate, clipFinal);
    return clipFinal.count;
}

}  // namespace vrastex
