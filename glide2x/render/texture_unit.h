// TMU 0 as the pixel path sees it: texel lookup in the simulated texture
// memory, point or bilinear filtering, clamp or wrap, and the TMU's combine
// unit (grTexCombine), whose output is the colour unit's TEXTURE input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/state.h"

// One colour with 8-bit channels (combine arithmetic may leave a channel
// outside 0..255 only inside a unit, never between units).
struct Rgba {
    int r, g, b, a;
};

// Texture coordinates carry this many fraction bits: s = 256 spans the longer
// side of the map, so one unit is one texel of a 256-texel level.
constexpr int kTexCoordFractionBits = 12;

// Expands an n-bit channel value (n = 2..6) to 8 bits by repeating its bits.
constexpr int ExpandBits(unsigned value, int bits) {
    switch (bits) {
    case 2: return static_cast<int>(value * 0x55);
    case 3: return static_cast<int>((value << 5) | (value << 2) | (value >> 1));
    case 4: return static_cast<int>(value * 0x11);
    case 5: return static_cast<int>((value << 3) | (value >> 2));
    case 6: return static_cast<int>((value << 2) | (value >> 4));
    default: return static_cast<int>(value);
    }
}

// Decodes one texel of a GR_TEXFMT_ format (16-bit formats: the little-endian
// word; 8-bit formats: the byte). False for a format the stand-in does not
// decode (the texel is then 0, 0, 0, 0).
// Inlined into every texel fetch: the switch then costs a jump, which the
// fetches of one draw call always take the same way.
[[gnu::always_inline]] inline bool DecodeTexel(FxI32 format, unsigned texel, Rgba* out) {
    switch (format) {
    case GR_TEXFMT_ARGB_1555:
        *out = {ExpandBits((texel >> 10) & 31, 5), ExpandBits((texel >> 5) & 31, 5), ExpandBits(texel & 31, 5),
                (texel & 0x8000) ? 255 : 0};
        return true;
    case GR_TEXFMT_RGB_565:
        *out = {ExpandBits((texel >> 11) & 31, 5), ExpandBits((texel >> 5) & 63, 6), ExpandBits(texel & 31, 5), 255};
        return true;
    case GR_TEXFMT_ARGB_4444:
        *out = {ExpandBits((texel >> 8) & 15, 4), ExpandBits((texel >> 4) & 15, 4), ExpandBits(texel & 15, 4),
                ExpandBits((texel >> 12) & 15, 4)};
        return true;
    case GR_TEXFMT_ARGB_8332:
    case GR_TEXFMT_RGB_332:
        *out = {ExpandBits((texel >> 5) & 7, 3), ExpandBits((texel >> 2) & 7, 3), ExpandBits(texel & 3, 2),
                format == GR_TEXFMT_ARGB_8332 ? static_cast<int>((texel >> 8) & 255) : 255};
        return true;
    case GR_TEXFMT_ALPHA_INTENSITY_88:
    case GR_TEXFMT_INTENSITY_8:
        *out = {static_cast<int>(texel & 255), static_cast<int>(texel & 255), static_cast<int>(texel & 255),
                format == GR_TEXFMT_ALPHA_INTENSITY_88 ? static_cast<int>((texel >> 8) & 255) : 255};
        return true;
    case GR_TEXFMT_ALPHA_INTENSITY_44: {
        const int i = ExpandBits(texel & 15, 4);
        *out = {i, i, i, ExpandBits((texel >> 4) & 15, 4)};
        return true;
    }
    default:
        *out = {0, 0, 0, 0};
        return false;
    }
}

// The arguments of a combine unit in a form the pixel path evaluates quickly.
// A function, factor or source the model does not have is replaced (see the
// README) and reported once per draw call.
struct CombineUnit {
    bool zeroOther = true;  // X starts at 0 instead of the other input
    bool subtractLocal = false;
    int add = 0;            // 0 nothing, 1 local, 2 the local alpha
    int factorSource = 0;   // 0 zero, 1 local, 2 other alpha, 3 local alpha, 4 texture alpha
    bool oneMinus = false;  // the factor is 255 - source
    bool invert = false;
    // The two functions drivers use most, told apart once: SCALE_OTHER and
    // LOCAL, neither inverted. Their inputs (0..255) keep them within
    // 0..255, so they need neither the other steps nor the clamp.
    enum Shape { kGeneral, kScaleOther, kLocal } shape = kGeneral;
};

