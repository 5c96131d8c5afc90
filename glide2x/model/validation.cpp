#include "model/validation.h"

#include <cmath>
#include <string>
#include <vector>

#include "model/record.h"
#include "model/script.h"
#include "render/errors.h"
#include "render/state.h"
#include "render/texture_layout.h"

namespace {

struct Region {
    std::uintptr_t base;
    std::uint64_t bytes;
};

struct Validation {
    bool on = false;  // as recording: on after standinReset, off for a player
    bool glideInitialised = false;
    std::vector<Region> regions;
};

Validation& V() {
    static Validation validation;
    return validation;
}

// The entry point's name as the call log spells it.
void Fail(GlideEntry entry, const std::string& text) { ReportError(std::string(NewCall(entry).name) + ": " + text); }

// TMUs of the scripted first board, as the plug-in counts them (1 to 3).
int TmuCount() {
    const GrHwConfiguration& hw = Script().hardware;
    if (hw.num_sst <= 0) return 1;
    const GrSstEntry& board = hw.SSTs[0];
    int count = 1;
    switch (board.type) {
    case GR_SSTTYPE_VOODOO:
    case GR_SSTTYPE_Voodoo2: count = board.sstBoard.VoodooConfig.nTexelfx; break;
    case GR_SSTTYPE_SST96: count = board.sstBoard.SST96Config.nTexelfx; break;
    default: break;
    }
    return count < 1 ? 1 : (count > 3 ? 3 : count);
}

bool InRange(FxI32 v, FxI32 lo, FxI32 hi) { return v >= lo && v <= hi; }

bool Valid(FxI32 v, GlideEnum kind) {
    switch (kind) {
    case GlideEnum::Bool: return v == FXFALSE || v == FXTRUE;
    case GlideEnum::Tmu: return v >= GR_TMU0 && v < TmuCount();
    case GlideEnum::CombineFunction:
        return InRange(v, GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL) ||
               v == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    case GlideEnum::CombineFactor:
    case GlideEnum::TexCombineFactor:
        return InRange(v, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FACTOR_TEXTURE_RGB) ||
               InRange(v, GR_COMBINE_FACTOR_ONE, GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION);
    case GlideEnum::CombineLocal: return InRange(v, GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_LOCAL_DEPTH);
    case GlideEnum::CombineOther: return InRange(v, GR_COMBINE_OTHER_ITERATED, GR_COMBINE_OTHER_CONSTANT);
    case GlideEnum::BlendFactor:
        return InRange(v, GR_BLEND_ZERO, GR_BLEND_ONE_MINUS_DST_ALPHA) || v == GR_BLEND_ALPHA_SATURATE;
    case GlideEnum::CullMode: return InRange(v, GR_CULL_DISABLE, GR_CULL_POSITIVE);
    case GlideEnum::ColorBuffer: return v == GR_BUFFER_FRONTBUFFER || v == GR_BUFFER_BACKBUFFER;
    case GlideEnum::ChromakeyMode: return v == GR_CHROMAKEY_DISABLE || v == GR_CHROMAKEY_ENABLE;
    case GlideEnum::ClampMode: return v == GR_TEXTURECLAMP_WRAP || v == GR_TEXTURECLAMP_CLAMP;
    case GlideEnum::FilterMode: return v == GR_TEXTUREFILTER_POINT_SAMPLED || v == GR_TEXTUREFILTER_BILINEAR;
    case GlideEnum::EvenOdd: return InRange(v, GR_MIPMAPLEVELMASK_EVEN, GR_MIPMAPLEVELMASK_BOTH);
    case GlideEnum::Lod: return InRange(v, GR_LOD_256, GR_LOD_1);
    case GlideEnum::Aspect: return InRange(v, GR_ASPECT_8x1, GR_ASPECT_1x8);
    case GlideEnum::TexFormat:
        return InRange(v, GR_TEXFMT_RGB_332, GR_TEXFMT_P_8) || InRange(v, GR_TEXFMT_ARGB_8332, GR_TEXFMT_AP_88);
    case GlideEnum::LfbSourceFormat:
        return InRange(v, GR_LFB_SRC_FMT_565, GR_LFB_SRC_FMT_1555) ||
               InRange(v, GR_LFB_SRC_FMT_888, GR_LFB_SRC_FMT_8888) ||
               InRange(v, GR_LFB_SRC_FMT_565_DEPTH, GR_LFB_SRC_FMT_ZA16) || v == GR_LFB_SRC_FMT_RLE16;
    case GlideEnum::Control: return InRange(v, GR_CONTROL_ACTIVATE, GR_CONTROL_MOVE);
    case GlideEnum::Resolution: return InRange(v, GR_RESOLUTION_320x200, GR_RESOLUTION_400x300);
    case GlideEnum::Refresh: return InRange(v, GR_REFRESH_60Hz, GR_REFRESH_120Hz);
    case GlideEnum::ColorFormat: return InRange(v, GR_COLORFORMAT_ARGB, GR_COLORFORMAT_BGRA);
    case GlideEnum::Origin: return v == GR_ORIGIN_UPPER_LEFT || v == GR_ORIGIN_LOWER_LEFT;
    }
    return false;
}

const char* KindName(GlideEnum kind) {
    switch (kind) {
    case GlideEnum::Bool: return "FXTRUE or FXFALSE";
    case GlideEnum::Tmu: return "a TMU of the board";
    case GlideEnum::CombineFunction: return "a GR_COMBINE_FUNCTION_";
    case GlideEnum::CombineFactor:
    case GlideEnum::TexCombineFactor: return "a GR_COMBINE_FACTOR_";
    case GlideEnum::CombineLocal: return "a GR_COMBINE_LOCAL_";
    case GlideEnum::CombineOther: return "a GR_COMBINE_OTHER_";
    case GlideEnum::BlendFactor: return "a GR_BLEND_ factor";
    case GlideEnum::CullMode: return "a GR_CULL_ mode";
    case GlideEnum::ColorBuffer: return "a colour buffer";
    case GlideEnum::ChromakeyMode: return "a GR_CHROMAKEY_ mode";
    case GlideEnum::ClampMode: return "a GR_TEXTURECLAMP_ mode";
    case GlideEnum::FilterMode: return "a GR_TEXTUREFILTER_ mode";
    case GlideEnum::EvenOdd: return "a GR_MIPMAPLEVELMASK_";
    case GlideEnum::Lod: return "a GR_LOD_";
    case GlideEnum::Aspect: return "a GR_ASPECT_";
    case GlideEnum::TexFormat: return "a GR_TEXFMT_";
    case GlideEnum::LfbSourceFormat: return "a GR_LFB_SRC_FMT_";
    case GlideEnum::Control: return "a GR_CONTROL_ code";
    case GlideEnum::Resolution: return "a GR_RESOLUTION_";
    case GlideEnum::Refresh: return "a GR_REFRESH_";
    case GlideEnum::ColorFormat: return "a GR_COLORFORMAT_";
    case GlideEnum::Origin: return "a GR_ORIGIN_";
    }
    return "?";
}

bool Finite(float f) { return std::isfinite(f); }

}  // namespace

