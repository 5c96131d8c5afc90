// The pixel path's spans: runs of covered pixels of one row. The general span
// shades pixel by pixel through PixelPipeline::Shade; the specialised ones
// serve the states a renderer of this card keeps using (iterated colour,
// optionally modulating a texel that TMU 0 passes through; the alpha of the
// iterated colour, of the constant or (a (256 - a)) >> 8; no blending, or blending
// by the source alpha and its complement or by the source alpha twice; chroma key on or off; 4x4 dithering) with
// the same integers as Shade, the decoded texels of texel_cache.h and the
// bilinear blend done on all four channels at once.
#include <cstdint>

// SSE2 on every x86 build: the i686 build compiles this file alone with
// -msse2 (glide2x/CMakeLists.txt). Other processors take the portable spans.
#if defined(__SSE2__) && !defined(STANDIN_PORTABLE_SPANS)
#include <emmintrin.h>
#define SPANS_SSE2 1
#else
#define SPANS_SSE2 0
#endif

#include "render/pixel_pipeline.h"
#include "render/texel_cache.h"

namespace {

constexpr int kDither4x4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// The dithered 565 fields of every 8-bit value at every matrix value d:
// R and B (2v - (v >> 4) + (v >> 7) + d) >> 4, G (4v - (v >> 4) + (v >> 6) + d) >> 4.
struct DitherTables {
    std::uint8_t rb[16][256];
    std::uint8_t g[16][256];
};

constexpr DitherTables MakeDitherTables() {
    DitherTables t{};
    for (int d = 0; d < 16; ++d) {
        for (int v = 0; v < 256; ++v) {
            t.rb[d][v] = static_cast<std::uint8_t>((2 * v - (v >> 4) + (v >> 7) + d) >> 4);
            t.g[d][v] = static_cast<std::uint8_t>((4 * v - (v >> 4) + (v >> 6) + d) >> 4);
        }
    }
    return t;
}

constexpr DitherTables kDitherTables = MakeDitherTables();

inline int Clamp255(std::int64_t v) { return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int>(v)); }

inline int AddressTexel(std::int64_t index, int size, bool wrap) {
    if (wrap) return static_cast<int>(index & (size - 1));
    const std::int64_t low = index < 0 ? 0 : index;
    return static_cast<int>(low >= size ? size - 1 : low);
}

void GeneralSpan(const PixelPipeline& pipe, SpanRow& row) {
    Fragment f{};
    const bool depth = pipe.UsesDepth();
    for (int x = row.x0; x <= row.x1; ++x) {
        f.r = Clamp255(row.it[SpanRow::kR].q >> 12);
        f.g = Clamp255(row.it[SpanRow::kG].q >> 12);
        f.b = Clamp255(row.it[SpanRow::kB].q >> 12);
        f.a = Clamp255(row.it[SpanRow::kA].q >> 12);
        if (depth) {
            const std::int64_t z = row.it[SpanRow::kZ].q >> 4;
            f.depth = z < 0 ? 0 : (z > 0xFFFF ? 0xFFFF : static_cast<int>(z));
        }
        f.s = row.it[SpanRow::kS].q;
        f.t = row.it[SpanRow::kT].q;
        pipe.Shade(x, row.y, f, row.bilinear);
        for (SpanIterator& it : row.it) it.Next(row.area);
    }
}

constexpr std::uint64_t kLaneLow = 0x00FF00FF00FF00FFull;

