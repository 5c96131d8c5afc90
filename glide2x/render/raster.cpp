#include "render/raster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "render/draw_queue.h"
#include "render/errors.h"
#include "render/pixel_pipeline.h"
#include "render/state.h"

// All coverage and iteration arithmetic is on 64-bit integers (positions in
// 1/16 pixel, edge functions in 1/256 pixel^2), so every build gives the same
// pixels; only culling's area and perspective division use long double, which
// is the 80-bit x87 format on every x86 build.

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// floor(value * 2^bits), clamped to +-limit; NaN gives 0. Every step is
// exact in double (a float times a power of two, truncation of a value below
// 2^53), so x87 and SSE builds agree.
std::int64_t ToFixed(double value, int bits, std::int64_t limit) {
    const double scaled = value * static_cast<double>(std::int64_t{1} << bits);
    if (!(scaled == scaled)) return 0;
    if (scaled >= static_cast<double>(limit)) return limit;
    if (scaled <= -static_cast<double>(limit)) return -limit;
    const auto truncated = static_cast<std::int64_t>(scaled);
    return static_cast<double>(truncated) > scaled ? truncated - 1 : truncated;
}

constexpr long double Pow2(int n) {
    long double p = 1;
    while (n-- > 0) p *= 2;
    return p;
}

// floor(value * 2^bits) clamped to +-limit (below 2^52) for a long double
// quotient. The rounding to an integer is done by adding and subtracting
// 1.5 * 2^(digits - 1) instead of switching the x87 rounding mode; the
// integral result then converts exactly through double.
std::int64_t ToFixed(long double value, int bits, std::int64_t limit) {
    const long double scaled = value * static_cast<long double>(std::int64_t{1} << bits);
    if (!(scaled == scaled)) return 0;
    if (scaled >= static_cast<long double>(limit)) return limit;
    if (scaled <= -static_cast<long double>(limit)) return -limit;
    constexpr long double kRound = 1.5L * Pow2(std::numeric_limits<long double>::digits - 1);
    long double rounded = (scaled + kRound) - kRound;
    if (rounded > scaled) rounded -= 1;
    return static_cast<std::int64_t>(static_cast<double>(rounded));
}

int ClampInt(std::int64_t v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : static_cast<int>(v)); }

// Fixed-point formats of the iterated values: colour and alpha 12.12 (at most
// +-2048), depth with 4 fraction bits (+-2^20), s and t with
// kTexCoordFractionBits (+-32768).
constexpr int kColorBits = 12;
constexpr std::int64_t kColorLimit = std::int64_t{1} << 23;
constexpr int kDepthBits = 4;
constexpr std::int64_t kDepthLimit = std::int64_t{1} << 24;
constexpr std::int64_t kTexLimit = std::int64_t{32768} << kTexCoordFractionBits;

// Edge i of a triangle lies opposite corner i. Its edge function
// w(p) = ex (py - qy) - ey (px - qx) is positive inside; a pixel centre on
// the edge counts when the edge is a left edge (interior to the right) or a
// horizontal top edge (interior below): top/left inclusive.
struct Edge {
    std::int64_t ex, ey, qx, qy;
    std::int64_t threshold;  // w >= threshold covers: 0 inclusive, 1 exclusive
};

// One attribute across a triangle. Its value at pixel centre p is
// floor(N(p) / A) with N(p) = sum of c_i w_i(p) and A = the sum of the w_i
// (twice the area): the plane through the three vertices, evaluated exactly.
// Along a row it is stepped as quotient and remainder.
struct Iterator {
    std::int64_t c[3] = {0, 0, 0};
    std::int64_t stepQ = 0, stepR = 0;
    std::int64_t q = 0, r = 0;

    void Setup(const Edge (&edges)[3], std::int64_t area) {
        std::int64_t dn = 0;  // N(p + one pixel in x) - N(p)
        for (int i = 0; i < 3; ++i) dn += c[i] * (-16 * edges[i].ey);
        stepQ = FloorDiv(dn, area);
        stepR = dn - stepQ * area;
    }
    std::int64_t StepY(const Edge (&edges)[3]) const {
        std::int64_t dn = 0;
        for (int i = 0; i < 3; ++i) dn += c[i] * (16 * edges[i].ex);
        return dn;
    }
    std::int64_t StepX(std::int64_t area) const { return stepQ * area + stepR; }
    void Start(const std::int64_t (&w)[3], std::int64_t area) {
        const std::int64_t n = c[0] * w[0] + c[1] * w[1] + c[2] * w[2];
        q = FloorDiv(n, area);
        r = n - q * area;
    }
    void Next(std::int64_t area) {
        q += stepQ;
        r += stepR;
        if (r >= area) {
            r -= area;
            ++q;
        }
    }
};