bool ValidationOn() { return V().on; }
void SetValidation(bool on) { V().on = on; }

void ResetValidation() {
    V().on = true;
    V().glideInitialised = false;
    V().regions.clear();
}

void DeclareMemory(const void* base, std::uint64_t bytes) {
    V().regions.push_back({reinterpret_cast<std::uintptr_t>(base), bytes});
}

void ForgetMemory() { V().regions.clear(); }

void CheckLifecycle(GlideEntry entry) {
    Validation& v = V();
    // grGlideShutdown of a Glide that is not initialised returns at once.
    const bool anyTime =
        entry == GLIDE_grGlideInit || entry == GLIDE_grSstQueryBoards || entry == GLIDE_grGlideShutdown;
    if (v.on && !anyTime && !v.glideInitialised) Fail(entry, "called while Glide is not initialised");
    if (entry == GLIDE_grGlideInit) v.glideInitialised = true;
    if (entry == GLIDE_grGlideShutdown) v.glideInitialised = false;
}

void CheckEnum(GlideEntry entry, const char* argument, FxI32 value, GlideEnum kind) {
    if (!V().on || Valid(value, kind)) return;
    Fail(entry, std::string(argument) + " " + std::to_string(value) + " is not " + KindName(kind));
}

void CheckVertex(GlideEntry entry, const char* argument, const GrVertex* vertex) {
    if (!V().on || vertex == nullptr) return;
    CheckMemory(entry, argument, vertex, sizeof(GrVertex));
    const GrVertex& v = *vertex;
    if (!Finite(v.x) || !Finite(v.y)) Fail(entry, std::string(argument) + " has a position that is not finite");
    // Colours outside 0..255 are fine: the card clamps iterated colours.
    if (!Finite(v.r) || !Finite(v.g) || !Finite(v.b) || !Finite(v.a))
        Fail(entry, std::string(argument) + " has a colour or alpha that is not finite");
    const float perspective[] = {v.oow, v.tmuvtx[0].sow, v.tmuvtx[0].tow, v.tmuvtx[0].oow,
                                 v.tmuvtx[1].sow, v.tmuvtx[1].tow, v.tmuvtx[1].oow};
    for (float f : perspective) {
        if (!Finite(f)) {
            Fail(entry, std::string(argument) + " has an oow, sow or tow that is not finite");
            break;
        }
    }
}

