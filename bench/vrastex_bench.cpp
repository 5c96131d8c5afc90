// Speed of the plug-in's hot paths, each as a ratio to a memcpy of the same
// bytes timed in the same run (so machine noise cancels), and the software
// Glide stand-in's fill rate on the demo frames.
//
// The plug-in is linked in and draws into a do-nothing Glide: every entry
// point the flush calls is bound to a function that returns at once, so the
// times are the plug-in's own work plus the calls themselves.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "device/session.h"
#include "exports/vrastex.h"
#include "glide/glide_binding.h"
#include "loader.h"
#include "runner.h"
#include "scene/scene_list.h"
#include "standin.h"
#include "texture/staging.h"

namespace {

// --- a do-nothing Glide -------------------------------------------------------

#define NOTHING_FN(Ret, name, ...) \
    Ret GLIDECALL Nothing_##name(__VA_ARGS__) { return Ret(); }
GLIDE_CALLED_ENTRY_POINTS(NOTHING_FN)
#undef NOTHING_FN

void BindNothingGlide() {
#define BIND_NOTHING(Ret, name, ...) glideProcs[GLIDE_##name] = reinterpret_cast<GlideProc>(&Nothing_##name);
    GLIDE_CALLED_ENTRY_POINTS(BIND_NOTHING)
#undef BIND_NOTHING
}

std::vector<std::uint16_t> stagingSurface(4096 * 512);
std::vector<std::uint16_t> pageBuffer(256 * 256);

// The card counts as open, so the exports reach the do-nothing Glide.
void SetUpHost() {
    BindNothingGlide();
    vrastex::session.glideRunning = 1;
    vrastex::scene.cardOpen = 1;
    InitVariables(stagingSurface.data(), 0, pageBuffer.data(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3);  // 640 x 480
    InitSurfaces(0, 0, 0, 4096, 0, 0, 0, 0, 0, 0);
    const std::uint8_t env[8] = {0, 0, 0, 0, 64, 1, 0, 1};  // 320 x 256 at (0, 0)
    PutDrawEnv(env);
}

void Put16(std::uint8_t* p, int offset, int value) {
    p[offset] = static_cast<std::uint8_t>(value);
    p[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// --- a mixed frame --------------------------------------------------------------
//
// 5,800 packets in groups of eight: three DrawFlatTexture4, one each of
// DrawGouraudTexture, DrawFlat, DrawGouraud4 and DrawTile, and one line,
// alternately DrawLineFlat2 and DrawLineGouraud. Sizes 8 to 39 host units.
// One packet in eight straddles an edge of the 320 x 256 drawing area, each
// kind in turn; the rest lie inside. Every sixth is semi-transparent. Then
// RenderScene sends the list. Baseline: copying the GrVertex bytes the frame
// produces into the records where the frame puts them. (On the machine
// measured, records 964 bytes apart take about twice as long to fill as one
// contiguous block of the same bytes; the record layout fixes the places.)

constexpr int kFramePackets = 5800;

enum Kind { kFlatTexture4, kGouraudTexture, kFlat, kGouraud4, kTile, kLine };
constexpr Kind kGroup[8] = {kFlatTexture4, kFlatTexture4, kFlatTexture4, kGouraudTexture,
                            kFlat,         kGouraud4,     kTile,         kLine};

struct FramePacket {
    Kind kind;
    bool flatLine;
    std::uint8_t bytes[52];
};

std::vector<FramePacket> MakeFrame() {
    std::vector<FramePacket> frame(kFramePackets);
    std::uint32_t seed = 12345;
    const auto next = [&](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(range));
    };
    for (int i = 0; i < kFramePackets; ++i) {
        FramePacket& p = frame[i];
        std::memset(p.bytes, 0, sizeof p.bytes);
        p.kind = kGroup[i % 8];
        p.flatLine = (i / 8) % 2 == 0;
        const int size = 8 + next(32);
        int x = next(320 - size), y = next(256 - size);
        if ((i / 8) % 8 == i % 8) {  // this one crosses the left, top, right or bottom edge
            switch (next(4)) {
                case 0: x = -size / 2; break;
                case 1: y = -size / 2; break;
                case 2: x = 320 - size / 2; break;
                default: y = 256 - size / 2; break;
            }
        }
        std::uint8_t* b = p.bytes;
        b[4] = static_cast<std::uint8_t>(next(256)), b[5] = static_cast<std::uint8_t>(next(256));
        b[6] = static_cast<std::uint8_t>(next(256));
        b[7] = i % 6 == 0 ? 0x02 : 0x00;
        // Corners top-left, top-right, bottom-left, bottom-right, skewed a little.
        const int cx[4] = {x, x + size, x + 2, x + size - 1}, cy[4] = {y + 1, y, y + size, y + size - 2};
        switch (p.kind) {
            case kFlatTexture4:
            case kGouraudTexture: {
                const bool gouraud = p.kind == kGouraudTexture;
                const int stride = gouraud ? 12 : 8;
                for (int k = 0; k < (gouraud ? 3 : 4); ++k) {
                    const int at = 4 + stride * k;
                    if (gouraud) b[at] = static_cast<std::uint8_t>(next(256)), b[at + 1] = 90, b[at + 2] = 200;
                    Put16(b, at + 4, cx[k]), Put16(b, at + 6, cy[k]);
                    b[at + 8] = static_cast<std::uint8_t>(k & 1 ? 255 : 0);
                    b[at + 9] = static_cast<std::uint8_t>(k & 2 ? 255 : 0);
                }
                Put16(b, gouraud ? 26 : 22, 0x0008 + (i / 8) % 8);  // slots 3..10
                break;
            }
            case kFlat:
                for (int k = 0; k < 3; ++k) Put16(b, 8 + 4 * k, cx[k]), Put16(b, 10 + 4 * k, cy[k]);
                break;
            case kGouraud4:
                for (int k = 0; k < 4; ++k) {
                    b[4 + 8 * k] = static_cast<std::uint8_t>(40 * k);
                    Put16(b, 8 + 8 * k, cx[k]), Put16(b, 10 + 8 * k, cy[k]);
                }
                break;
            case kTile:
                Put16(b, 8, x), Put16(b, 10, y), Put16(b, 12, size), Put16(b, 14, size / 2 + 4);
                break;
            case kLine:
                Put16(b, 8, cx[0]), Put16(b, 10, cy[0]);
                Put16(b, p.flatLine ? 12 : 16, cx[3]), Put16(b, p.flatLine ? 14 : 18, cy[3]);
                break;
        }
    }
    return frame;
}

// No packet is on page 12, so none is rewritten and every frame is the same.
std::vector<FramePacket> framePackets = MakeFrame();

void DrawPackets() {
    for (FramePacket& p : framePackets) {
        switch (p.kind) {
            case kFlatTexture4: DrawFlatTexture4(p.bytes); break;
            case kGouraudTexture: DrawGouraudTexture(p.bytes); break;
            case kFlat: DrawFlat(p.bytes); break;
            case kGouraud4: DrawGouraud4(p.bytes); break;
            case kTile: DrawTile(p.bytes); break;
            case kLine:
                if (p.flatLine)
                    DrawLineFlat2(p.bytes, 4);
                else
                    DrawLineGouraud(p.bytes);
                break;
        }
    }
}

std::uint32_t DrawFrame() {
    DrawPackets();
    return RenderScene();
}

// The vertex count of each record the frame leaves in the scene list.
std::vector<int> FrameRecordSizes() {
    SetUpHost();
    DrawPackets();
    std::vector<int> sizes;
    for (std::uint32_t i = 0; i < vrastex::scene.count; ++i) sizes.push_back(vrastex::scene.records[i].vertexCount);
    vrastex::EmptySceneList();
    return sizes;
}

void MixedFrame(benchmark::State& state) {
    SetUpHost();
    for (auto _ : state) benchmark::DoNotOptimize(DrawFrame());
    state.counters["ns_per_packet"] =
        benchmark::Counter(static_cast<double>(kFramePackets) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Each record's vertices copied from one block into their place in the list.
void MixedFrameBaseline(benchmark::State& state) {
    const std::vector<int> sizes = FrameRecordSizes();
    std::size_t total = 0;
    for (int size : sizes) total += size * sizeof(GrVertex);
    std::vector<std::uint8_t> from(total, 1);
    for (auto _ : state) {
        const std::uint8_t* next = from.data();
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            std::memcpy(vrastex::scene.records[i].vertices, next, sizes[i] * sizeof(GrVertex));
            next += sizes[i] * sizeof(GrVertex);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total));
}

// --- uploads ----------------------------------------------------------------------
//
// Direct: the 320 x 256 display page at (0, 0), stride 4096. Indexed: one
// 256 x 256 texel page at x 384 (8-bit: 128 units a row, 4-bit: 64).
// Baselines: memcpy of the bytes each writes, row by row into the same rows
// of the staging surface, so both meet the same caches.

std::vector<std::uint8_t> sourceData(320 * 256 * 2);
std::vector<std::uint8_t> tableBlock(16 + 512);

void FillSource() {
    for (std::size_t i = 0; i < sourceData.size(); ++i) sourceData[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    for (std::size_t i = 16; i < tableBlock.size(); ++i) tableBlock[i] = static_cast<std::uint8_t>(i * 13);
}

void CopyRows(benchmark::State& state, int column, int pixels) {
    std::vector<std::uint8_t> from(static_cast<std::size_t>(pixels) * 2 * 256, 1);
    for (auto _ : state) {
        for (int row = 0; row < 256; ++row)
            std::memcpy(stagingSurface.data() + row * 4096 + column, from.data() + row * pixels * 2, pixels * 2);
        benchmark::ClobberMemory();
    }
}

void DirectUpload(benchmark::State& state) {
    SetUpHost();
    FillSource();
    LoadTextures();  // forgets any colour table
    const std::uint8_t rect[8] = {0, 0, 0, 0, 0x40, 0x01, 0, 1};  // 320 x 256 at (0, 0)
    for (auto _ : state) benchmark::DoNotOptimize(LoadImagePC(rect, sourceData.data()));
}

void IndexedUpload(benchmark::State& state, bool eightBit) {
    SetUpHost();
    FillSource();
    tableBlock[0] = eightBit ? 1 : 0;
    const std::uint8_t table[8] = {0, 0, 0, 0, 0, 1, 1, 0};  // 256 x 1
    const std::uint8_t rect[8] = {0x80, 0x01, 0, 0, static_cast<std::uint8_t>(eightBit ? 128 : 64), 0, 0, 1};
    for (auto _ : state) {
        LoadImagePC(table, tableBlock.data() + 16);
        LoadImagePC(rect, sourceData.data());
    }
}

void Indexed8Upload(benchmark::State& state) { IndexedUpload(state, true); }
void Indexed4Upload(benchmark::State& state) { IndexedUpload(state, false); }
void DirectUploadBaseline(benchmark::State& state) { CopyRows(state, 0, 320); }
void IndexedUploadBaseline(benchmark::State& state) { CopyRows(state, 1536, 256); }

// --- page loads ---------------------------------------------------------------------
//
// All 17 pages cut (3 of them halved) and handed to the do-nothing Glide.
// Baseline: memcpy of the 2.2 MB the cut reads, 512 bytes a row from the
// same rows of the staging surface into one page-sized buffer. (On the
// machine measured, one contiguous 2.2 MB memcpy is about twice as fast as
// rows 8 KiB apart, whatever copies them; the staging layout fixes the rows.)

void LoadAllPages(benchmark::State& state) {
    SetUpHost();
    for (std::size_t i = 0; i < stagingSurface.size(); ++i) stagingSurface[i] = static_cast<std::uint16_t>(i * 40503u);
    for (auto _ : state) {
        vrastex::staging.pagesCurrent = 0;
        LoadTextures();
        benchmark::ClobberMemory();
    }
}

void LoadAllPagesBaseline(benchmark::State& state) {
    std::vector<std::uint16_t> target(256 * 256);
    for (auto _ : state) {
        for (int page = 0; page < 17; ++page) {
            const std::uint16_t* from = stagingSurface.data() + (page < 11 ? 0 : 256 * 4096) + 1280 + 256 * (page % 11);
            for (int row = 0; row < 256; ++row) std::memcpy(target.data() + row * 256, from + row * 4096, 512);
        }
        benchmark::ClobberMemory();
    }
}

// --- the stand-in's fill rate ---------------------------------------------------------
//
// The demo script played through the built libvrastex.so and libglide2x.so
// as vrastex-replay plays it, without writing frames. Pixels drawn are
// counted once from the stand-in's call log: half the cross product of each
// fan triangle that culling keeps, the major-axis length of each line, the
// rectangle of each LFB write and the screen for each buffer clear.

struct Demo {
    replay::PluginApi plugin;
    replay::GlideApi glide;
    replay::Script script;
    decltype(&standinSetRecording) setRecording = nullptr;
    decltype(&standinCallCount) callCount = nullptr;
    decltype(&standinGetCall) getCall = nullptr;
    bool ready = false;
};

int NoScreen() { return 0; }  // the runner then writes no frame

Demo LoadDemo(std::string& error) {
    Demo demo;
    if (!replay::BindPlugin(VRASTEX_PLUGIN_PATH, "", "", demo.plugin, demo.glide, error)) return demo;
    void* glide = replay::OpenLibrary(demo.glide.library, error);
    if (!glide || !demo.glide.standinFound) return demo;
    demo.setRecording = reinterpret_cast<decltype(demo.setRecording)>(replay::FindSymbol(glide, "standinSetRecording"));
    demo.callCount = reinterpret_cast<decltype(demo.callCount)>(replay::FindSymbol(glide, "standinCallCount"));
    demo.getCall = reinterpret_cast<decltype(demo.getCall)>(replay::FindSymbol(glide, "standinGetCall"));
    std::ifstream in(VRASTEX_DEMO_SCRIPT);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<replay::ScriptError> errors;
    demo.script = replay::ParseScript(text.str(), VRASTEX_DEMO_SCRIPT,
                                      std::filesystem::path(VRASTEX_DEMO_SCRIPT).parent_path(), errors);
    if (!errors.empty() || !demo.setRecording || !demo.callCount || !demo.getCall) {
        error = "the demo script or the stand-in's log interface is missing";
        return demo;
    }
    demo.glide.standin.screenWidth = NoScreen;
    demo.glide.standin.findCall = nullptr;
    demo.ready = true;
    return demo;
}

bool PlayDemo(Demo& demo) {
    replay::Script script = demo.script;  // the plug-in rewrites page-12 packets
    replay::RunTotals totals;
    std::ostringstream out, err;
    std::string error;
    return replay::RunScript(script, demo.plugin, demo.glide, "", totals, out, err, error);
}

double PixelsInLog(const Demo& demo, double screenPixels) {
    double pixels = 0;
    FxI32 cull = GR_CULL_DISABLE;
    for (int i = 0; i < demo.callCount(); ++i) {
        const StandinCall& c = *demo.getCall(i);
        const std::string name = c.name;
        if (name == "grCullMode") cull = static_cast<FxI32>(c.args[0]);
        if (name == "grBufferClear") pixels += screenPixels;
        if (name == "grLfbWriteRegion") pixels += static_cast<double>(c.args[4] * c.args[5]);
        if (name == "grDrawLine")
            pixels += std::fmax(std::fabs(c.vertices[1].x - c.vertices[0].x), std::fabs(c.vertices[1].y - c.vertices[0].y));
        if (name != "grDrawPolygonVertexList" && name != "grDrawTriangle") continue;
        const GrVertex* v = c.vertices;
        for (int k = 1; k + 1 < c.vertexCount; ++k) {
            const double area = (double{v[k].x} - v[0].x) * (double{v[k + 1].y} - v[0].y) -
                                (double{v[k + 1].x} - v[0].x) * (double{v[k].y} - v[0].y);
            if (!(cull == GR_CULL_NEGATIVE && area < 0) && !(cull == GR_CULL_POSITIVE && area > 0))
                pixels += std::fabs(area) / 2;
        }
    }
    return pixels;
}

void StandinDemoFill(benchmark::State& state) {
    static std::string error;
    static Demo demo = LoadDemo(error);
    if (!demo.ready) {
        state.SkipWithError(error.c_str());
        return;
    }
    // One recorded play to count the pixels (the runner keeps the log whole
    // without its clearLog), then timed plays without recording.
    const auto clearLog = demo.glide.standin.clearLog;
    demo.glide.standin.clearLog = nullptr;
    demo.setRecording(1);
    PlayDemo(demo);
    demo.glide.standin.clearLog = clearLog;
    const double pixels = PixelsInLog(demo, 640.0 * 480.0);
    demo.setRecording(0);
    for (auto _ : state) PlayDemo(demo);
    demo.setRecording(1);
    state.counters["pixels_per_frame"] = pixels / 6;
    state.counters["pixels_per_second"] =
        benchmark::Counter(pixels * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// --- the report -------------------------------------------------------------------------

// Prints each ratio the issue tracks, from the best (least CPU time) of the
// repetitions of each benchmark in this run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
            if (run.counters.count("pixels_per_second")) fill_ = run.counters.at("pixels_per_second");
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nratios to memcpy of the same bytes to the same places, best of the repetitions:\n");
        // Times: work / copy (the goal is an upper bound); speeds: copy / work (a lower bound).
        const struct {
            const char* what;
            const char* work;
            const char* baseline;
            bool speed;
        } rows[] = {
            {"mixed frame, time / copying its GrVertex bytes", "MixedFrame", "MixedFrameBaseline", false},
            {"LoadImagePC direct, speed / copying the source", "DirectUpload", "DirectUploadBaseline", true},
            {"LoadImagePC 8-bit, speed / copying the staging bytes", "Indexed8Upload", "IndexedUploadBaseline", true},
            {"LoadImagePC 4-bit, speed / copying the staging bytes", "Indexed4Upload", "IndexedUploadBaseline", true},
            {"LoadTextures, time / copying the 2.2 MB", "LoadAllPages", "LoadAllPagesBaseline", false},
        };
        for (const auto& r : rows) {
            if (!times_.count(r.work) || !times_.count(r.baseline) || times_[r.work] <= 0) continue;
            const double ratio = r.speed ? times_[r.baseline] / times_[r.work] : times_[r.work] / times_[r.baseline];
            std::printf("  %-56s %6.2f x\n", r.what, ratio);
        }
        if (fill_ > 0) std::printf("  %-56s %6.1f Mpixel/s\n", "stand-in fill rate, demo frames", fill_ / 1e6);
    }

private:
    std::map<std::string, double> times_;
    double fill_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    // Each work and its baseline alternate five times, so a burst of load on
    // the machine hits both; the best of each is compared.
    for (const auto& [name, fn] : std::initializer_list<std::pair<const char*, void (*)(benchmark::State&)>>{
             {"MixedFrameBaseline", MixedFrameBaseline}, {"MixedFrame", MixedFrame},
             {"DirectUploadBaseline", DirectUploadBaseline}, {"DirectUpload", DirectUpload},
             {"IndexedUploadBaseline", IndexedUploadBaseline}, {"Indexed8Upload", Indexed8Upload},
             {"Indexed4Upload", Indexed4Upload}, {"LoadAllPagesBaseline", LoadAllPagesBaseline},
             {"LoadAllPages", LoadAllPages}})
        benchmark::RegisterBenchmark(name, fn)->Repetitions(5)->DisplayAggregatesOnly()->ComputeStatistics(
            "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    benchmark::RegisterBenchmark("StandinDemoFill", StandinDemoFill)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::AddCustomContext("build_type", VRASTEX_BUILD_TYPE);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
