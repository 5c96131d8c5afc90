// fuzz_raster: the software Glide's drawing, texture, LFB and state entry
// points called directly with hostile values: huge, negative, NaN and
// infinite coordinates, degenerate and enormous triangles, every LOD, aspect
// and format, texture addresses at and past the ends of texture memory, LFB
// writes partly or wholly off screen, and raw bytes as the saved state. The
// stand-in may report what it does not model; it must not crash, read or
// write out of bounds, or take longer than filling the screen per triangle.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "glide_api.h"
#include "harness.h"
#include "standin.h"

namespace {

using Reader = InputReader;

// A coordinate or attribute: mostly values a plug-in sends, often the
// values that break arithmetic.
float Float(InputReader& in) {
    static const float kSpecial[] = {0.0f, -0.0f, 1.0f, -1.0f, 255.0f, 256.0f, 510.0f, 786432.0f,
                                     786432.0f + 639.9375f, 2047.9375f, -2048.0f, 4096.0f, 1e10f, -1e10f,
                                     3.4e38f, -3.4e38f, 1e-40f,
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN()};
    const unsigned pick = in.U8();
    if (pick < 20) return kSpecial[pick];
    // On the screen in 1/64-pixel steps, as snapped coordinates: triangles
    // of up to a quarter of the screen, so that a run spends its time on
    // many shapes rather than on filling the screen; the specials above and
    // the raw bits below still make enormous ones.
    if (pick < 120) return static_cast<float>(in.U8()) + static_cast<float>(in.U8() & 0x3F) / 64.0f + 786432.0f;
    if (pick < 200) return static_cast<float>(in.U8());
    const std::uint32_t bits = in.U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

GrVertex Vertex(Reader& in) {
    GrVertex v;
    v.x = Float(in);
    v.y = Float(in);
    v.z = Float(in);
    v.r = Float(in);
    v.g = Float(in);
    v.b = Float(in);
    v.ooz = Float(in);
    v.a = Float(in);
    v.oow = in.U8() < 128 ? 1.0f : Float(in);
    v.tmuvtx[0] = {Float(in), Float(in), in.U8() < 128 ? v.oow : Float(in)};
    v.tmuvtx[1] = {Float(in), Float(in), v.oow};
    return v;
}

// A small value most of the time, any value sometimes.
FxI32 Enum(Reader& in) {
    const unsigned pick = in.U8();
    return pick < 224 ? static_cast<FxI32>(pick % 18) : in.S32();
}

}  // namespace

void RunRasterInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    standinReset();
    standinSetValidation(0);  // hostile on purpose: the model must cope, not object
    standinSetRecording(0);
    // Small screens keep a screen-filling triangle cheap; the clipping is the same.
    static const FxI32 kResolutions[] = {GR_RESOLUTION_320x200, GR_RESOLUTION_320x240, GR_RESOLUTION_400x256,
                                         GR_RESOLUTION_512x256};
    const unsigned setup = in.U8();
    // Drawn by band workers: draws are recorded and replayed at each barrier.
    standinSetWorkers((setup & 0x80) ? 3 : 2);
    grSstWinOpen(0, kResolutions[setup & 3], 0, static_cast<FxI32>((setup >> 2) & 3), (setup >> 4) & 1 ? 1 : 0, 2,
                 (setup >> 5) & 1);
    if (setup & 0x40) {
        const int tmu = static_cast<int>(in.U8() % 3);
        const std::uint32_t min = in.U32() & 0x3FFFFF;
        standinSetTexAddressRange(tmu, min, in.U32() & 0xFFFFFF);
    }