// The texel lanes at (s, t): point sampled (Tex 1) or bilinear (Tex 2).
// `inside`: every texel the row reads lies in the level, so clamping and
// wrapping leave the indices as they are.
template <int Tex>
[[gnu::always_inline]] inline std::uint64_t Sample(const PixelPipeline::Fast& p, std::int64_t s, std::int64_t t,
                                                   bool inside) {
    std::int64_t u = s >> p.lod, v = t >> p.lod;
    if (Tex == 1) {
        if (inside || (static_cast<std::uint64_t>(u >> 12) < static_cast<std::uint64_t>(p.texWidth) &&
                       static_cast<std::uint64_t>(v >> 12) < static_cast<std::uint64_t>(p.texHeight))) {
            return p.texels[(v >> 12) * p.texWidth + (u >> 12)];
        }
        return p.texels[AddressTexel(v >> 12, p.texHeight, p.wrapT) * p.texWidth +
                        AddressTexel(u >> 12, p.texWidth, p.wrapS)];
    }
    u -= 2048;
    v -= 2048;
    const std::int64_t x0 = u >> 12, y0 = v >> 12;
    const unsigned fx = static_cast<unsigned>(u >> 8) & 15, fy = static_cast<unsigned>(v >> 8) & 15;
    const std::uint64_t *ra, *rb;
    int xa, xb;
    // Inside the level (the usual case, tested per pixel where the row
    // reaches an edge) the indices need no clamping or wrapping.
    if (inside || (static_cast<std::uint64_t>(x0) < static_cast<std::uint64_t>(p.texWidth - 1) &&
                   static_cast<std::uint64_t>(y0) < static_cast<std::uint64_t>(p.texHeight - 1))) {
        xa = static_cast<int>(x0);
        xb = xa + 1;
        ra = p.texels + y0 * p.texWidth;
        rb = ra + p.texWidth;
    } else {
        xa = AddressTexel(x0, p.texWidth, p.wrapS);
        xb = AddressTexel(x0 + 1, p.texWidth, p.wrapS);
        ra = p.texels + AddressTexel(y0, p.texHeight, p.wrapT) * p.texWidth;
        rb = p.texels + AddressTexel(y0 + 1, p.texHeight, p.wrapT) * p.texWidth;
    }
    // Each lane stays below 2^16: at most 255 * 256.
    const std::uint64_t lanes = ra[xa] * ((16 - fx) * (16 - fy)) + ra[xb] * (fx * (16 - fy)) +
                                rb[xa] * ((16 - fx) * fy) + rb[xb] * (fx * fy);
    return (lanes >> 8) & kLaneLow;
}

// Whether every texel a row of Tex sampling reads lies inside the level: s
// and t are linear along the row, so their values at both ends bound it.
template <int Tex>
bool RowInside(const PixelPipeline::Fast& p, const SpanRow& row) {
    if (Tex == 0) return false;
    const std::int64_t n = row.x1 - row.x0;
    const auto inside = [&](const SpanIterator& it, int size) {
        const std::int64_t last = it.q + n * it.stepQ + (it.r + n * it.stepR) / row.area;  // r + n stepR >= 0
        const std::int64_t shift = Tex == 2 ? 2048 : 0, top = Tex == 2 ? size - 2 : size - 1;
        const std::int64_t a = ((it.q >> p.lod) - shift) >> 12, b = ((last >> p.lod) - shift) >> 12;
        return a >= 0 && b >= 0 && a <= top && b <= top;
    };
    return inside(row.it[SpanRow::kS], p.texWidth) && inside(row.it[SpanRow::kT], p.texHeight);
}

// The six values a specialised span steps, as the general path has them:
// 64-bit quotient and remainder each.
class ScalarValues {
public:
    explicit ScalarValues(const SpanRow& row)
        : area_(row.area), r_(row.it[SpanRow::kR]), g_(row.it[SpanRow::kG]), b_(row.it[SpanRow::kB]),
          a_(row.it[SpanRow::kA]), s_(row.it[SpanRow::kS]), t_(row.it[SpanRow::kT]) {}
    void Colour(int* r, int* g, int* b, int* a) const {
        *r = Clamp255(r_.q >> 12);
        *g = Clamp255(g_.q >> 12);
        *b = Clamp255(b_.q >> 12);
        *a = Clamp255(a_.q >> 12);
    }
    std::int64_t S() const { return s_.q; }
    std::int64_t T() const { return t_.q; }
    void NextColour() {
        r_.Next(area_);
        g_.Next(area_);
        b_.Next(area_);
        a_.Next(area_);
    }
    void NextTexture() {
        s_.Next(area_);
        t_.Next(area_);
    }

private:
    std::int64_t area_;
    SpanIterator r_, g_, b_, a_, s_, t_;
};

