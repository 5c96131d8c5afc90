// Binding Glide: a complete library, one lacking its last
// entry point, and no library at all. Which library the loader finds is set
// per case by CTest through LD_LIBRARY_PATH and VRASTEX_BINDING_CASE.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "device/device.h"
#include "exports/vrastex.h"
#include "glide/glide_binding.h"

namespace {

bool CaseIs(const char* name) {
    const char* value = std::getenv("VRASTEX_BINDING_CASE");
    return value && std::strcmp(value, name) == 0;
}

#define REQUIRE_CASE(name) \
    if (!CaseIs(name)) GTEST_SKIP() << "runs under CTest with VRASTEX_BINDING_CASE=" name

// The stand-in's own log, reached through the library the plug-in loaded.
int StandinFindCall(const char* name) {
    void* library = dlopen("libglide2x.so", RTLD_NOW | RTLD_NOLOAD);
    if (!library) return -2;
    auto find = reinterpret_cast<int (*)(const char*, int)>(dlsym(library, "standinFindCall"));
    return find ? find(name, 0) : -2;
}

// The log is off while the library is only loaded; this turns it on.
[[maybe_unused]] void StandinRecord() {
    void* library = dlopen("libglide2x.so", RTLD_NOW | RTLD_NOLOAD);
    auto set = library ? reinterpret_cast<void (*)(int)>(dlsym(library, "standinSetRecording")) : nullptr;
    if (set) set(1);
}

// The binding table itself is reachable only with the plug-in linked in; a
// DLL build runs the export-level cases below.
#if !defined(VRASTEX_PE_DLL)
TEST(BindingDefaults, EveryEntryIsCallableBeforeBinding) {
    // An unbound entry takes the arguments and reports nothing.
    EXPECT_EQ(glide::grBufferNumPending(), 0);
    EXPECT_EQ(glide::grSstWinOpen(0u, 7, 0, 0, 0, 2, 1), 0);
    EXPECT_EQ(glide::grTexMaxAddress(0), 0u);
    GrHwConfiguration config{};
    EXPECT_EQ(glide::grSstQueryHardware(&config), 0);
    glide::grGammaCorrectionValue(1.0f);
}

TEST(BindingComplete, ResolvesAllEntriesFromTheLibrary) {
    REQUIRE_CASE("complete");
    ASSERT_EQ(BindGlide(), 1);
    void* library = dlopen("libglide2x.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    for (int i = 0; i < GLIDE_ENTRY_COUNT; ++i) {
        EXPECT_EQ(reinterpret_cast<void*>(glideProcs[i]), dlsym(library, glidePlainNames[i])) << glidePlainNames[i];
    }
}

TEST(BindingComplete, DetectAndInitBindOnceShutdownBindsAgain) {
    REQUIRE_CASE("complete");
    EXPECT_EQ(fxDetect(), 1);
    StandinRecord();
    EXPECT_EQ(vrastex::device.glideBound, 1);
    const GlideProc real = glideProcs[GLIDE_grSstIdle];
    // Make a bound entry look unbound: only a new binding would restore it.
    glideProcs[GLIDE_grSstIdle] = nullptr;
    EXPECT_EQ(fxDetect(), 1);
    EXPECT_EQ(fxInit(0, 3, 0), 1);
    EXPECT_EQ(glideProcs[GLIDE_grSstIdle], nullptr);
    fxGlideShutdown();
    EXPECT_EQ(glideProcs[GLIDE_grSstIdle], real);
    EXPECT_GE(StandinFindCall("grGlideShutdown"), 0);
}

TEST(BindingMissingLast, FailsAfter120Lookups) {
    REQUIRE_CASE("missing-last");
    EXPECT_EQ(BindGlide(), 0);
    for (int i = 0; i < 120; ++i) EXPECT_NE(glideProcs[i], nullptr) << glidePlainNames[i];
    EXPECT_EQ(glideProcs[120], nullptr);
}

#endif

TEST(BindingMissingLast, ExportsFailAndStayUnbound) {
    REQUIRE_CASE("missing-last");
    EXPECT_EQ(fxDetect(), 0);
    EXPECT_EQ(fxInit(0, 3, 0), 0);
    EXPECT_EQ(fxInit(0, 3, 0), 0);
    fxGlideShutdown();
    // Glide is never ended through an incomplete binding.
    EXPECT_EQ(StandinFindCall("grGlideShutdown"), -1);
    EXPECT_EQ(StandinFindCall("grGlideInit"), -1);
}

TEST(BindingNoLibrary, EverythingFailsQuietlyAndNothingCrashes) {
    REQUIRE_CASE("none");
#if !defined(VRASTEX_PE_DLL)
    EXPECT_EQ(BindGlide(), 0);
    for (int i = 0; i < GLIDE_ENTRY_COUNT; ++i) EXPECT_EQ(glideProcs[i], nullptr);
#endif
    EXPECT_EQ(fxDetect(), 0);
    EXPECT_EQ(fxInit(0, 3, 0), 0);
    // A host that draws anyway: with no card open the frame is dropped, nothing is sent.
    std::uint8_t packet[24] = {};
    packet[12] = 100;  // x1
    packet[18] = 100;  // y2
    std::uint8_t env[8] = {0, 0, 0, 0, 64, 1, 0, 1};
    PutDrawEnv(env);
    DrawFlat(packet);
    EXPECT_EQ(RenderScene(), 0u);
    Flip();
    ClearScreen();
    EXPECT_EQ(pause_render(), 0);
    unpause_render();
    EXPECT_EQ(fxShutdown(), 1);
    fxGlideShutdown();
}

}  // namespace
