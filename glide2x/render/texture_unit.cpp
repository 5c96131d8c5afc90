#include "render/texture_unit.h"

#include "render/texture_layout.h"

namespace {

int AddressTexel(std::int64_t index, int size, bool wrap) {
    if (wrap) return static_cast<int>(index & (size - 1));  // sizes are powers of two
    if (index < 0) return 0;
    return index >= size ? size - 1 : static_cast<int>(index);
}

}  // namespace

CombineUnit MakeCombineUnit(FxI32 function, FxI32 factor, FxBool invert, bool tmu, const char* unitName,
                            std::vector<std::string>& problems) {
    CombineUnit u;
    switch (function) {
    case GR_COMBINE_FUNCTION_ZERO: break;
    case GR_COMBINE_FUNCTION_LOCAL: u.add = 1; break;
    case GR_COMBINE_FUNCTION_LOCAL_ALPHA: u.add = 2; break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER: u.zeroOther = false; break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL: u.zeroOther = false, u.add = 1; break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA: u.zeroOther = false, u.add = 2; break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL: u.zeroOther = false, u.subtractLocal = true; break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL:
        u.zeroOther = false, u.subtractLocal = true, u.add = 1;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA:
        u.zeroOther = false, u.subtractLocal = true, u.add = 2;
        break;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL: u.subtractLocal = true, u.add = 1; break;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA: u.subtractLocal = true, u.add = 2; break;
    default:
        problems.push_back(std::string(unitName) + " function " + std::to_string(function) + " (drawn as ZERO)");
        break;
    }
    const int source = factor & 7;
    const bool known = factor >= 0 && factor <= 0xF && source <= (tmu ? 3 : 4);
    if (known) {
        u.factorSource = source;
        u.oneMinus = (factor & 8) != 0;
    } else {
        problems.push_back(std::string(unitName) + " factor " + std::to_string(factor) + " (drawn as ZERO)");
    }
    u.invert = invert != 0;
    if (!u.subtractLocal && !u.invert) {
        if (!u.zeroOther && u.add == 0) u.shape = CombineUnit::kScaleOther;
        // X starts at 0 and scales to 0; the local value added is all there is.
        if (u.zeroOther && u.add == 1) u.shape = CombineUnit::kLocal;
    }
    return u;
}

void TextureUnit::Setup(const StandinTmuState& tmu, const StandinTexMemory& memory,
                        std::vector<std::string>& problems) {
    const StandinTexSource& source = tmu.source;
    memory_ = memory.bytes.empty() ? nullptr : memory.bytes.data();
    limit_ = memory.bytes.empty() ? 0 : memory.limit;
    format_ = source.format;
    Rgba probe;
    formatKnown_ = DecodeTexel(format_, 0, &probe);
    if (!formatKnown_) problems.push_back("texture format " + std::to_string(format_) + " (texels read as 0)");
    if (LevelDimensions(source.largeLod, source.aspectRatio, &width_, &height_)) {
        lod_ = source.largeLod;
        base_ = std::uint64_t{source.startAddress} +
                LevelOffset(source.evenOdd, source.largeLod, source.largeLod, source.aspectRatio, format_);
    } else {
        problems.push_back("texture LOD " + std::to_string(source.largeLod) + " with aspect " +
                           std::to_string(source.aspectRatio) + " (texels read as 0)");
        formatKnown_ = false;
        width_ = height_ = 1;
        lod_ = 0;
    }
    bytes_ = TexelBytes(format_);
    const auto clampMode = [&](FxI32 mode, const char* axis) {
        if (mode != GR_TEXTURECLAMP_WRAP && mode != GR_TEXTURECLAMP_CLAMP) {
            problems.push_back(std::string("texture clamp mode ") + axis + " " + std::to_string(mode) +
                               " (drawn as CLAMP)");
        }
        return mode == GR_TEXTURECLAMP_WRAP;
    };
    wrapS_ = clampMode(tmu.clampS, "s");
    wrapT_ = clampMode(tmu.clampT, "t");
    const auto filter = [&](FxI32 mode) {
        if (mode != GR_TEXTUREFILTER_POINT_SAMPLED && mode != GR_TEXTUREFILTER_BILINEAR) {
            problems.push_back("texture filter " + std::to_string(mode) + " (drawn point-sampled)");
        }
        return mode == GR_TEXTUREFILTER_BILINEAR;
    };
    minBilinear_ = filter(tmu.minFilter);
    magBilinear_ = filter(tmu.magFilter);
    const StandinTexCombine& c = tmu.combine;
    rgb_ = MakeCombineUnit(c.rgbFunction, c.rgbFactor, c.rgbInvert, true, "texture colour combine", problems);
    alpha_ = MakeCombineUnit(c.alphaFunction, c.alphaFactor, c.alphaInvert, true, "texture alpha combine", problems);
}

Rgba TextureUnit::Sample(std::int64_t s, std::int64_t t, bool bilinear) const {
    constexpr int kOne = 1 << kTexCoordFractionBits;
    if (!Readable()) return {0, 0, 0, 0};  // as every texel, so any mix of them
    std::int64_t u = s >> lod_;  // texels of the sampled level
    std::int64_t v = t >> lod_;
    if (!bilinear) {
        return Texel(AddressTexel(u >> kTexCoordFractionBits, width_, wrapS_),
                     AddressTexel(v >> kTexCoordFractionBits, height_, wrapT_));
    }
    u -= kOne / 2;  // texel centres
    v -= kOne / 2;
    const std::int64_t x0 = u >> kTexCoordFractionBits, y0 = v >> kTexCoordFractionBits;
    const int fx = static_cast<int>((u >> (kTexCoordFractionBits - 4)) & 15);
    const int fy = static_cast<int>((v >> (kTexCoordFractionBits - 4)) & 15);
    const int xa = AddressTexel(x0, width_, wrapS_), xb = AddressTexel(x0 + 1, width_, wrapS_);
    const int ya = AddressTexel(y0, height_, wrapT_), yb = AddressTexel(y0 + 1, height_, wrapT_);
    const Rgba c00 = Texel(xa, ya), c10 = Texel(xb, ya), c01 = Texel(xa, yb), c11 = Texel(xb, yb);
    const int w00 = (16 - fx) * (16 - fy), w10 = fx * (16 - fy), w01 = (16 - fx) * fy, w11 = fx * fy;
    const auto mix = [&](int Rgba::*channel) {
        return (w00 * c00.*channel + w10 * c10.*channel + w01 * c01.*channel + w11 * c11.*channel) >> 8;
    };
    return {mix(&Rgba::r), mix(&Rgba::g), mix(&Rgba::b), mix(&Rgba::a)};
}

Rgba TextureUnit::Output(std::int64_t s, std::int64_t t, bool bilinear) const {
    const Rgba texel = Sample(s, t, bilinear);
    // Both units passing their local input give the texel unchanged.
    if (rgb_.shape == CombineUnit::kLocal && alpha_.shape == CombineUnit::kLocal) return texel;
    const auto rgb = [&](int local) {
        return CombineChannel(rgb_, local, 0, texel.a, CombineFactor(rgb_, local, 0, texel.a, 0));
    };
    return {rgb(texel.r), rgb(texel.g), rgb(texel.b),
            CombineChannel(alpha_, texel.a, 0, texel.a, CombineFactor(alpha_, texel.a, 0, texel.a, 0))};
}