#if SPANS_SSE2
// The same values in 32-bit lanes, r g b a in one register and s t in
// another, for rows where they fit (PackedFits): the remainder below the
// area and the area below 2^30, quotients and steps below 2^28 in
// magnitude. Every covered pixel lies in the triangle, so its values lie
// between the corners' and never leave that range. Clamping to 0..255 is
// the two saturating packs.
class PackedValues {
public:
    explicit PackedValues(const SpanRow& row) {
        const auto lanes = [&](int a, int b, int c, int d, std::int64_t SpanIterator::*field) {
            return _mm_set_epi32(static_cast<int>(row.it[d].*field), static_cast<int>(row.it[c].*field),
                                 static_cast<int>(row.it[b].*field), static_cast<int>(row.it[a].*field));
        };
        using I = SpanRow;
        cq_ = lanes(I::kR, I::kG, I::kB, I::kA, &SpanIterator::q);
        cr_ = lanes(I::kR, I::kG, I::kB, I::kA, &SpanIterator::r);
        cStepQ_ = lanes(I::kR, I::kG, I::kB, I::kA, &SpanIterator::stepQ);
        cStepR_ = lanes(I::kR, I::kG, I::kB, I::kA, &SpanIterator::stepR);
        tq_ = lanes(I::kS, I::kT, I::kS, I::kT, &SpanIterator::q);
        tr_ = lanes(I::kS, I::kT, I::kS, I::kT, &SpanIterator::r);
        tStepQ_ = lanes(I::kS, I::kT, I::kS, I::kT, &SpanIterator::stepQ);
        tStepR_ = lanes(I::kS, I::kT, I::kS, I::kT, &SpanIterator::stepR);
        area_ = _mm_set1_epi32(static_cast<int>(row.area));
        areaBelow_ = _mm_set1_epi32(static_cast<int>(row.area - 1));
    }
    void Colour(int* r, int* g, int* b, int* a) const {
        __m128i c = _mm_srai_epi32(cq_, 12);
        c = _mm_packs_epi32(c, c);
        c = _mm_packus_epi16(c, c);
        const auto bytes = static_cast<unsigned>(_mm_cvtsi128_si32(c));
        *r = static_cast<int>(bytes & 255);
        *g = static_cast<int>((bytes >> 8) & 255);
        *b = static_cast<int>((bytes >> 16) & 255);
        *a = static_cast<int>(bytes >> 24);
    }
    std::int64_t S() const { return _mm_cvtsi128_si32(tq_); }
    std::int64_t T() const { return _mm_cvtsi128_si32(_mm_srli_si128(tq_, 4)); }
    void NextColour() { Step(cq_, cr_, cStepQ_, cStepR_); }
    void NextTexture() { Step(tq_, tr_, tStepQ_, tStepR_); }

    static bool Fits(const SpanRow& row) {
        constexpr std::int64_t kLimit = std::int64_t{1} << 28;
        if (row.area >= (std::int64_t{1} << 30)) return false;
        for (const SpanIterator& it : row.it) {
            if (it.q <= -kLimit || it.q >= kLimit || it.stepQ <= -kLimit || it.stepQ >= kLimit) return false;
        }
        return true;
    }

private:
    void Step(__m128i& q, __m128i& r, __m128i stepQ, __m128i stepR) const {
        r = _mm_add_epi32(r, stepR);
        const __m128i carry = _mm_cmpgt_epi32(r, areaBelow_);  // all ones where r >= area
        q = _mm_sub_epi32(_mm_add_epi32(q, stepQ), carry);
        r = _mm_sub_epi32(r, _mm_and_si128(carry, area_));
    }

    __m128i cq_, cr_, cStepQ_, cStepR_, tq_, tr_, tStepQ_, tStepR_, area_, areaBelow_;
};
#endif

