// The software Glide's fill rate on a plug-in-like frame at 640 x 480, driven
// through the stand-in's entry points as a host would (window open, state
// calls before every draw, a swap per frame):
//   1. a full-screen bilinear textured quad modulated by Gouraud colour,
//      chroma key on (black texels dropped);
//   2. a full-screen Gouraud quad alpha-blended over it;
//   3. 2,048 textured right triangles with 16-pixel legs;
//   4. a flat quad in the plug-in's additive mode (SRC_ALPHA, SRC_ALPHA).
// 1,183,744 pixels a frame. Reported as Mpixel/s with one worker and with one
// per core. Run with VRASTEX_GLIDE_WINDOW=own (under Xvfb when headless) to
// include presenting in the window.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "glide_api.h"
#include "standin.h"

#ifndef VRASTEX_BUILD_TYPE
#define VRASTEX_BUILD_TYPE "unknown"
#endif

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kTriangles = 2048;
constexpr std::int64_t kFramePixels = 3LL * kWidth * kHeight + kTriangles * 128LL;

// A 256 x 256 RGB 565 texture: smooth ramps with a black (keyed) texel in
// every 8 x 8 block.
std::vector<std::uint16_t> MakeTexture() {
    std::vector<std::uint16_t> texels(256 * 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const int r = x >> 3, g = (x + y) >> 3, b = y >> 3;
            texels[y * 256 + x] =
                ((x & 7) == 3 && (y & 7) == 5) ? 0 : static_cast<std::uint16_t>((r << 11) | (g << 5) | b);
        }
    }
    return texels;
}

GrVertex Vertex(float x, float y, float r, float g, float b, float a, float s, float t) {
    GrVertex v{};
    v.x = x;
    v.y = y;
    v.r = r;
    v.g = g;
    v.b = b;
    v.a = a;
    v.oow = 1.0f;
    v.tmuvtx[0].sow = s;
    v.tmuvtx[0].tow = t;
    v.tmuvtx[0].oow = 1.0f;
    return v;
}

// The plug-in's four blend rows, textured and not (grColorCombine,
// grAlphaCombine, grAlphaBlendFunction).
void OpaqueTextured() {
    grColorCombine(3, 1, 0, 1, 0);
    grAlphaCombine(3, 8, 1, 0, 0);
    grAlphaBlendFunction(1, 5, 4, 0);
}
void BlendedUntextured() {
    grColorCombine(3, 1, 0, 0, 0);
    grAlphaCombine(3, 8, 1, 0, 0);
    grAlphaBlendFunction(1, 5, 4, 0);
}
void AdditiveUntextured() {
    grColorCombine(3, 1, 0, 0, 0);
    grAlphaCombine(1, 0, 1, 2, 0);
    grAlphaBlendFunction(1, 1, 4, 0);
}

GrTexInfo Info() {
    GrTexInfo info{};
    info.smallLod = GR_LOD_256;
    info.largeLod = GR_LOD_256;
    info.aspectRatio = GR_ASPECT_1x1;
    info.format = GR_TEXFMT_RGB_565;
    return info;
}

