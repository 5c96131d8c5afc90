// Glide 2.x records and constants, in the library's own layouts.
// Shared by the plug-in and by the project's Glide stand-in.
#pragma once

#include <cstddef>
#include <cstdint>

// Glide entry points are stdcall on 32-bit Windows and plain C calls elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define GLIDECALL __stdcall
#else
#define GLIDECALL
#endif

using FxU8 = std::uint8_t;
using FxU16 = std::uint16_t;
using FxI32 = std::int32_t;
using FxU32 = std::uint32_t;
using FxBool = int;

struct GrTmuVertex {
    float sow, tow, oow;
};

struct GrVertex {
    float x, y, z;
    float r, g, b;
    float ooz, a, oow;
    GrTmuVertex tmuvtx[2];
};

struct GrTexInfo {
    FxI32 smallLod;
    FxI32 largeLod;
    FxI32 aspectRatio;
    FxI32 format;
    void* data;
};

// Opaque to callers; an implementation writes at most this many bytes.
struct GrState {
    char pad[312];
};

struct GrTMUConfig {
    FxI32 tmuRev;
    FxI32 tmuRam;
};

struct GrVoodooConfig {
    FxI32 fbRam;
    FxI32 fbiRev;
    FxI32 nTexelfx;
    FxBool sliDetect;
    GrTMUConfig tmuConfig[2];
};

struct GrSst96Config {
    FxI32 fbRam;
    FxI32 nTexelfx;
    GrTMUConfig tmuConfig;
};

struct GrAT3DConfig {
    FxI32 rev;
};

struct GrSstEntry {
    FxI32 type;
    union {
        GrVoodooConfig VoodooConfig;
        GrSst96Config SST96Config;
        GrAT3DConfig AT3DConfig;
        GrVoodooConfig Voodoo2Config;
    } sstBoard;
};

struct GrHwConfiguration {
    FxI32 num_sst;
    GrSstEntry SSTs[4];
};

static_assert(sizeof(GrTmuVertex) == 12);
static_assert(sizeof(GrVertex) == 60 && alignof(GrVertex) == 4);
static_assert(offsetof(GrVertex, r) == 12 && offsetof(GrVertex, ooz) == 24);
static_assert(offsetof(GrVertex, a) == 28 && offsetof(GrVertex, oow) == 32);
static_assert(offsetof(GrVertex, tmuvtx) == 36 && offsetof(GrVertex, tmuvtx[1]) == 48);
static_assert(offsetof(GrTexInfo, format) == 12 && offsetof(GrTexInfo, data) == 16);
static_assert(sizeof(void*) == 4 ? sizeof(GrTexInfo) == 20 : sizeof(GrTexInfo) == 24);
static_assert(sizeof(GrState) == 312 && alignof(GrState) == 1);
static_assert(sizeof(GrHwConfiguration) == 148 && alignof(GrHwConfiguration) == 4);
static_assert(offsetof(GrHwConfiguration, SSTs[1]) == 40);
static_assert(offsetof(GrHwConfiguration, SSTs[0].sstBoard.VoodooConfig.nTexelfx) == 16);
static_assert(offsetof(GrHwConfiguration, SSTs[0].sstBoard.SST96Config.nTexelfx) == 12);
static_assert(offsetof(GrHwConfiguration, SSTs[0].sstBoard.Voodoo2Config.nTexelfx) == 16);

// Glide 2.x constants, used by the plug-in and by the stand-in.
enum : FxI32 {
    GR_RESOLUTION_320x200 = 0x0,
    GR_RESOLUTION_320x240 = 0x1,
    GR_RESOLUTION_400x256 = 0x2,
    GR_RESOLUTION_512x384 = 0x3,
    GR_RESOLUTION_640x200 = 0x4,
    GR_RESOLUTION_640x350 = 0x5,
    GR_RESOLUTION_640x400 = 0x6,
    GR_RESOLUTION_640x480 = 0x7,
    GR_RESOLUTION_800x600 = 0x8,
    GR_RESOLUTION_960x720 = 0x9,
    GR_RESOLUTION_856x480 = 0xA,
    GR_RESOLUTION_512x256 = 0xB,
    GR_RESOLUTION_1024x768 = 0xC,
    GR_RESOLUTION_1280x1024 = 0xD,
    GR_RESOLUTION_1600x1200 = 0xE,
    GR_RESOLUTION_400x300 = 0xF,
    GR_RESOLUTION_NONE = 0xFF,

    GR_REFRESH_60Hz = 0x0,
    GR_REFRESH_70Hz = 0x1,
    GR_REFRESH_72Hz = 0x2,
    GR_REFRESH_75Hz = 0x3,
    GR_REFRESH_80Hz = 0x4,
    GR_REFRESH_90Hz = 0x5,
    GR_REFRESH_100Hz = 0x6,
    GR_REFRESH_85Hz = 0x7,
    GR_REFRESH_120Hz = 0x8,
    GR_REFRESH_NONE = 0xFF,

