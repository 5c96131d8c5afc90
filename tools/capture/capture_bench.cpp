// What the capture costs per packet: the same packets through the plain
// plug-in and through the capture plug-in in front of it, with the capture
// written to a folder in the build tree. The counters give the time per
// packet of each and their ratio.
// Glide is left unbound, so only the plug-ins' own work and the capture's
// writing are timed.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "exports/vrastex.h"

namespace {

struct Api {
    decltype(&::DrawFlat) drawFlat;
    decltype(&::DrawGouraudTexture4) drawGouraudTexture4;
    decltype(&::DrawLineFlat2) drawLineFlat2;
    decltype(&::RenderScene) renderScene;
};

Api Load(const char* path) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "capture_bench: %s\n", dlerror());
        std::exit(1);
    }
    auto find = [&](const char* name) {
        void* address = dlsym(library, name);
        if (address == nullptr) std::exit(1);
        return address;
    };
    return {reinterpret_cast<decltype(Api::drawFlat)>(find("DrawFlat")),
            reinterpret_cast<decltype(Api::drawGouraudTexture4)>(find("DrawGouraudTexture4")),
            reinterpret_cast<decltype(Api::drawLineFlat2)>(find("DrawLineFlat2")),
            reinterpret_cast<decltype(Api::renderScene)>(find("RenderScene"))};
}

void Put16(std::uint8_t* p, int offset, int value) {
    p[offset] = static_cast<std::uint8_t>(value);
    p[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

const std::filesystem::path kCaptureDir = CAPTURE_BENCH_DIR;

// Three packets a round, as a frame mixes them; the list is sent now and then.
double TimeRounds(const Api& api, int rounds) {
    std::uint8_t flat[20] = {0, 0, 0, 0, 64, 32, 16, 0};
    Put16(flat, 8, 10), Put16(flat, 10, 10), Put16(flat, 12, 200), Put16(flat, 14, 20), Put16(flat, 16, 30);
    std::uint8_t textured[52] = {0, 0, 0, 0, 128, 128, 128, 2};
    for (int k = 0; k < 4; ++k) {
        Put16(textured, 8 + 12 * k, 20 + 40 * (k & 1)), Put16(textured, 10 + 12 * k, 20 + 40 * (k >> 1));
        textured[12 + 12 * k] = static_cast<std::uint8_t>(255 * (k & 1));
        textured[13 + 12 * k] = static_cast<std::uint8_t>(255 * (k >> 1));
    }
    Put16(textured, 26, 0x0008);
    std::uint8_t line[16] = {0, 0, 0, 0, 255, 255, 0, 0};
    Put16(line, 12, 300), Put16(line, 14, 200);
    const auto started = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        api.drawFlat(flat);
        api.drawGouraudTexture4(textured);
        api.drawLineFlat2(line, 4);
    }
    api.renderScene();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

// The plain plug-in is the baseline; the two take turns, so that both see the
// same load on a shared machine.
void CapturedPacketsToPlain(benchmark::State& state) {
    static const Api plain = Load(CAPTURE_BENCH_PLAIN);
    static const Api captured = Load(CAPTURE_BENCH_CAPTURE);
    constexpr int kRounds = 1000;
    double plainSeconds = 0, capturedSeconds = 0;
    for (auto _ : state) {
        plainSeconds += TimeRounds(plain, kRounds);
        capturedSeconds += TimeRounds(captured, kRounds);
    }
    const double packets = 3.0 * kRounds * static_cast<double>(state.iterations());
    state.counters["plain_ns"] = plainSeconds * 1e9 / packets;
    state.counters["captured_ns"] = capturedSeconds * 1e9 / packets;
    state.counters["ratio"] = capturedSeconds / plainSeconds;
}

}  // namespace

// A fixed count, so the capture written stays a few tens of megabytes.
BENCHMARK(CapturedPacketsToPlain)->Iterations(100)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    std::filesystem::remove_all(kCaptureDir);
    std::filesystem::create_directories(kCaptureDir);
    setenv("VRASTEX_CAPTURE_DIR", kCaptureDir.c_str(), 1);
    setenv("VRASTEX_CAPTURE_TARGET", CAPTURE_BENCH_PLAIN, 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(kCaptureDir);
    return 0;
}
