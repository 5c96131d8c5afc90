// What the plug-in says when Glide cannot be used: one line on stderr per
// reason with VRASTEX_DEBUG set, the first time only, nothing without it.
// Runs in binding_tests, once per library variant (see CMakeLists.txt).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "exports/vrastex.h"
#include "glide/glide_diagnostics.h"
#include "glide/glide_types.h"

namespace {

bool CaseIs(const char* name) {
    const char* value = std::getenv("VRASTEX_BINDING_CASE");
    return value && std::string(value) == name;
}

#define REQUIRE_CASE(name) \
    if (!CaseIs(name)) GTEST_SKIP() << "runs under CTest with VRASTEX_BINDING_CASE=" name

// What `action` writes to stderr, run twice.
std::string SaidTwice(const std::function<void()>& action, bool debug = true) {
    if (debug) {
        setenv("VRASTEX_DEBUG", "1", 1);
    } else {
        unsetenv("VRASTEX_DEBUG");
    }
    vrastex::ForgetGlideFailures();
    testing::internal::CaptureStderr();
    action();
    action();
    return testing::internal::GetCapturedStderr();
}

// A control function of the stand-in the plug-in loaded.
template <typename Fn>
Fn Control(const char* name) {
    void* library = dlopen("libglide2x.so", RTLD_NOW | RTLD_NOLOAD);
    return library ? reinterpret_cast<Fn>(dlsym(library, name)) : nullptr;
}

TEST(DiagnosticsNoLibrary, SaysWhichLibraryCouldNotBeLoaded) {
    REQUIRE_CASE("none");
    const std::string said = SaidTwice([] { EXPECT_EQ(fxInit(0, 3, 0), 0); });
    EXPECT_EQ(said.rfind("vrastex: cannot load the Glide library libglide2x.so: ", 0), 0u) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    EXPECT_EQ(SaidTwice([] { fxDetect(); }, false), "");
}

TEST(DiagnosticsMissingLast, SaysTheFirstMissingEntryPoint) {
    REQUIRE_CASE("missing-last");
    EXPECT_EQ(SaidTwice([] { EXPECT_EQ(fxDetect(), 0); }),
              "vrastex: the Glide library libglide2x.so has no entry point guTexSource (not a Glide 2.x library?)\n");
    EXPECT_EQ(SaidTwice([] { fxInit(0, 3, 0); }, false), "");
}

TEST(DiagnosticsComplete, SaysWhyNoCardCouldBeOpened) {
    REQUIRE_CASE("complete");
    ASSERT_EQ(fxDetect(), 1);  // binds, so the stand-in can be scripted
    const auto reset = Control<void (*)()>("standinReset");
    const auto boards = Control<void (*)(int)>("standinSetBoardCount");
    const auto hardware = Control<void (*)(int, const GrHwConfiguration*)>("standinSetHardware");
    const auto winOpen = Control<void (*)(int)>("standinSetWinOpenResult");
    ASSERT_TRUE(reset && boards && hardware && winOpen);
    GrHwConfiguration type4{};
    type4.num_sst = 1;
    type4.SSTs[0].type = 4;
    // In this order: the hardware query stays pending until one succeeds.
    const struct {
        std::function<void()> script;
        std::function<int()> call;
        std::string said;
    } cases[] = {
        {[&] { boards(0); }, [] { return fxDetect(); },
         "vrastex: fxDetect: Glide found no 3Dfx board (grSstQueryBoards)\n"},
        {[&] { hardware(0, nullptr); }, [] { return fxInit(0, 3, 0); },
         "vrastex: fxInit: Glide found no 3Dfx board (grSstQueryHardware failed)\n"},
        {[&] { hardware(1, &type4); }, [] { return fxInit(0, 3, 0); },
         "vrastex: fxInit: the first 3Dfx board has type 4, which the plug-in cannot drive (0 Voodoo Graphics, "
         "1 SST-96, 2 AT3D, 3 Voodoo2)\n"},
        {[&] { winOpen(0); }, [] { return fxInit(0, 1, 0); },
         "vrastex: fxInit: Glide could not open the screen at 512x384 (grSstWinOpen failed)\n"},
    };
    for (const auto& c : cases) {
        reset();
        c.script();
        EXPECT_EQ(SaidTwice([&] { EXPECT_EQ(c.call(), 0); }), c.said);
    }
    reset();
    winOpen(0);
    EXPECT_EQ(SaidTwice([] { fxInit(0, 1, 0); }, false), "");
    reset();
    EXPECT_EQ(SaidTwice([] { EXPECT_EQ(fxInit(0, 3, 0), 1); }), "");  // success says nothing
}

}  // namespace