    GR_COLORFORMAT_ARGB = 0,  // 0xAARRGGBB
    GR_COLORFORMAT_ABGR = 1,  // 0xAABBGGRR
    GR_COLORFORMAT_RGBA = 2,  // 0xRRGGBBAA
    GR_COLORFORMAT_BGRA = 3,  // 0xBBGGRRAA

    GR_ORIGIN_UPPER_LEFT = 0,
    GR_ORIGIN_LOWER_LEFT = 1,
    GR_ORIGIN_ANY = 0xFF,

    GR_BUFFER_FRONTBUFFER = 0,
    GR_BUFFER_BACKBUFFER = 1,
    GR_BUFFER_AUXBUFFER = 2,
    GR_BUFFER_DEPTHBUFFER = 3,
    GR_BUFFER_ALPHABUFFER = 4,
    GR_BUFFER_TRIPLEBUFFER = 5,

    GR_TMU0 = 0,
    GR_TMU1 = 1,
    GR_TMU2 = 2,
    GR_FBI = 3,

    GR_CULL_DISABLE = 0,
    GR_CULL_NEGATIVE = 1,
    GR_CULL_POSITIVE = 2,

    GR_TEXTURECLAMP_WRAP = 0,
    GR_TEXTURECLAMP_CLAMP = 1,
    GR_TEXTUREFILTER_POINT_SAMPLED = 0,
    GR_TEXTUREFILTER_BILINEAR = 1,

    GR_COMBINE_FUNCTION_ZERO = 0,
    GR_COMBINE_FUNCTION_NONE = GR_COMBINE_FUNCTION_ZERO,
    GR_COMBINE_FUNCTION_LOCAL = 1,
    GR_COMBINE_FUNCTION_LOCAL_ALPHA = 2,
    GR_COMBINE_FUNCTION_SCALE_OTHER = 3,
    GR_COMBINE_FUNCTION_BLEND_OTHER = GR_COMBINE_FUNCTION_SCALE_OTHER,
    GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL = 4,
    GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA = 5,
    GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL = 6,
    GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL = 7,
    GR_COMBINE_FUNCTION_BLEND = GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL,
    GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA = 8,
    GR_COMBINE_FUNCTION_BLEND_ALPHA = GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA,
    GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL = 9,
    GR_COMBINE_FUNCTION_BLEND_LOCAL = GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL,
    GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA = 0x10,
    GR_COMBINE_FUNCTION_BLEND_LOCAL_ALPHA = GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA,

    GR_COMBINE_FACTOR_ZERO = 0x0,
    GR_COMBINE_FACTOR_NONE = GR_COMBINE_FACTOR_ZERO,
    GR_COMBINE_FACTOR_LOCAL = 0x1,
    GR_COMBINE_FACTOR_OTHER_ALPHA = 0x2,
    GR_COMBINE_FACTOR_LOCAL_ALPHA = 0x3,
    GR_COMBINE_FACTOR_TEXTURE_ALPHA = 0x4,
    GR_COMBINE_FACTOR_DETAIL_FACTOR = GR_COMBINE_FACTOR_TEXTURE_ALPHA,
    GR_COMBINE_FACTOR_TEXTURE_RGB = 0x5,
    GR_COMBINE_FACTOR_LOD_FRACTION = GR_COMBINE_FACTOR_TEXTURE_RGB,
    GR_COMBINE_FACTOR_ONE = 0x8,
    GR_COMBINE_FACTOR_ONE_MINUS_LOCAL = 0x9,
    GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA = 0xA,
    GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA = 0xB,
    GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA = 0xC,
    GR_COMBINE_FACTOR_ONE_MINUS_DETAIL_FACTOR = GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA,
    GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION = 0xD,

    GR_COMBINE_LOCAL_ITERATED = 0,
    GR_COMBINE_LOCAL_CONSTANT = 1,
    GR_COMBINE_LOCAL_NONE = GR_COMBINE_LOCAL_CONSTANT,
    GR_COMBINE_LOCAL_DEPTH = 2,
    GR_COMBINE_OTHER_ITERATED = 0,
    GR_COMBINE_OTHER_TEXTURE = 1,
    GR_COMBINE_OTHER_CONSTANT = 2,
    GR_COMBINE_OTHER_NONE = GR_COMBINE_OTHER_CONSTANT,