// The render buffer's row for window row y (a lower-left origin counts rows
// from the bottom).
inline std::uint16_t* RowPixels(const PixelPipeline::Fast& p, int y) {
    return p.target + static_cast<std::size_t>(p.lowerLeft ? p.height - 1 - y : y) * static_cast<std::size_t>(p.width);
}

// Tex: 0 untextured, 1 point sampled, 2 bilinear. Blend: Fast::blend.
template <int Tex, int Blend, bool Key, bool Flat, class Values>
void FastRun(const PixelPipeline::Fast& p, const SpanRow& row) {
    Values values(row);
    const bool inside = RowInside<Tex>(p, row);
    const int y = row.y;
    std::uint16_t* const out = RowPixels(p, y);
    const int* const dither = kDither4x4[y & 3];
    const int oneMinus = p.colorOneMinus;
    int cr, cg, cb, ca;
    values.Colour(&cr, &cg, &cb, &ca);
    for (int x = row.x0; x <= row.x1; ++x) {
        if (!Flat) values.Colour(&cr, &cg, &cb, &ca);
        int orr = cr, og = cg, ob = cb;  // the colour unit's other input
        if (Tex != 0) {
            const std::uint64_t lanes = Sample<Tex>(p, values.S(), values.T(), inside);
            orr = static_cast<int>(lanes & 0xFFFF);
            og = static_cast<int>((lanes >> 16) & 0xFFFF);
            ob = static_cast<int>((lanes >> 32) & 0xFFFF);
        }
        if (!(Key && orr == p.keyR && og == p.keyG && ob == p.keyB)) {
            int a;
            switch (p.alphaKind) {
            case 0: a = ca; break;
            case 1: a = p.constantAlpha; break;
            default: a = (ca * (256 - ca)) >> 8; break;
            }
            // SCALE_OTHER with the factor LOCAL or ONE_MINUS_LOCAL: m + 1 = (l ^ oneMinus) + 1.
            int r = (orr * ((cr ^ oneMinus) + 1)) >> 8;
            int g = (og * ((cg ^ oneMinus) + 1)) >> 8;
            int b = (ob * ((cb ^ oneMinus) + 1)) >> 8;
            std::uint16_t& pixel = out[x];
            if (Blend != 0) {
                const unsigned dst = pixel;
                const unsigned d5r = dst >> 11, d6g = (dst >> 5) & 63, d5b = dst & 31;
                const int dr = static_cast<int>((d5r << 3) | (d5r >> 2)), dg = static_cast<int>((d6g << 2) | (d6g >> 4)),
                          db = static_cast<int>((d5b << 3) | (d5b >> 2));
                const int sm = a + 1;
                if (Blend == 1) {
                    const int dm = 256 - a;
                    r = ((r * sm) >> 8) + ((dr * dm) >> 8);
                    g = ((g * sm) >> 8) + ((dg * dm) >> 8);
                    b = ((b * sm) >> 8) + ((db * dm) >> 8);
                } else {
                    r = ((r * sm) >> 8) + ((dr * sm) >> 8);
                    g = ((g * sm) >> 8) + ((dg * sm) >> 8);
                    b = ((b * sm) >> 8) + ((db * sm) >> 8);
                }
                r = r > 255 ? 255 : r;
                g = g > 255 ? 255 : g;
                b = b > 255 ? 255 : b;
            }
            const int d = dither[x & 3];
            pixel = static_cast<std::uint16_t>((kDitherTables.rb[d][r] << 11) | (kDitherTables.g[d][g] << 5) |
                                               kDitherTables.rb[d][b]);
        }
        if (!Flat) values.NextColour();
        if (Tex != 0) values.NextTexture();
    }
}


