// What the plug-in says when Glide cannot be used. Built twice: against the
// diagnostic build (diagnostics_tests), which says one line on stderr per
// reason with VRASTEX_DEBUG set, the first time only, nothing without it; and
// against the plug-in itself (binding_tests), which says nothing and never
// looks at VRASTEX_DEBUG, set or not. Runs once per library variant (see
// CMakeLists.txt).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "exports/vrastex.h"
#include "glide/glide_diagnostics.h"
#include "glide/glide_types.h"

#if defined(VRASTEX_DIAGNOSTIC)
constexpr bool kDiagnostic = true;
#else
constexpr bool kDiagnostic = false;
#endif

// Every getenv of this program, the plug-in's included, comes here: it reads
// the environment as the C library does and counts the lookups of
// VRASTEX_DEBUG.
extern "C" char** environ;
namespace {
int debugLookups = 0;
}  // namespace

extern "C" char* getenv(const char* name) noexcept {
    const std::size_t length = std::strlen(name);
    if (std::strcmp(name, "VRASTEX_DEBUG") == 0) ++debugLookups;
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::strncmp(*entry, name, length) == 0 && (*entry)[length] == '=') return *entry + length + 1;
    return nullptr;
}

namespace {

bool CaseIs(const char* name) {
    const char* value = std::getenv("VRASTEX_BINDING_CASE");
    return value && std::string(value) == name;
}

#define REQUIRE_CASE(name) \
    if (!CaseIs(name)) GTEST_SKIP() << "runs under CTest with VRASTEX_BINDING_CASE=" name

// What `action` writes to stderr, run twice; debugLookups counts from here.
std::string SaidTwice(const std::function<void()>& action, bool debug = true) {
    if (debug) {
        setenv("VRASTEX_DEBUG", "1", 1);
    } else {
        unsetenv("VRASTEX_DEBUG");
    }
    vrastex::ForgetGlideFailures();
    debugLookups = 0;
    testing::internal::CaptureStderr();
    action();
    action();
    return testing::internal::GetCapturedStderr();
}

// `action` fails twice: the diagnostic build says `line` once with
// VRASTEX_DEBUG set and nothing without it, having looked; the plug-in
// itself says nothing and does not look.
void ExpectFailureSaid(const std::function<void()>& action, const std::string& line) {
    EXPECT_EQ(SaidTwice(action), kDiagnostic ? line : "");
    EXPECT_EQ(debugLookups > 0, kDiagnostic) << debugLookups << " lookups of VRASTEX_DEBUG";
    EXPECT_EQ(SaidTwice(action, false), "");
    EXPECT_EQ(debugLookups > 0, kDiagnostic) << debugLookups << " lookups of VRASTEX_DEBUG";
}

// A control function of the stand-in the plug-in loaded.
template <typename Fn>
Fn Control(const char* name) {
    void* library = dlopen("libglide2x.so", RTLD_NOW | RTLD_NOLOAD);
    return library ? reinterpret_cast<Fn>(dlsym(library, name)) : nullptr;
}

TEST(DiagnosticsNoLibrary, SaysWhichLibraryCouldNotBeLoaded) {
    REQUIRE_CASE("none");
    // The loader's own words follow the name; they differ between systems.
    const std::string said = SaidTwice([] { EXPECT_EQ(fxInit(0, 3, 0), 0); });
    const std::string start = "vrastex: cannot load the Glide library libglide2x.so: ";
    if (kDiagnostic) {
        EXPECT_EQ(said.rfind(start, 0), 0u) << said;
        EXPECT_GT(said.size(), start.size() + 1) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    } else {
        EXPECT_EQ(said, "");
    }
    EXPECT_EQ(debugLookups > 0, kDiagnostic) << debugLookups << " lookups of VRASTEX_DEBUG";
    EXPECT_EQ(SaidTwice([] { fxDetect(); }, false), "");
}

TEST(DiagnosticsMissingLast, SaysTheFirstMissingEntryPoint) {
    REQUIRE_CASE("missing-last");
    ExpectFailureSaid([] { EXPECT_EQ(fxDetect(), 0); },
                      "vrastex: the Glide library libglide2x.so has no entry point guTexSource (not a Glide 2.x "
                      "library?)\n");
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
        SCOPED_TRACE(c.said);
        reset();
        c.script();
        ExpectFailureSaid([&] { EXPECT_EQ(c.call(), 0); }, c.said);
    }
    reset();
    EXPECT_EQ(SaidTwice([] { EXPECT_EQ(fxInit(0, 3, 0), 1); }), "");  // success says nothing
    EXPECT_EQ(debugLookups, 0);
}

}  // namespace
