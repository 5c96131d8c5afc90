// What the capture costs per packet: the same packets through the plain
// plug-in and through the capture plug-in in front of it, with the capture
// written to a folder in the build tree; the ratio of the two is printed.
// Glide is left unbound, so only the plug-ins' own work and the capture's
// writing are timed.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
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

// Three packets a round, as a frame mixes them; the list is sent now and then.
void Packets(benchmark::State& state, const Api& api) {
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
    int round = 0;
    for (auto _ : state) {
        api.drawFlat(flat);
        api.drawGouraudTexture4(textured);
        api.drawLineFlat2(line, 4);
        if (++round % 1000 == 0) api.renderScene();
    }
    state.SetItemsProcessed(state.iterations() * 3);
}

const std::filesystem::path kCaptureDir = CAPTURE_BENCH_DIR;

void PlainPackets(benchmark::State& state) {
    static const Api api = Load(CAPTURE_BENCH_PLAIN);
    Packets(state, api);
}

void CapturedPackets(benchmark::State& state) {
    static const Api api = Load(CAPTURE_BENCH_CAPTURE);
    Packets(state, api);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double plain = times_["PlainPackets/iterations:300000"];
        if (plain > 0)
            std::printf("\nratio to baseline (same run):\n  %-28s %8.2f x PlainPackets\n", "CapturedPackets",
                        times_["CapturedPackets/iterations:300000"] / plain);
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

// A fixed count, so the capture written stays a few tens of megabytes.
BENCHMARK(PlainPackets)->Iterations(300000);
BENCHMARK(CapturedPackets)->Iterations(300000);

int main(int argc, char** argv) {
    std::filesystem::remove_all(kCaptureDir);
    std::filesystem::create_directories(kCaptureDir);
    setenv("VRASTEX_CAPTURE_DIR", kCaptureDir.c_str(), 1);
    setenv("VRASTEX_CAPTURE_TARGET", CAPTURE_BENCH_PLAIN, 1);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(kCaptureDir);
    return 0;
}