#if SPANS_SSE2
// FastRun with the combine, blend, dither and write done for eight pixels at
// once in 16-bit lanes (every product stays below 2^16: at most 255 * 256):
// the values, the texels, the key and the alpha per pixel as in FastRun,
// then the rest for the group.
template <int Tex, int Blend, bool Key, bool Flat, class Values>
void FastRunGroups(const PixelPipeline::Fast& p, const SpanRow& row) {
    Values values(row);
    const bool inside = RowInside<Tex>(p, row);
    const int y = row.y;
    std::uint16_t* const out = RowPixels(p, y);
    const int* const dither = kDither4x4[y & 3];
    // Every group starts at x0 + 8k, so one vector of matrix values serves all.
    const __m128i d = _mm_setr_epi16(
        static_cast<short>(dither[(row.x0 + 0) & 3]), static_cast<short>(dither[(row.x0 + 1) & 3]),
        static_cast<short>(dither[(row.x0 + 2) & 3]), static_cast<short>(dither[(row.x0 + 3) & 3]),
        static_cast<short>(dither[(row.x0 + 0) & 3]), static_cast<short>(dither[(row.x0 + 1) & 3]),
        static_cast<short>(dither[(row.x0 + 2) & 3]), static_cast<short>(dither[(row.x0 + 3) & 3]));
    const __m128i oneMinus = _mm_set1_epi16(static_cast<short>(p.colorOneMinus));
    const __m128i one = _mm_set1_epi16(1), c255 = _mm_set1_epi16(255), c256 = _mm_set1_epi16(256);
    const __m128i keyR = _mm_set1_epi16(static_cast<short>(p.keyR)), keyG = _mm_set1_epi16(static_cast<short>(p.keyG)),
                  keyB = _mm_set1_epi16(static_cast<short>(p.keyB));
    const __m128i constantAlpha = _mm_set1_epi16(static_cast<short>(p.constantAlpha));
    // Lanes past the end of a short group hold whatever an earlier group left
    // there; the group's mask keeps them out of the write.
    alignas(16) std::uint16_t oR[8] = {}, oG[8] = {}, oB[8] = {}, lR[8] = {}, lG[8] = {}, lB[8] = {}, al[8] = {},
                              old[8] = {};
    const __m128i laneIndex = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    int cr, cg, cb, ca;
    values.Colour(&cr, &cg, &cb, &ca);
    for (int x = row.x0; x <= row.x1; x += 8) {
        const int n = row.x1 - x + 1 < 8 ? row.x1 - x + 1 : 8;
        for (int i = 0; i < n; ++i) {
            if (!Flat) values.Colour(&cr, &cg, &cb, &ca);
            int orr = cr, og = cg, ob = cb;
            if (Tex != 0) {
                const std::uint64_t lanes = Sample<Tex>(p, values.S(), values.T(), inside);
                orr = static_cast<int>(lanes & 0xFFFF);
                og = static_cast<int>((lanes >> 16) & 0xFFFF);
                ob = static_cast<int>((lanes >> 32) & 0xFFFF);
            }
            oR[i] = static_cast<std::uint16_t>(orr);
            oG[i] = static_cast<std::uint16_t>(og);
            oB[i] = static_cast<std::uint16_t>(ob);
            lR[i] = static_cast<std::uint16_t>(cr);
            lG[i] = static_cast<std::uint16_t>(cg);
            lB[i] = static_cast<std::uint16_t>(cb);
            al[i] = static_cast<std::uint16_t>(ca);
            if (!Flat) values.NextColour();
            if (Tex != 0) values.NextTexture();
        }
        std::uint16_t* const target = out + x;
        const bool whole = n == 8;
        if (!whole) {
            for (int i = 0; i < n; ++i) old[i] = target[i];
        }
        const __m128i dst = whole ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(target))
                                  : _mm_load_si128(reinterpret_cast<const __m128i*>(old));
        const auto load = [](const std::uint16_t* a) { return _mm_load_si128(reinterpret_cast<const __m128i*>(a)); };
        // SCALE_OTHER: (other * ((local ^ oneMinus) + 1)) >> 8.
        const auto scale = [&](__m128i o, __m128i l) {
            return _mm_srli_epi16(_mm_mullo_epi16(o, _mm_add_epi16(_mm_xor_si128(l, oneMinus), one)), 8);
        };
        const __m128i otherR = load(oR), otherG = load(oG), otherB = load(oB);
        __m128i mask = _mm_cmpgt_epi16(_mm_set1_epi16(static_cast<short>(n)), laneIndex);
        if (Key) {  // a pixel whose other colour equals the key is not written
            const __m128i keyed =
                _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi16(otherR, keyR), _mm_cmpeq_epi16(otherG, keyG)),
                              _mm_cmpeq_epi16(otherB, keyB));
            mask = _mm_andnot_si128(keyed, mask);
        }
        __m128i r = scale(otherR, load(lR)), g = scale(otherG, load(lG)), b = scale(otherB, load(lB));
        if (Blend != 0) {
            // The alpha unit: the iterated alpha, the constant's, or (a (256 - a)) >> 8.
            __m128i a = load(al);
            if (p.alphaKind == 1) {
                a = constantAlpha;
            } else if (p.alphaKind == 2) {
                a = _mm_srli_epi16(_mm_mullo_epi16(a, _mm_sub_epi16(c256, a)), 8);
            }
            const __m128i sm = _mm_add_epi16(a, one);
            const __m128i dm = Blend == 1 ? _mm_sub_epi16(c256, a) : sm;
            const __m128i d5r = _mm_srli_epi16(dst, 11);
            const __m128i d6g = _mm_and_si128(_mm_srli_epi16(dst, 5), _mm_set1_epi16(63));
            const __m128i d5b = _mm_and_si128(dst, _mm_set1_epi16(31));
            const __m128i dr = _mm_or_si128(_mm_slli_epi16(d5r, 3), _mm_srli_epi16(d5r, 2));
            const __m128i dg = _mm_or_si128(_mm_slli_epi16(d6g, 2), _mm_srli_epi16(d6g, 4));
            const __m128i db = _mm_or_si128(_mm_slli_epi16(d5b, 3), _mm_srli_epi16(d5b, 2));
            const auto blend = [&](__m128i src, __m128i dstc) {
                const __m128i sum = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(src, sm), 8),
                                                  _mm_srli_epi16(_mm_mullo_epi16(dstc, dm), 8));
                return _mm_min_epi16(sum, c255);
            };
            r = blend(r, dr);
            g = blend(g, dg);
            b = blend(b, db);
        }
        // R, B: (2v - (v >> 4) + (v >> 7) + d) >> 4; G: (4v - (v >> 4) + (v >> 6) + d) >> 4.
        const auto five = [&](__m128i v) {
            return _mm_srli_epi16(
                _mm_add_epi16(_mm_sub_epi16(_mm_slli_epi16(v, 1), _mm_srli_epi16(v, 4)),
                              _mm_add_epi16(_mm_srli_epi16(v, 7), d)),
                4);
        };
        const __m128i g6 = _mm_srli_epi16(_mm_add_epi16(_mm_sub_epi16(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4)),
                                                        _mm_add_epi16(_mm_srli_epi16(g, 6), d)),
                                          4);
        const __m128i pixels =
            _mm_or_si128(_mm_or_si128(_mm_slli_epi16(five(r), 11), _mm_slli_epi16(g6, 5)), five(b));
        const __m128i merged = _mm_or_si128(_mm_and_si128(mask, pixels), _mm_andnot_si128(mask, dst));
        if (whole) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target), merged);
        } else {
            _mm_store_si128(reinterpret_cast<__m128i*>(old), merged);
            for (int i = 0; i < n; ++i) target[i] = old[i];
        }
    }
}
#endif