enum { kR, kG, kB, kA, kZ, kS, kT, kIterators };

}  // namespace

void RasterTriangle(const PixelPipeline& pipe, Corner v0, Corner v1, Corner v2, Band band) {
    std::int64_t area = (v1.x - v0.x) * (v2.y - v0.y) - (v2.x - v0.x) * (v1.y - v0.y);
    if (area == 0) return;
    if (area < 0) {
        std::swap(v1, v2);
        area = -area;
    }
    const Corner* corner[3] = {&v0, &v1, &v2};
    Edge edges[3];
    for (int i = 0; i < 3; ++i) {
        const Corner& from = *corner[(i + 1) % 3];
        const Corner& to = *corner[(i + 2) % 3];
        Edge& e = edges[i];
        e.ex = to.x - from.x;
        e.ey = to.y - from.y;
        e.qx = from.x;
        e.qy = from.y;
        const std::int64_t a = -e.ey, b = e.ex;  // w = a px + b py + const
        e.threshold = (a > 0 || (a == 0 && b > 0)) ? 0 : 1;
    }

    // Pixels whose centre (16 p + 8) can lie inside, cut to the clip window.
    const std::int64_t minX = std::min({v0.x, v1.x, v2.x}), maxX = std::max({v0.x, v1.x, v2.x});
    const std::int64_t minY = std::min({v0.y, v1.y, v2.y}), maxY = std::max({v0.y, v1.y, v2.y});
    const std::int64_t px0 = std::max<std::int64_t>(pipe.MinX(), CeilDiv(minX - 8, 16));
    const std::int64_t px1 = std::min<std::int64_t>(pipe.MaxX() - 1, FloorDiv(maxX - 8, 16));
    const std::int64_t py0 = std::max<std::int64_t>(pipe.MinY(), CeilDiv(minY - 8, 16));
    const std::int64_t py1 = std::min<std::int64_t>(pipe.MaxY() - 1, FloorDiv(maxY - 8, 16));
    if (px0 > px1 || py0 > py1) return;

    Iterator it[kIterators];
    const bool depth = pipe.UsesDepth(), textured = pipe.Textured();
    for (int i = 0; i < 3; ++i) {
        const GrVertex& v = *corner[i]->v;
        it[kR].c[i] = ToFixed(v.r, kColorBits, kColorLimit);
        it[kG].c[i] = ToFixed(v.g, kColorBits, kColorLimit);
        it[kB].c[i] = ToFixed(v.b, kColorBits, kColorLimit);
        it[kA].c[i] = ToFixed(v.a, kColorBits, kColorLimit);
        it[kZ].c[i] = ToFixed(v.ooz, kDepthBits, kDepthLimit);
    }
    const int used = textured ? kIterators : (depth ? kZ + 1 : kA + 1);

    // Texture coordinates: s/w, t/w and 1/w (the vertex's main oow) are
    // iterated and divided per pixel. With one oow at all three corners that
    // is s = (sow / oow) iterated linearly, done exactly with the iterators.
    bool perspective = false, bilinear = false;
    long double sow[3] = {0, 0, 0}, tow[3] = {0, 0, 0}, oow[3] = {0, 0, 0};
    if (textured) {
        for (int i = 0; i < 3; ++i) {
            const GrVertex& v = *corner[i]->v;
            sow[i] = v.tmuvtx[0].sow;
            tow[i] = v.tmuvtx[0].tow;
            oow[i] = v.oow;
        }
        perspective = !(oow[0] == oow[1] && oow[1] == oow[2]);
        for (int i = 0; i < 3; ++i) {
            const bool divisible = oow[i] != 0 && std::isfinite(static_cast<double>(oow[i]));
            it[kS].c[i] = divisible ? ToFixed(sow[i] / oow[i], kTexCoordFractionBits, kTexLimit) : 0;
            it[kT].c[i] = divisible ? ToFixed(tow[i] / oow[i], kTexCoordFractionBits, kTexLimit) : 0;
        }
    }
    for (int k = 0; k < used; ++k) it[k].Setup(edges, area);
    // Only the iterators that change along a row are stepped per pixel: a
    // value with no step keeps its quotient and its remainder (below the
    // area from the row's start), as flat colours and a constant alpha do;
    // depth is stepped only when it is read.
    int stepping[kIterators];
    int steppingCount = 0;
    for (int k = 0; k < used; ++k)
        if ((it[k].stepQ != 0 || it[k].stepR != 0) && (k != kZ || depth)) stepping[steppingCount++] = k;
    if (textured) {
        // Magnification when one pixel steps at most one texel of the sampled
        // level along x and y (from the per-corner s and t).
        const std::int64_t texel = area << (kTexCoordFractionBits + pipe.Texture().LevelShift());
        std::int64_t steepest = 0;
        for (int k : {kS, kT}) {
            const std::int64_t dx = it[k].StepX(area), dy = it[k].StepY(edges);
            steepest = std::max({steepest, dx < 0 ? -dx : dx, dy < 0 ? -dy : dy});
        }
        bilinear = steepest <= texel ? pipe.Texture().BilinearWhenMagnified() : pipe.Texture().BilinearWhenMinified();
    }

    const bool flat = !perspective && it[kR].stepQ == 0 && it[kR].stepR == 0 && it[kG].stepQ == 0 &&
                      it[kG].stepR == 0 && it[kB].stepQ == 0 && it[kB].stepR == 0 && it[kA].stepQ == 0 &&
                      it[kA].stepR == 0;
    const SpanFn span = perspective ? nullptr : pipe.Span(bilinear, flat);
    SpanRow row{};
    row.area = area;
    row.bilinear = bilinear;

    // Rows are set up by stepping from the row above where there is one:
    // each edge's first or last covered column as the exact quotient
    // floor((w - threshold) / |step|) with its remainder (w grows by 16 ex a
    // row), and each value's quotient and remainder at the first covered
    // pixel (N grows by StepY a row and by StepX a column). Divisions are
    // left for the first row, rows after a skip and long jumps of the
    // first column.
    struct EdgeRow {
        std::int64_t step, d, q, r, dq, dr, w;
    };
    EdgeRow er[3];
    std::int64_t rowQ[kIterators], rowR[kIterators];
    for (int k = 0; k < used; ++k) {
        const std::int64_t dy = it[k].StepY(edges);
        rowQ[k] = FloorDiv(dy, area);
        rowR[k] = dy - rowQ[k] * area;
    }
    for (int i = 0; i < 3; ++i) {
        const std::int64_t step = -16 * edges[i].ey, d = step < 0 ? -step : step;
        er[i].step = step;
        er[i].d = d;
        if (d != 0) {
            er[i].dq = FloorDiv(16 * edges[i].ex, d);
            er[i].dr = 16 * edges[i].ex - er[i].dq * d;
        }
    }
    std::int64_t edgesRow = py0 - 2, valuesRow = py0 - 2, valuesLo = 0;

    Fragment f{};
    for (std::int64_t py = py0; py <= py1; ++py) {
        if (band.count > 1) {
            // Skip to the band's next strip.
            const std::int64_t strip = py / kBandRows;
            const int owner = static_cast<int>(strip % band.count);
            if (owner != band.index) {
                py = (strip + (band.index - owner + band.count) % band.count) * kBandRows - 1;
                continue;
            }
        }
        std::int64_t lo = px0, hi = px1;
        bool empty = false;
        const bool nextRow = edgesRow == py - 1;
        edgesRow = py;
        for (int i = 0; i < 3; ++i) {
            const Edge& e = edges[i];
            EdgeRow& r = er[i];
            if (nextRow) {
                r.w += 16 * e.ex;
                if (r.d != 0) {
                    r.q += r.dq;
                    r.r += r.dr;
                    if (r.r >= r.d) {
                        r.r -= r.d;
                        ++r.q;
                    }
                }
            } else {
                r.w = e.ex * (16 * py + 8 - e.qy) - e.ey * (16 * px0 + 8 - e.qx);
                if (r.d != 0) {
                    r.q = FloorDiv(r.w - e.threshold, r.d);
                    r.r = r.w - e.threshold - r.q * r.d;
                }
            }
            if (r.step > 0) {
                lo = std::max(lo, px0 - r.q);  // px0 + ceil((threshold - w) / step)
            } else if (r.step < 0) {
                hi = std::min(hi, px0 + r.q);
            } else if (r.w < e.threshold) {
                empty = true;
            }
        }
        if (empty || lo > hi) continue;
        std::int64_t w[3];
        for (int i = 0; i < 3; ++i) w[i] = er[i].w + -16 * edges[i].ey * (lo - px0);
        const std::int64_t columns = lo - valuesLo;
        if (valuesRow == py - 1 && columns >= -8 && columns <= 8) {
            for (int k = 0; k < used; ++k) {
                Iterator& v = it[k];
                v.q += rowQ[k] + columns * v.stepQ;
                v.r += rowR[k] + columns * v.stepR;
                while (v.r >= area) {
                    v.r -= area;
                    ++v.q;
                }
                while (v.r < 0) {
                    v.r += area;
                    --v.q;
                }
            }
        } else {
            for (int k = 0; k < used; ++k) it[k].Start(w, area);
        }
        valuesRow = py;
        valuesLo = lo;
        if (span) {
            row.y = static_cast<int>(py);
            row.x0 = static_cast<int>(lo);
            row.x1 = static_cast<int>(hi);
            for (int k = 0; k < used; ++k) row.it[k] = {it[k].q, it[k].r, it[k].stepQ, it[k].stepR};
            span(pipe, row);
            continue;
        }
        for (std::int64_t px = lo; px <= hi; ++px) {
            f.r = ClampInt(it[kR].q >> kColorBits, 0, 255);
            f.g = ClampInt(it[kG].q >> kColorBits, 0, 255);
            f.b = ClampInt(it[kB].q >> kColorBits, 0, 255);
            f.a = ClampInt(it[kA].q >> kColorBits, 0, 255);
            if (depth) f.depth = ClampInt(it[kZ].q >> kDepthBits, 0, 0xFFFF);
            if (textured && !perspective) {
                f.s = it[kS].q;
                f.t = it[kT].q;
            } else if (textured) {
                const long double ww[3] = {static_cast<long double>(w[0]), static_cast<long double>(w[1]),
                                           static_cast<long double>(w[2])};
                const long double den = oow[0] * ww[0] + oow[1] * ww[1] + oow[2] * ww[2];
                const long double sn = sow[0] * ww[0] + sow[1] * ww[1] + sow[2] * ww[2];
                const long double tn = tow[0] * ww[0] + tow[1] * ww[1] + tow[2] * ww[2];
                f.s = den != 0 ? ToFixed(sn / den, kTexCoordFractionBits, kTexLimit) : 0;
                f.t = den != 0 ? ToFixed(tn / den, kTexCoordFractionBits, kTexLimit) : 0;
                for (int i = 0; i < 3; ++i) w[i] += -16 * edges[i].ey;
            }
            pipe.Shade(static_cast<int>(px), static_cast<int>(py), f, bilinear);
            for (int i = 0; i < steppingCount; ++i) it[stepping[i]].Next(area);
        }
        valuesRow = -8;  // the values were stepped along the row: the next row starts afresh
    }
}