    GR_BLEND_ZERO = 0x0,
    GR_BLEND_SRC_ALPHA = 0x1,
    GR_BLEND_SRC_COLOR = 0x2,
    GR_BLEND_DST_COLOR = GR_BLEND_SRC_COLOR,
    GR_BLEND_DST_ALPHA = 0x3,
    GR_BLEND_ONE = 0x4,
    GR_BLEND_ONE_MINUS_SRC_ALPHA = 0x5,
    GR_BLEND_ONE_MINUS_SRC_COLOR = 0x6,
    GR_BLEND_ONE_MINUS_DST_COLOR = GR_BLEND_ONE_MINUS_SRC_COLOR,
    GR_BLEND_ONE_MINUS_DST_ALPHA = 0x7,
    GR_BLEND_RESERVED_8 = 0x8,
    GR_BLEND_RESERVED_E = 0xE,
    GR_BLEND_ALPHA_SATURATE = 0xF,
    GR_BLEND_PREFOG_COLOR = GR_BLEND_ALPHA_SATURATE,

    GR_CHROMAKEY_DISABLE = 0,
    GR_CHROMAKEY_ENABLE = 1,

    GR_MIPMAPLEVELMASK_EVEN = 1,
    GR_MIPMAPLEVELMASK_ODD = 2,
    GR_MIPMAPLEVELMASK_BOTH = 3,

    GR_LOD_256 = 0,
    GR_LOD_128 = 1,
    GR_LOD_64 = 2,
    GR_LOD_32 = 3,
    GR_LOD_16 = 4,
    GR_LOD_8 = 5,
    GR_LOD_4 = 6,
    GR_LOD_2 = 7,
    GR_LOD_1 = 8,

    GR_ASPECT_8x1 = 0,
    GR_ASPECT_4x1 = 1,
    GR_ASPECT_2x1 = 2,
    GR_ASPECT_1x1 = 3,
    GR_ASPECT_1x2 = 4,
    GR_ASPECT_1x4 = 5,
    GR_ASPECT_1x8 = 6,

    GR_TEXFMT_RGB_332 = 0x0,
    GR_TEXFMT_8BIT = GR_TEXFMT_RGB_332,
    GR_TEXFMT_YIQ_422 = 0x1,
    GR_TEXFMT_ALPHA_8 = 0x2,
    GR_TEXFMT_INTENSITY_8 = 0x3,
    GR_TEXFMT_ALPHA_INTENSITY_44 = 0x4,
    GR_TEXFMT_P_8 = 0x5,
    GR_TEXFMT_RSVD0 = 0x6,
    GR_TEXFMT_RSVD1 = 0x7,
    GR_TEXFMT_ARGB_8332 = 0x8,
    GR_TEXFMT_16BIT = GR_TEXFMT_ARGB_8332,
    GR_TEXFMT_AYIQ_8422 = 0x9,
    GR_TEXFMT_RGB_565 = 0xA,
    GR_TEXFMT_ARGB_1555 = 0xB,
    GR_TEXFMT_ARGB_4444 = 0xC,
    GR_TEXFMT_ALPHA_INTENSITY_88 = 0xD,
    GR_TEXFMT_AP_88 = 0xE,
    GR_TEXFMT_RSVD2 = 0xF,

    GR_LFB_SRC_FMT_565 = 0x0,
    GR_LFB_SRC_FMT_555 = 0x1,
    GR_LFB_SRC_FMT_1555 = 0x2,
    GR_LFB_SRC_FMT_888 = 0x4,
    GR_LFB_SRC_FMT_8888 = 0x5,
    GR_LFB_SRC_FMT_565_DEPTH = 0xC,
    GR_LFB_SRC_FMT_555_DEPTH = 0xD,
    GR_LFB_SRC_FMT_1555_DEPTH = 0xE,
    GR_LFB_SRC_FMT_ZA16 = 0xF,
    GR_LFB_SRC_FMT_RLE16 = 0x80,

    GR_CONTROL_ACTIVATE = 1,
    GR_CONTROL_DEACTIVATE = 2,
    GR_CONTROL_RESIZE = 3,
    GR_CONTROL_MOVE = 4,

    GR_SSTTYPE_VOODOO = 0,
    GR_SSTTYPE_SST96 = 1,
    GR_SSTTYPE_AT3D = 2,
    GR_SSTTYPE_Voodoo2 = 3,

    GR_DITHER_DISABLE = 0,
    GR_DITHER_2x2 = 1,
    GR_DITHER_4x4 = 2,

    // Depth-buffer values, for clears: 16-bit z and w run in opposite directions.
    GR_ZDEPTHVALUE_NEAREST = 0xFFFF,
    GR_ZDEPTHVALUE_FARTHEST = 0x0,
    GR_WDEPTHVALUE_NEAREST = 0x0,
    GR_WDEPTHVALUE_FARTHEST = 0xFFFF,

    FXFALSE = 0,
    FXTRUE = 1,
};
