// Speed of the plug-in's hot paths, reported as ratios to a baseline measured
// in the same run: copying one scene record's worth of bytes (for the packet
// converters) and copying the uploaded bytes (for uploads and page loads).
// Glide is left unbound, so only the plug-in's own work is timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "exports/vrastex.h"
#include "scene/scene_list.h"
#include "texture/staging.h"

namespace {

std::vector<std::uint16_t> stagingSurface(4096 * 512);
std::vector<std::uint16_t> pageBuffer(256 * 256);

void SetUpHost() {
    InitVariables(stagingSurface.data(), 0, pageBuffer.data(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3);
    InitSurfaces(0, 0, 0, 4096, 0, 0, 0, 0, 0, 0);
    const std::uint8_t env[8] = {0, 0, 0, 0, 64, 1, 0, 1};  // 320 x 256
    PutDrawEnv(env);
}

void Put16(std::uint8_t* p, int offset, int value) {
    p[offset] = static_cast<std::uint8_t>(value);
    p[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void BaselineRecordCopy(benchmark::State& state) {
    vrastex::SceneRecord from{}, to{};
    for (auto _ : state) {
        std::memcpy(&to, &from, sizeof to);
        benchmark::DoNotOptimize(to);
        benchmark::ClobberMemory();
    }
}

void KeepListSmall() {
    if (vrastex::scene.count >= vrastex::kSceneCapacity - 4) vrastex::EmptySceneList();
}

void DrawFlatInside(benchmark::State& state) {
    SetUpHost();
    std::uint8_t packet[24] = {};
    Put16(packet, 8, 10), Put16(packet, 10, 10), Put16(packet, 12, 200), Put16(packet, 14, 20);
    Put16(packet, 16, 30), Put16(packet, 18, 200);
    for (auto _ : state) {
        DrawFlat(packet);
        KeepListSmall();
    }
}

void DrawGouraud4Clipped(benchmark::State& state) {
    SetUpHost();
    std::uint8_t packet[36] = {};
    const int points[4][2] = {{-40, -30}, {360, -10}, {-20, 300}, {380, 290}};
    for (int k = 0; k < 4; ++k) {
        packet[4 + 8 * k] = static_cast<std::uint8_t>(40 * k);
        Put16(packet, 8 + 8 * k, points[k][0]);
        Put16(packet, 10 + 8 * k, points[k][1]);
    }
    for (auto _ : state) {
        DrawGouraud4(packet);
        KeepListSmall();
    }
}

void DrawGouraudTexture4Inside(benchmark::State& state) {
    SetUpHost();
    std::uint8_t packet[52] = {};
    const int points[4][3] = {{10, 10, 0}, {200, 10, 255}, {10, 200, 0}, {200, 200, 255}};
    for (int k = 0; k < 4; ++k) {
        packet[4 + 12 * k] = 128;
        Put16(packet, 8 + 12 * k, points[k][0]);
        Put16(packet, 10 + 12 * k, points[k][1]);
        packet[12 + 12 * k] = static_cast<std::uint8_t>(points[k][2]);
        packet[13 + 12 * k] = static_cast<std::uint8_t>(points[k][2]);
    }
    Put16(packet, 26, 0x0008);  // slot 3
    for (auto _ : state) {
        DrawGouraudTexture4(packet);
        KeepListSmall();
    }
}

// An 8-bit indexed page upload (256 x 256 texels) against copying its bytes.
std::vector<std::uint8_t> indexedData(256 * 128 * 2);
std::vector<std::uint8_t> tableBlock(16 + 512);

void BaselineUploadCopy(benchmark::State& state) {
    std::vector<std::uint8_t> target(indexedData.size());
    for (auto _ : state) {
        std::memcpy(target.data(), indexedData.data(), indexedData.size());
        benchmark::ClobberMemory();
    }
}

void IndexedPageUpload(benchmark::State& state) {
    SetUpHost();
    tableBlock[0] = 1;  // 8-bit table
    for (std::size_t i = 0; i < indexedData.size(); ++i) indexedData[i] = static_cast<std::uint8_t>(i * 7);
    const std::uint8_t table[8] = {0, 0, 0, 0, 0, 1, 1, 0};  // 256 x 1
    const std::uint8_t rect[8] = {0x80, 0x01, 0, 0, 128, 0, 0, 1};  // x 384, y 0, 128 units x 256 rows
    for (auto _ : state) {
        LoadImagePC(table, tableBlock.data() + 16);
        LoadImagePC(rect, indexedData.data());
    }
}

// Copying the 17 pages' texels once, the least a full load has to move.
void BaselinePageSetCopy(benchmark::State& state) {
    std::vector<std::uint16_t> target(256 * 256);
    for (auto _ : state) {
        for (int page = 0; page < 17; ++page)
            std::memcpy(target.data(), stagingSurface.data() + 1280 + 256 * (page % 11), target.size() * 2);
        benchmark::ClobberMemory();
    }
}

void LoadAllPages(benchmark::State& state) {
    SetUpHost();
    for (auto _ : state) {
        vrastex::staging.pagesCurrent = 0;
        LoadTextures();
    }
}

// Prints each benchmark's time as a multiple of its baseline.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const struct {
            const char* name;
            const char* baseline;
        } pairs[] = {
            {"DrawFlatInside", "BaselineRecordCopy"},       {"DrawGouraud4Clipped", "BaselineRecordCopy"},
            {"DrawGouraudTexture4Inside", "BaselineRecordCopy"}, {"IndexedPageUpload", "BaselineUploadCopy"},
            {"LoadAllPages", "BaselinePageSetCopy"},
        };
        std::printf("\nratio to baseline (same run):\n");
        for (const auto& p : pairs) {
            if (times_.count(p.name) && times_.count(p.baseline) && times_[p.baseline] > 0)
                std::printf("  %-28s %8.2f x %s\n", p.name, times_[p.name] / times_[p.baseline], p.baseline);
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

BENCHMARK(BaselineRecordCopy);
BENCHMARK(DrawFlatInside);
BENCHMARK(DrawGouraud4Clipped);
BENCHMARK(DrawGouraudTexture4Inside);
BENCHMARK(BaselineUploadCopy);
BENCHMARK(IndexedPageUpload);
BENCHMARK(BaselinePageSetCopy);
BENCHMARK(LoadAllPages);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