namespace {

Corner Chip(const GrVertex& v) { return {ChipCoordinate(v.x), ChipCoordinate(v.y), &v}; }

// The cull mode in force; a mode the model does not have draws as DISABLE.
FxI32 CullMode(const char* caller) {
    const FxI32 mode = Device().state.cullMode;
    if (mode >= GR_CULL_DISABLE && mode <= GR_CULL_POSITIVE) return mode;
    ReportError(std::string(caller) + ": not modelled: cull mode " + std::to_string(mode) + " (drawn as DISABLE)");
    return GR_CULL_DISABLE;
}

// Where a drawing call's triangles go: drawn at once by the calling thread,
// or with more than one worker recorded (with the pixel path and copies of
// the vertices) for the band workers.
class Sink {
public:
    Sink(const PixelPipeline& pipe, int vertices, int triangles) : pipe_(pipe) {
        if (RecordingDraws() && ReserveRecord(vertices, triangles)) record_ = RecordPipeline(pipe);
    }
    // The vertex a recorded triangle reads (-1 when drawing at once).
    int Keep(const GrVertex& v) const { return record_ >= 0 ? RecordVertex(v) : -1; }
    void Triangle(const Corner& a, const Corner& b, const Corner& c, int ia, int ib, int ic) const {
        if (record_ < 0) {
            RasterTriangle(pipe_, a, b, c, kAllRows);
            return;
        }
        RecordTriangle(record_, {a.x, b.x, c.x}, {a.y, b.y, c.y}, {ia, ib, ic});
    }

private:
    const PixelPipeline& pipe_;
    int record_ = -1;
};

// grDrawTriangle's test: the signed area of the vertices' own floats,
// (xb - xa)(yc - ya) - (xc - xa)(yb - ya); 0 (or NaN) draws nothing.
void CulledTriangle(const Sink& sink, FxI32 cull, const GrVertex& a, const GrVertex& b, const GrVertex& c, int ia,
                    int ib, int ic) {
    using L = long double;
    const L area = (L{b.x} - L{a.x}) * (L{c.y} - L{a.y}) - (L{c.x} - L{a.x}) * (L{b.y} - L{a.y});
    if (!(area > 0 || area < 0)) return;
    if (cull == GR_CULL_NEGATIVE && area < 0) return;
    if (cull == GR_CULL_POSITIVE && area > 0) return;
    sink.Triangle(Chip(a), Chip(b), Chip(c), ia, ib, ic);
}

}  // namespace

