// The chip's per-pixel path behind the drawing entry points: TMU 0, chroma
// key, colour and alpha combine, alpha blending, dithering and the write into
// the RGB 565 render buffer. One PixelPipeline is built per drawing call from
// the rendering state of that moment.
#pragma once

#include <cstdint>

#include "texture_unit.h"

// What the rasterizer iterates for one pixel.
struct Fragment {
    int r, g, b, a;        // iterated colour and alpha, clamped to 0..255
    int depth;             // iterated ooz, clamped to 0..0xFFFF
    std::int64_t s, t;     // texture coordinates, kTexCoordFractionBits fraction bits
};

class PixelPipeline {
public:
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

private:
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