    // Texels for downloads: the largest level there is (256 x 256, 16-bit).
    static std::vector<std::uint8_t> texels(256 * 256 * 2, 0x5A);
    GrVertex list[20];
    FxI32 e[8];  // enumerated arguments, read in order before each call
    const auto enums = [&](int n) {
        for (int i = 0; i < n; ++i) e[i] = Enum(in);
    };
    for (int step = 0; !in.Done() && step < 48; ++step) {
        switch (in.U8() % 20) {
        case 0:
        case 1:
        case 2: {
            const GrVertex a = Vertex(in), b = Vertex(in), c = Vertex(in);
            grDrawTriangle(&a, &b, &c);
            break;
        }
        case 3: {
            const int count = static_cast<int>(in.U8() % 21) - 1;
            for (GrVertex& v : list) v = Vertex(in);
            grDrawPolygonVertexList(count, list);
            break;
        }
        case 4: {
            const int count = static_cast<int>(in.U8() % 21);
            int indices[20];
            for (int& i : indices) i = static_cast<int>(in.U8() % 20);
            for (GrVertex& v : list) v = Vertex(in);
            grDrawPolygon(count, indices, list);
            break;
        }
        case 5: {
            const GrVertex a = Vertex(in), b = Vertex(in);
            grDrawLine(&a, &b);
            break;
        }
        case 6:
            enums(5);
            grColorCombine(e[0], e[1], e[2], e[3], e[4]);
            break;
        case 7:
            enums(5);
            grAlphaCombine(e[0], e[1], e[2], e[3], e[4]);
            break;
        case 8:
            enums(4);
            grAlphaBlendFunction(e[0], e[1], e[2], e[3]);
            break;
        case 9:
            enums(7);
            grTexCombine(e[0], e[1], e[2], e[3], e[4], e[5], e[6]);
            break;
        case 10: {
            enums(6);
            GrTexInfo info{e[0], e[1], e[2], e[3], texels.data()};
            grTexSource(e[4] % 4, in.U32() & 0x3FFFFF, static_cast<FxU32>(e[5]), &info);
            break;
        }
        case 11: {
            enums(6);
            const FxU32 start = in.U8() < 200 ? (in.U32() & 0x3FFFF8) : in.U32();
            grTexDownloadMipMapLevel(e[0] % 4, start, e[1], e[2], e[3], e[4], static_cast<FxU32>(e[5]), texels.data());
            break;
        }
        case 12: {
            grCullMode(Enum(in));
            grChromakeyMode(Enum(in));
            grChromakeyValue(in.U32());
            grConstantColorValue(in.U32());
            grDitherMode(Enum(in));
            break;
        }
        case 13:
            enums(6);
            grTexClampMode(e[0] % 4, e[1], e[2]);
            grTexFilterMode(e[3] % 4, e[4], e[5]);
            break;
        case 14: {
            // The source holds exactly the rows the region describes.
            const FxU32 x = in.U8() < 200 ? in.U32() % 1200 : in.U32();
            const FxU32 y = in.U8() < 200 ? in.U32() % 1000 : in.U32();
            // Mostly small regions; now and then one larger than any screen.
            const bool big = in.U8() >= 224;
            const FxU32 w = in.U32() % (big ? 1100 : 64);
            const FxU32 h = in.U32() % (big ? 900 : 64);
            const FxI32 stride = static_cast<FxI32>(2 * w + in.U8() % 16);
            const std::size_t bytes = w && h ? std::size_t(h - 1) * static_cast<std::size_t>(stride) + 2 * w : 0;
            std::unique_ptr<std::uint8_t[]> source(new std::uint8_t[bytes]);
            std::memset(source.get(), static_cast<int>(in.U8()), bytes);
            enums(2);
            grLfbWriteRegion(e[0] % 8, x, y, static_cast<FxU32>(e[1]), w, h, stride, source.get());
            break;
        }
        case 15: {
            const FxU32 colour = in.U32();
            const auto alpha = static_cast<FxU8>(in.U8());
            grBufferClear(colour, alpha, static_cast<FxU16>(in.U32()));
            break;
        }
        case 16: {
            grBufferSwap(static_cast<int>(in.U8()));
            grRenderBuffer(Enum(in));
            break;
        }
        case 17: {
            // Raw bytes as a saved state: clip window, enums and texture source all hostile.
            GrState state;
            for (char& c : state.pad) c = static_cast<char>(in.U8());
            grGlideSetState(&state);
            break;
        }
        case 18: {
            enums(5);
            GrTexInfo info{e[0], e[1], e[2], e[3], nullptr};
            grTexTextureMemRequired(static_cast<FxU32>(e[4]), &info);
            grTexMinAddress(Enum(in));
            grTexMaxAddress(Enum(in));
            break;
        }
        default: {
            grSstWinClose();
            const FxI32 resolution = in.U8() < 240 ? kResolutions[in.U8() % 4] : Enum(in);
            enums(2);
            grSstWinOpen(0, resolution, 0, e[0] % 4, e[1] % 2, 2, static_cast<int>(in.U8() % 2));
            break;
        }
        }
    }
    grSstWinClose();
}
