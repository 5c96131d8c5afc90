#include "support/plugin_fixture.h"

#include "glide_api.h"

#if defined(VRASTEX_PE_DLL)
#include "pe/plugin_dll.h"

// The DLL's module state is out of reach: a fresh load puts it back.
void ResetPluginState() { PluginDllLoadFresh(); }

#endif

namespace {
std::vector<SentRecord> sent;
}  // namespace

void InitHost(HostMemory& memory, int resolutionIndex) {
    InitVariables(memory.staging.data(), 0, memory.page.data(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, resolutionIndex);
    InitSurfaces(0, 0, 0, 4096, 0, 0, 0, 0, 0, 0);
}

void SetDrawEnv(int x, int y, int w, int h) {
    Packet env;
    env.S16(0, x).S16(2, y).S16(4, w).S16(6, h);
    PutDrawEnv(env.data());
}

void PluginTest::SetUp() {
    sent.clear();
    standinReset();
    ResetPluginState();
}

void PluginTest::TearDown() {
    EXPECT_EQ(standinErrorCount(), 0) << "first: " << (standinErrorCount() ? standinErrorText(0) : "");
}

void PluginTest::OpenAt(int resolutionIndex) {
    ASSERT_EQ(fxInit(0, resolutionIndex, 0), 1);
    InitHost(host, resolutionIndex);
    SetDrawEnv(0, 0, 320, 256);
    standinClearLog();
}

std::vector<std::string> CallNames(int from) {
    std::vector<std::string> names;
    for (int i = from; i < standinCallCount(); ++i) names.emplace_back(standinGetCall(i)->name);
    return names;
}

std::vector<const StandinCall*> CallsNamed(const char* name) {
    std::vector<const StandinCall*> calls;
    for (int i = standinFindCall(name, 0); i >= 0; i = standinFindCall(name, i + 1))
        calls.push_back(standinGetCall(i));
    return calls;
}

const StandinCall& OnlyCall(const char* name) {
    static StandinCall none{};
    const auto calls = CallsNamed(name);
    EXPECT_EQ(calls.size(), 1u) << name;
    return calls.empty() ? none : *calls.front();
}

int CountCalls(const char* name) { return static_cast<int>(CallsNamed(name).size()); }

std::vector<std::int64_t> Args(const StandinCall& call) {
    return std::vector<std::int64_t>(call.args, call.args + call.argCount);
}

std::int64_t Address(const void* pointer) {
    return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(pointer));
}

GrState GlideStateSnapshot() {
    GrState state;
    std::memset(&state, 0, sizeof state);
    grGlideGetState(&state);
    return state;
}

bool SameGlideState(const GrState& a, const GrState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

const std::vector<SentRecord>& Sent() {
    const int from = standinCallCount();
    RenderScene();
    SentRecord next{};
    next.texAddress = -1;
    for (int i = from; i < standinCallCount(); ++i) {
        const StandinCall& call = *standinGetCall(i);
        const std::string name = call.name;
        if (name == "grColorCombine") next.color = Args(call), next.texAddress = -1;  // a record's state comes first
        if (name == "grAlphaBlendFunction") next.blend = Args(call);
        if (name == "grTexSource") next.texAddress = call.args[1], next.texInfo = call.texInfo;
        if (name != "grDrawPolygonVertexList" && name != "grDrawLine") continue;
        next.vertexCount = call.vertexCount;
        std::memcpy(next.vertices, call.vertices, sizeof next.vertices);
        sent.push_back(next);
    }
    return sent;
}

void ForgetSent() {
    RenderScene();
    sent.clear();
}

std::vector<std::pair<float, float>> HostPoints(const SentRecord& r, double scaleX, double scaleY) {
    std::vector<std::pair<float, float>> points;
    for (int k = 0; k < r.vertexCount; ++k)
        points.emplace_back(static_cast<float>((r.vertices[k].x - 786432.0) / scaleX),
                            static_cast<float>((r.vertices[k].y - 786432.0) / scaleY));
    return points;
}
