#include "render/pixel_pipeline.h"

#include <algorithm>
#include <string>
#include <vector>

#include "render/errors.h"

namespace {

constexpr int kDither4x4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
// The 2x2 ordered matrix (0 2 / 3 1), spread over the 4x4 matrix's range.
constexpr int kDither2x2[2][2] = {{2, 10}, {14, 6}};

// No alpha buffer is modelled (the aux buffer holds depth), so the
// destination alpha reads as 255.
constexpr int kDestinationAlpha = 255;

bool KnownBlendFactor(FxI32 code) { return (code >= 0 && code <= 7) || code == GR_BLEND_ALPHA_SATURATE; }

// The factor value m (0..255) of a blend factor: the term is (v * (m + 1)) >> 8.
// `colour` is the other side's channel (the destination's for a source
// factor, the source's for a destination factor).
inline int BlendFactor(FxI32 code, bool source, int colour, int srcAlpha) {
    switch (code) {
    case GR_BLEND_SRC_ALPHA: return srcAlpha;
    case GR_BLEND_SRC_COLOR: return colour;  // DST_COLOR as a source factor
    case GR_BLEND_DST_ALPHA: return kDestinationAlpha;
    case GR_BLEND_ONE: return 255;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return 255 - srcAlpha;
    case GR_BLEND_ONE_MINUS_SRC_COLOR: return 255 - colour;
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return 255 - kDestinationAlpha;
    case GR_BLEND_ALPHA_SATURATE:  // PREFOG_COLOR as a destination factor: no fog, so the source colour
        return source ? std::min(srcAlpha, 255 - kDestinationAlpha) : colour;
    default: return 0;  // ZERO
    }
}

// Whether a factor reads the other side's colour (else it is the same for
// the three channels).
bool PerChannel(FxI32 code, bool source) {
    return code == GR_BLEND_SRC_COLOR || code == GR_BLEND_ONE_MINUS_SRC_COLOR ||
           (!source && code == GR_BLEND_ALPHA_SATURATE);
}

// 8-bit channels to one RGB 565 pixel at (x, y) of the window with the
// GR_DITHER_ mode: 0 truncation, 1 the 2x2 matrix, 2 the 4x4 matrix. Inlined
// into the pixel path, which calls it for every pixel.
[[gnu::always_inline]] inline std::uint16_t DitherTo565(int r, int g, int b, int x, int y, int mode) {
    if (mode != GR_DITHER_2x2 && mode != GR_DITHER_4x4) return Rgb565(r, g, b);
    const int d = mode == GR_DITHER_4x4 ? kDither4x4[y & 3][x & 3] : kDither2x2[y & 1][x & 1];
    const int r5 = (2 * r - (r >> 4) + (r >> 7) + d) >> 4;
    const int g6 = (4 * g - (g >> 4) + (g >> 6) + d) >> 4;
    const int b5 = (2 * b - (b >> 4) + (b >> 7) + d) >> 4;
    return static_cast<std::uint16_t>((r5 << 11) | (g6 << 5) | b5);
}

}  // namespace