std::int32_t ChipCoordinate(float value) {
    // value * 16 is exact in double. From 2^40 on a float times 16 is a
    // multiple of 2^17, so its low 16 bits are 0 (as are NaN's and infinities').
    const double scaled = static_cast<double>(value) * 16;
    if (!(scaled > -1099511627776.0 && scaled < 1099511627776.0)) return 0;
    const auto low = static_cast<std::uint16_t>(static_cast<std::int64_t>(scaled) & 0xFFFF);  // truncation toward 0
    return static_cast<std::int16_t>(low);
}

void DrawTriangleCall(const char* caller, const GrVertex& a, const GrVertex& b, const GrVertex& c) {
    const PixelPipeline pipe(caller);
    if (!pipe.Ready()) return;
    const FxI32 cull = CullMode(caller);
    const Sink sink(pipe, 3, 1);
    const int ia = sink.Keep(a), ib = sink.Keep(b), ic = sink.Keep(c);
    CulledTriangle(sink, cull, a, b, c, ia, ib, ic);
}

void DrawFanCall(const char* caller, int count, const int* ilist, const GrVertex* vlist) {
    if (count < 3 || vlist == nullptr) return;
    const PixelPipeline pipe(caller);
    if (!pipe.Ready()) return;
    const FxI32 cull = CullMode(caller);
    const auto vertex = [&](int i) -> const GrVertex& { return vlist[ilist ? ilist[i] : i]; };
    const Sink sink(pipe, count, count - 2);
    int first = -1;
    for (int i = 0; i < count; ++i) {
        const int kept = sink.Keep(vertex(i));
        if (i == 0) first = kept;
    }
    // Kept vertices are consecutive: vertex i is first + i.
    const auto kept = [&](int i) { return first < 0 ? -1 : first + i; };
    for (int i = 1; i + 1 < count; ++i) {
        CulledTriangle(sink, cull, vertex(0), vertex(i), vertex(i + 1), kept(0), kept(i), kept(i + 1));
    }
}

void DrawLineCall(const char* caller, const GrVertex& a, const GrVertex& b) {
    const PixelPipeline pipe(caller);
    if (!pipe.Ready()) return;
    const Corner ca = Chip(a), cb = Chip(b);
    const std::int64_t dx = cb.x - ca.x, dy = cb.y - ca.y;
    if (dx == 0 && dy == 0) return;
    // One pixel wide across the minor axis: the ends move half a pixel (8)
    // each way. X-major when |dx| >= |dy|.
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const std::int64_t ox = xMajor ? 0 : 8, oy = xMajor ? 8 : 0;
    const Corner a0{ca.x - ox, ca.y - oy, &a}, a1{ca.x + ox, ca.y + oy, &a};
    const Corner b0{cb.x - ox, cb.y - oy, &b}, b1{cb.x + ox, cb.y + oy, &b};
    const Sink sink(pipe, 2, 2);
    const int ia = sink.Keep(a), ib = sink.Keep(b);
    sink.Triangle(a0, b0, b1, ia, ib, ib);
    sink.Triangle(a0, b1, a1, ia, ib, ia);
}