template <int Tex, int Blend, bool Key, bool Flat>
void FastSpan(const PixelPipeline& pipe, SpanRow& row) {
#if SPANS_SSE2
    if (PackedValues::Fits(row)) return FastRunGroups<Tex, Blend, Key, Flat, PackedValues>(pipe.FastState(), row);
    return FastRunGroups<Tex, Blend, Key, Flat, ScalarValues>(pipe.FastState(), row);
#endif
    FastRun<Tex, Blend, Key, Flat, ScalarValues>(pipe.FastState(), row);
}

template <int Tex, int Blend>
SpanFn Pick(bool key, bool flat) {
    if (key) return flat ? FastSpan<Tex, Blend, true, true> : FastSpan<Tex, Blend, true, false>;
    return flat ? FastSpan<Tex, Blend, false, true> : FastSpan<Tex, Blend, false, false>;
}

template <int Tex>
SpanFn PickBlend(int blend, bool key, bool flat) {
    switch (blend) {
    case 1: return Pick<Tex, 1>(key, flat);
    case 2: return Pick<Tex, 2>(key, flat);
    default: return Pick<Tex, 0>(key, flat);
    }
}

bool specialisedSpans = true;

}  // namespace

void SetSpecialisedSpans(bool on) { specialisedSpans = on; }