void CheckPolygonCount(GlideEntry entry, int count) {
    if (V().on && (count < 3 || count > 16)) Fail(entry, "vertex count " + std::to_string(count) + " is not 3..16");
}

bool CheckTexInfo(GlideEntry entry, const GrTexInfo* info) {
    if (!V().on || info == nullptr) return info != nullptr;
    const int errors = ErrorCount();
    CheckEnum(entry, "info.smallLod", info->smallLod, GlideEnum::Lod);
    CheckEnum(entry, "info.largeLod", info->largeLod, GlideEnum::Lod);
    CheckEnum(entry, "info.aspectRatio", info->aspectRatio, GlideEnum::Aspect);
    CheckEnum(entry, "info.format", info->format, GlideEnum::TexFormat);
    if (info->smallLod < info->largeLod) {
        Fail(entry, "info.smallLod " + std::to_string(info->smallLod) + " is a larger level than info.largeLod " +
                        std::to_string(info->largeLod));
    }
    return ErrorCount() == errors;
}

void CheckTexturePlacement(GlideEntry entry, FxI32 tmu, FxU32 start, std::uint64_t bytes) {
    if (!V().on || tmu < 0 || tmu >= STANDIN_MEMORY_TMUS) return;
    const std::uint64_t min = Script().texMinAddress[tmu];
    const std::uint64_t limit = std::uint64_t{Script().texMaxAddress[tmu]} + 8;
    const std::uint64_t end = std::uint64_t{start} + bytes;
    const std::string range = "[" + std::to_string(start) + ", " + std::to_string(end) + ")";
    if (start < min) Fail(entry, "start address " + std::to_string(start) + " is below grTexMinAddress");
    if (end > limit) Fail(entry, "texture " + range + " ends beyond grTexMaxAddress + 8");
    if (start < 0x200000u && end > 0x200000u) Fail(entry, "texture " + range + " straddles the 2 MiB line");
}

void CheckMemory(GlideEntry entry, const char* argument, const void* pointer, std::uint64_t bytes) {
    const Validation& v = V();
    if (!v.on || v.regions.empty() || bytes == 0) return;
    const std::uintptr_t p = reinterpret_cast<std::uintptr_t>(pointer);
    for (const Region& r : v.regions) {
        if (p >= r.base && p - r.base <= r.bytes && bytes <= r.bytes - (p - r.base)) return;
    }
    Fail(entry, std::string(argument) + ": " + std::to_string(bytes) +
                    " bytes read outside the memory the caller owns or was given");
}

void CheckLfbRegion(GlideEntry entry, FxU32 x, FxU32 y, FxU32 w, FxU32 h, FxI32 stride) {
    if (!V().on) return;
    const StandinScreen& screen = Device().screen;
    const std::uint64_t right = std::uint64_t{x} + w, bottom = std::uint64_t{y} + h;
    if (screen.open && (right > static_cast<std::uint64_t>(screen.width) ||
                        bottom > static_cast<std::uint64_t>(screen.height))) {
        Fail(entry, "region " + std::to_string(w) + " x " + std::to_string(h) + " at (" + std::to_string(x) + ", " +
                        std::to_string(y) + ") leaves the " + std::to_string(screen.width) + " x " +
                        std::to_string(screen.height) + " screen");
    }
    if (h > 1 && stride < 0) Fail(entry, "negative source stride " + std::to_string(stride));
    if (h > 1 && stride >= 0 && static_cast<std::uint64_t>(stride) < 2 * std::uint64_t{w}) {
        Fail(entry, "source stride " + std::to_string(stride) + " is shorter than a row of " + std::to_string(w));
    }
}