// Opens the screen with the plug-in's fixed state and loads the texture.
void Open() {
    standinReset();
    // A player's library neither records nor validates.
    standinSetRecording(0);
    standinSetValidation(0);
    grSstWinOpen(0, GR_RESOLUTION_640x480, 0, 0, 0, 2, 1);
    grRenderBuffer(GR_BUFFER_BACKBUFFER);
    grCullMode(GR_CULL_NEGATIVE);
    grTexClampMode(0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
    grTexFilterMode(0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexCombine(0, 1, 0, 1, 0, 0, 0);
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    grChromakeyValue(0);
    grGammaCorrectionValue(1.0f);
    static const std::vector<std::uint16_t> texture = MakeTexture();
    grTexDownloadMipMapLevel(0, 0, GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, 3, texture.data());
}

void Frame() {
    static GrTexInfo info = Info();
    const float w = kWidth, h = kHeight;
    // Clockwise on the screen: drawn with negative areas culled.
    OpaqueTextured();
    grTexSource(0, 0, 3, &info);
    GrVertex page[4] = {Vertex(0, 0, 255, 128, 64, 255, 0, 0), Vertex(w, 0, 64, 255, 128, 255, 256, 0),
                        Vertex(w, h, 128, 64, 255, 255, 256, 256), Vertex(0, h, 255, 255, 255, 255, 0, 256)};
    grDrawPolygonVertexList(4, page);

    BlendedUntextured();
    GrVertex veil[4] = {Vertex(0, 0, 200, 20, 20, 40, 0, 0), Vertex(w, 0, 20, 200, 20, 200, 0, 0),
                        Vertex(w, h, 20, 20, 200, 120, 0, 0), Vertex(0, h, 200, 200, 20, 0, 0, 0)};
    grDrawPolygonVertexList(4, veil);

    // 2,048 halves of the 16 x 16 cells, row by row.
    for (int i = 0; i < kTriangles; ++i) {
        const int cell = i / 2, cx = (cell % 40) * 16, cy = (cell / 40) * 16;
        const float x = static_cast<float>(cx), y = static_cast<float>(cy);
        const float s = static_cast<float>((cell * 37) & 255) * 0.75f, t = static_cast<float>((cell * 11) & 255) * 0.75f;
        OpaqueTextured();
        grTexSource(0, 0, 3, &info);
        GrVertex tri[3];
        if (i % 2 == 0) {
            tri[0] = Vertex(x, y, 255, 255, 255, 255, s, t);
            tri[1] = Vertex(x + 16, y, 255, 200, 200, 255, s + 16, t);
            tri[2] = Vertex(x, y + 16, 200, 200, 255, 255, s, t + 16);
        } else {
            tri[0] = Vertex(x + 16, y, 255, 200, 200, 255, s + 16, t);
            tri[1] = Vertex(x + 16, y + 16, 200, 255, 200, 255, s + 16, t + 16);
            tri[2] = Vertex(x, y + 16, 200, 200, 255, 255, s, t + 16);
        }
        grDrawPolygonVertexList(3, tri);
    }

    AdditiveUntextured();
    GrVertex glow[4] = {Vertex(0, 0, 30, 20, 10, 128, 0, 0), Vertex(w, 0, 30, 20, 10, 128, 0, 0),
                        Vertex(w, h, 30, 20, 10, 128, 0, 0), Vertex(0, h, 30, 20, 10, 128, 0, 0)};
    grDrawPolygonVertexList(4, glow);
    // The plug-in's Flip: wait until the window has shown the frames handed
    // over, swap without waiting for the refresh, clear the new back buffer.
    while (grBufferNumPending() > 0) {
    }
    grBufferSwap(0);
    grBufferClear(0, 0, 0xFFFF);
}

void Workload(benchmark::State& state) {
    standinSetWorkers(static_cast<int>(state.range(0)));
    Open();
    for (auto _ : state) Frame();
    grSstWinClose();
    state.counters["Mpixel/s"] =
        benchmark::Counter(static_cast<double>(kFramePixels) * static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["workers"] = static_cast<double>(state.range(0));
    state.SetLabel(VRASTEX_BUILD_TYPE);
    standinSetWorkers(0);
}

// A hash of the presented frame after two frames, so that runs with other
// worker counts and builds can be compared by eye.
std::uint32_t FrameHash(int workers) {
    standinSetWorkers(workers);
    Open();
    Frame();
    Frame();
    std::vector<std::uint16_t> pixels(kWidth * kHeight);
    standinReadColorBuffer(GR_BUFFER_FRONTBUFFER, pixels.data(), kWidth * kHeight);
    grSstWinClose();
    standinSetWorkers(0);
    std::uint32_t hash = 2166136261u;
    for (std::uint16_t p : pixels) {
        hash = (hash ^ (p & 0xFF)) * 16777619u;
        hash = (hash ^ (p >> 8)) * 16777619u;
    }
    return hash;
}

int Cores() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

}  // namespace

BENCHMARK(Workload)->Arg(1)->Arg(Cores())->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv) {
    std::printf("glide_workload_bench: build type %s, %d cores, window: %s\n", VRASTEX_BUILD_TYPE, Cores(),
                std::getenv("VRASTEX_GLIDE_WINDOW") ? std::getenv("VRASTEX_GLIDE_WINDOW") : "none");
    std::printf("frame hash: %08x with 1 worker, %08x with %d\n", FrameHash(1), FrameHash(Cores()), Cores());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