// Builds the unit for `function`, `factor`, `invert`; appends a line to
// `problems` for anything not modelled. `tmu` selects the TMU reading of the
// factor codes (4 is DETAIL_FACTOR and 5 LOD_FRACTION there, both not
// modelled).
CombineUnit MakeCombineUnit(FxI32 function, FxI32 factor, FxBool invert, bool tmu, const char* unitName,
                            std::vector<std::string>& problems);

// The factor value m (0..255) from the unit's source.
inline int CombineFactor(const CombineUnit& u, int local, int otherAlpha, int localAlpha, int textureAlpha) {
    int m;
    switch (u.factorSource) {
    case 1: m = local; break;
    case 2: m = otherAlpha; break;
    case 3: m = localAlpha; break;
    case 4: m = textureAlpha; break;
    default: m = 0; break;
    }
    return u.oneMinus ? 255 - m : m;
}

// One channel through a combine unit: X = other (or 0), X -= local, X =
// (X * (m + 1)) >> 8, X += local or the local alpha, clamp to 0..255, invert.
inline int CombineChannel(const CombineUnit& u, int local, int other, int localAlpha, int m) {
    if (u.shape == CombineUnit::kScaleOther) return (other * (m + 1)) >> 8;
    if (u.shape == CombineUnit::kLocal) return local;
    int x = u.zeroOther ? 0 : other;
    if (u.subtractLocal) x -= local;
    x = (x * (m + 1)) >> 8;  // arithmetic shift: floor for negative X
    if (u.add == 1) x += local;
    if (u.add == 2) x += localAlpha;
    x = x < 0 ? 0 : (x > 255 ? 255 : x);
    return u.invert ? 255 - x : x;
}

class TextureUnit {
public:
    // Takes TMU 0's state and memory; appends the problems found.
    void Setup(const StandinTmuState& tmu, const StandinTexMemory& memory, std::vector<std::string>& problems);

    // log2 of texture units per texel of the sampled level (the LOD number).
    int LevelShift() const { return lod_; }
    bool BilinearWhenMagnified() const { return magBilinear_; }
    bool BilinearWhenMinified() const { return minBilinear_; }

    // The filtered texel at (s, t) (kTexCoordFractionBits fraction bits).
    Rgba Sample(std::int64_t s, std::int64_t t, bool bilinear) const;
    // Sample followed by the TMU's combine unit (its other input is 0: no
    // TMU feeds TMU 0).
    Rgba Output(std::int64_t s, std::int64_t t, bool bilinear) const;

    // For the pixel path's specialised spans.
    bool Readable() const { return formatKnown_ && memory_ != nullptr; }
    bool PassesTexel() const { return rgb_.shape == CombineUnit::kLocal && alpha_.shape == CombineUnit::kLocal; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool WrapS() const { return wrapS_; }
    bool WrapT() const { return wrapT_; }
    std::uint64_t Base() const { return base_; }
    FxI32 Format() const { return format_; }

private:
    // Inlined into Sample, which fetches four at a time and returns early
    // when none can be read (Readable). The limit alone keeps every read
    // inside the memory: it is 0 for memory never written.
    [[gnu::always_inline]] Rgba Texel(int x, int y) const {
        Rgba out{0, 0, 0, 0};
        const std::uint64_t address =
            base_ + (std::uint64_t(y) * static_cast<std::uint64_t>(width_) + static_cast<std::uint64_t>(x)) *
                        static_cast<std::uint64_t>(bytes_);
        if (address + static_cast<std::uint64_t>(bytes_) > limit_) return out;
        unsigned word = memory_[address];
        if (bytes_ == 2) word |= unsigned{memory_[address + 1]} << 8;
        DecodeTexel(format_, word, &out);
        return out;
    }


    const std::uint8_t* memory_ = nullptr;  // null: texture memory never written (reads 0)
    std::uint32_t limit_ = 0;
    std::uint64_t base_ = 0;
    FxI32 format_ = 0;
    bool formatKnown_ = false;
    int bytes_ = 2;
    int width_ = 1, height_ = 1;
    int lod_ = 0;
    bool wrapS_ = false, wrapT_ = false;
    bool magBilinear_ = false, minBilinear_ = false;
    CombineUnit rgb_, alpha_;
};