SpanFn PixelPipeline::Span(bool bilinear, bool flat) const {
    if (!fast_.ready) return GeneralSpan;
    if (fast_.texture == 0) return PickBlend<0>(fast_.blend, fast_.chromakey, flat);
    return bilinear ? PickBlend<2>(fast_.blend, fast_.chromakey, flat) : PickBlend<1>(fast_.blend, fast_.chromakey, flat);
}

void PixelPipeline::ChooseFastPath(const char*) {
    fast_ = Fast{};
    Fast& f = fast_;
    if (!specialisedSpans || target_ == nullptr || dither_ != GR_DITHER_4x4) return;
    // The colour unit: SCALE_OTHER of the iterated or texture colour by the
    // iterated colour (LOCAL or ONE_MINUS_LOCAL).
    if (colorLocal_ != kIterated || color_.shape != CombineUnit::kScaleOther || color_.factorSource != 1) return;
    f.colorOneMinus = color_.oneMinus ? 255 : 0;
    if (colorOther_ == kIterated && !textured_) {
        f.texture = 0;
    } else if (colorOther_ == kTexture && alphaOther_ != kTexture && alpha_.factorSource != 4 &&
               texture_.Readable() && texture_.PassesTexel()) {
        f.texture = 1;
    } else {
        return;
    }
    // The alpha unit.
    if (alpha_.shape == CombineUnit::kScaleOther && alpha_.factorSource == 0 && alpha_.oneMinus &&
        alphaOther_ == kIterated) {
        f.alphaKind = 0;  // (other * 256) >> 8
    } else if (alpha_.shape == CombineUnit::kLocal && alphaLocal_ == kConstant) {
        f.alphaKind = 1;
    } else if (alpha_.shape == CombineUnit::kScaleOther && alpha_.factorSource == 1 && alpha_.oneMinus &&
               alphaLocal_ == kIterated && alphaOther_ == kIterated) {
        f.alphaKind = 2;
    } else {
        return;
    }
    if (!blending_) {
        f.blend = 0;
    } else if (srcFactor_ == GR_BLEND_SRC_ALPHA && dstFactor_ == GR_BLEND_ONE_MINUS_SRC_ALPHA) {
        f.blend = 1;
    } else if (srcFactor_ == GR_BLEND_SRC_ALPHA && dstFactor_ == GR_BLEND_SRC_ALPHA) {
        f.blend = 2;
    } else {
        return;
    }
    f.target = target_;
    f.width = width_;
    f.height = height_;
    f.lowerLeft = lowerLeft_;
    f.constantAlpha = constant_.a;
    f.chromakey = chromakey_;
    f.keyR = key_.r;
    f.keyG = key_.g;
    f.keyB = key_.b;
    if (f.texture) {
        f.texWidth = texture_.Width();
        f.texHeight = texture_.Height();
        f.lod = texture_.LevelShift();
        f.wrapS = texture_.WrapS();
        f.wrapT = texture_.WrapT();
        f.texels = DecodedLevel(0, texture_.Base(), texture_.Format(), f.texWidth, f.texHeight);
    }
    f.ready = true;
}
