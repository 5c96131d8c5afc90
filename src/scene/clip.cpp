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
inline std::int32_t Cut(std::int32_t base, std::int32_t far, double t) {
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
// output is therefore the input rotated by one place.
template <bool onY>
void ClipPolygon(const ClipList& in, ClipList& out, std::int32_t low, std::int32_t high) {
    out.count = 0;
    if (in.count <= 0) return;
    int n = 0;
    const auto lowBound = static_cast<std::int16_t>(low);
    const auto highBound = static_cast<std::int16_t>(high);
    const ClipVertex* previous = &in.vertices[in.count - 1];
    for (int i = 0; i < in.count; ++i) {
        const ClipVertex* current = &in.vertices[i];
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

int ClipInputList() {
    ClipPolygonY(clipInput, clipIntermediate);
    ClipPolygonX(clipIntermediate, clipFinal);
    return clipFinal.count;
}

}  // namespace vrastex
