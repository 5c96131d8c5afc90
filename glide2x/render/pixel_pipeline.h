// The chip's per-pixel path behind the drawing entry points: TMU 0, chroma
// key, colour and alpha combine, alpha blending, dithering and the write into
// the RGB 565 render buffer. One PixelPipeline is built per drawing call from
// the rendering state of that moment.
#pragma once

#include <cstdint>

#include "render/texture_unit.h"

// What the rasterizer iterates for one pixel.
struct Fragment {
    int r, g, b, a;        // iterated colour and alpha, clamped to 0..255
    int depth;             // iterated ooz, clamped to 0..0xFFFF
    std::int64_t s, t;     // texture coordinates, kTexCoordFractionBits fraction bits
};

// One iterated value along a row: floor(N / area) as quotient and remainder,
// stepped per pixel.
struct SpanIterator {
    std::int64_t q, r, stepQ, stepR;
    // Without a branch: the carry is irregular along a row.
    void Next(std::int64_t area) {
        r += stepR;
        const std::int64_t carry = r >= area ? 1 : 0;
        q += stepQ + carry;
        r -= area & -carry;
    }
};

// The run of covered pixels x0..x1 of window row y, with the iterated
// values at x0. Only linear texture coordinates reach a span (perspective
// division is the rasteriser's).
struct SpanRow {
    int y, x0, x1;
    std::int64_t area;
    bool bilinear;
    enum { kR, kG, kB, kA, kZ, kS, kT, kValues };
    SpanIterator it[kValues];
};

class PixelPipeline;
// Whether pipelines built from now on may use the specialised spans.
void SetSpecialisedSpans(bool on);

using SpanFn = void (*)(const PixelPipeline& pipe, SpanRow& row);

class PixelPipeline {
public:
    PixelPipeline() = default;
    // Reads the state; every state the model does not have is reported once
    // as "<caller>: ..." (standinErrorCount).
    explicit PixelPipeline(const char* caller);

    // False when there is nothing to draw into (no window open).
    bool Ready() const { return target_ != nullptr; }
    // The drawable rectangle in window coordinates: the clip window cut to
    // the screen, max exclusive.
    int MinX() const { return minX_; }
    int MinY() const { return minY_; }
    int MaxX() const { return maxX_; }
    int MaxY() const { return maxY_; }

    bool Textured() const { return textured_; }
    bool UsesDepth() const { return usesDepth_; }
    const TextureUnit& Texture() const { return texture_; }

    // Shades and writes the pixel at window position (x, y).
    void Shade(int x, int y, const Fragment& f, bool bilinear) const;

    // The span function for a triangle: one specialised for the state when
    // there is one (the same pixels as Shade, pixel by pixel), else the
    // general one that calls Shade. `flat`: colour and alpha do not change
    // along a row.
    SpanFn Span(bool bilinear, bool flat) const;

    // What the specialised spans read.
    struct Fast {
        // The state shapes the spans are specialised for; 0 when none fits.
        int texture = 0;     // 0 untextured (other = iterated), 1 textured (other = texel)
        bool ready = false;  // a specialised span serves this state
        int colorOneMinus = 0;  // 255 for the factor ONE_MINUS_LOCAL, 0 for LOCAL (m = l ^ this)
        int alphaKind = 0;  // 0 other (iterated) alpha, 1 constant alpha, 2 (a (256 - a)) >> 8 of the iterated
        int blend = 0;      // 0 none, 1 SRC_ALPHA / ONE_MINUS_SRC_ALPHA, 2 SRC_ALPHA / SRC_ALPHA
        std::uint16_t* target = nullptr;
        int width = 0, height = 0;
        bool lowerLeft = false;
        int constantAlpha = 0;
        int keyR = 0, keyG = 0, keyB = 0;
        bool chromakey = false;
        const std::uint64_t* texels = nullptr;  // texel_cache.h lanes
        int texWidth = 1, texHeight = 1, lod = 0;
        bool wrapS = false, wrapT = false;
    };
    const Fast& FastState() const { return fast_; }

private:
    void ChooseFastPath(const char* caller);
    Fast fast_;

    enum Source { kIterated, kTexture, kConstant, kDepth, kZero };

    std::uint16_t* target_ = nullptr;
    int width_ = 0, height_ = 0;
    bool lowerLeft_ = false;
    int minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;

    bool textured_ = false;
    bool usesDepth_ = false;
    TextureUnit texture_;

    Rgba constant_{};
    Source colorLocal_ = kIterated, colorOther_ = kIterated, alphaLocal_ = kConstant, alphaOther_ = kConstant;
    CombineUnit color_, alpha_;

    bool chromakey_ = false;
    Rgba key_{};

    bool blending_ = false;
    bool srcPerChannel_ = false, dstPerChannel_ = false;
    FxI32 srcFactor_ = 4, dstFactor_ = 0;
    int dither_ = 0;
};