PixelPipeline::PixelPipeline(const char* caller) {
    StandinDevice& device = Device();
    StandinScreen& screen = device.screen;
    const StandinRenderState& s = device.state;
    if (!screen.open) return;
    std::vector<std::string> problems;

    const int buffer = ColorBufferIndex(s.renderBuffer);
    if (buffer >= 0) {
        target_ = screen.color[buffer].data();
    } else {
        problems.push_back("render buffer " + std::to_string(s.renderBuffer) + " (nothing drawn)");
    }
    width_ = screen.width;
    height_ = screen.height;
    lowerLeft_ = screen.origin == GR_ORIGIN_LOWER_LEFT;
    minX_ = std::max(0, s.clipMinX);
    minY_ = std::max(0, s.clipMinY);
    maxX_ = std::min(width_, s.clipMaxX);
    maxY_ = std::min(height_, s.clipMaxY);

    UnpackColor(s.constantColor, screen.colorFormat, &constant_.r, &constant_.g, &constant_.b, &constant_.a);
    const auto local = [&](FxI32 code, bool alpha, const char* unit) {
        if (code == GR_COMBINE_LOCAL_ITERATED) return kIterated;
        if (code == GR_COMBINE_LOCAL_CONSTANT) return kConstant;
        if (alpha && code == GR_COMBINE_LOCAL_DEPTH) return kDepth;
        problems.push_back(std::string(unit) + " local source " + std::to_string(code) + " (reads 0)");
        return kZero;
    };
    const auto other = [&](FxI32 code, const char* unit) {
        if (code == GR_COMBINE_OTHER_ITERATED) return kIterated;
        if (code == GR_COMBINE_OTHER_TEXTURE) return kTexture;
        if (code == GR_COMBINE_OTHER_CONSTANT) return kConstant;
        problems.push_back(std::string(unit) + " other source " + std::to_string(code) + " (reads 0)");
        return kZero;
    };
    colorLocal_ = local(s.colorCombine.local, false, "colour combine");
    colorOther_ = other(s.colorCombine.other, "colour combine");
    alphaLocal_ = local(s.alphaCombine.local, true, "alpha combine");
    alphaOther_ = other(s.alphaCombine.other, "alpha combine");
    color_ = MakeCombineUnit(s.colorCombine.function, s.colorCombine.factor, s.colorCombine.invert, false,
                             "colour combine", problems);
    alpha_ = MakeCombineUnit(s.alphaCombine.function, s.alphaCombine.factor, s.alphaCombine.invert, false,
                             "alpha combine", problems);
    textured_ = colorOther_ == kTexture || alphaOther_ == kTexture || color_.factorSource == 4 ||
                alpha_.factorSource == 4;
    if (textured_) texture_.Setup(s.tmu[0], device.texMemory[0], problems);
    usesDepth_ = alphaLocal_ == kDepth;

    if (s.chromakeyMode != GR_CHROMAKEY_DISABLE && s.chromakeyMode != GR_CHROMAKEY_ENABLE) {
        problems.push_back("chroma-key mode " + std::to_string(s.chromakeyMode) + " (drawn as DISABLE)");
    }
    chromakey_ = s.chromakeyMode == GR_CHROMAKEY_ENABLE;
    UnpackColor(s.chromakeyValue, screen.colorFormat, &key_.r, &key_.g, &key_.b, &key_.a);

    const auto factor = [&](FxI32 code, const char* which) {
        if (KnownBlendFactor(code)) return code;
        problems.push_back(std::string("blend ") + which + " factor " + std::to_string(code) + " (drawn as ZERO)");
        return FxI32{GR_BLEND_ZERO};
    };
    srcFactor_ = factor(s.rgbSrcFactor, "colour source");
    dstFactor_ = factor(s.rgbDstFactor, "colour destination");
    factor(s.alphaSrcFactor, "alpha source");  // no alpha buffer: checked only
    factor(s.alphaDstFactor, "alpha destination");
    blending_ = !(srcFactor_ == GR_BLEND_ONE && dstFactor_ == GR_BLEND_ZERO);
    srcPerChannel_ = PerChannel(srcFactor_, true);
    dstPerChannel_ = PerChannel(dstFactor_, false);

    dither_ = s.ditherMode;
    if (dither_ < GR_DITHER_DISABLE || dither_ > GR_DITHER_4x4) {
        problems.push_back("dither mode " + std::to_string(dither_) + " (drawn undithered)");
        dither_ = 0;
    }
    for (const std::string& problem : problems) ReportError(std::string(caller) + ": not modelled: " + problem);
    ChooseFastPath(caller);
}

void PixelPipeline::Shade(int x, int y, const Fragment& f, bool bilinear) const {
    const Rgba iterated{f.r, f.g, f.b, f.a};
    const Rgba texel = textured_ ? texture_.Output(f.s, f.t, bilinear) : Rgba{0, 0, 0, 0};
    const auto pick = [&](Source source) {
        switch (source) {
        case kIterated: return iterated;
        case kTexture: return texel;
        case kConstant: return constant_;
        case kDepth: return Rgba{0, 0, 0, f.depth >> 8};  // the top 8 bits of the 16-bit depth
        default: return Rgba{0, 0, 0, 0};
        }
    };
    const Rgba other = pick(colorOther_);
    if (chromakey_ && other.r == key_.r && other.g == key_.g && other.b == key_.b) return;

    const int aLocal = pick(alphaLocal_).a;
    const int aOther = pick(alphaOther_).a;
    const int alpha =
        CombineChannel(alpha_, aLocal, aOther, aLocal, CombineFactor(alpha_, aLocal, aOther, aLocal, texel.a));
    const Rgba local = pick(colorLocal_);
    const auto channel = [&](int l, int o) {
        return CombineChannel(color_, l, o, aLocal, CombineFactor(color_, l, aOther, aLocal, texel.a));
    };
    int r = channel(local.r, other.r), g = channel(local.g, other.g), b = channel(local.b, other.b);

    const int row = lowerLeft_ ? height_ - 1 - y : y;
    std::uint16_t& pixel = target_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
                                   static_cast<std::size_t>(x)];
    if (blending_) {
        const unsigned dst = pixel;
        const int dr = ExpandBits(dst >> 11, 5), dg = ExpandBits((dst >> 5) & 63, 6), db = ExpandBits(dst & 31, 5);
        const int sf = BlendFactor(srcFactor_, true, 0, alpha), df = BlendFactor(dstFactor_, false, 0, alpha);
        const auto blend = [&](int src, int dst) {
            const int sm = srcPerChannel_ ? BlendFactor(srcFactor_, true, dst, alpha) : sf;
            const int dm = dstPerChannel_ ? BlendFactor(dstFactor_, false, src, alpha) : df;
            const int out = ((src * (sm + 1)) >> 8) + ((dst * (dm + 1)) >> 8);
            return out > 255 ? 255 : out;
        };
        r = blend(r, dr);
        g = blend(g, dg);
        b = blend(b, db);
    }
    pixel = DitherTo565(r, g, b, x, y, dither_);
}
