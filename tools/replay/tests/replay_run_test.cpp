// vrastex-replay as a program: scripts played through the real plug-in and
// Glide stand-in, with the frames, trace, summary and exit codes they give.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include "support.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode;
    std::string out;
    std::string err;
};

using test_files::ReadFile;

// Runs the tool with `args` in `dir`, capturing what it prints; `environment`
// ("NAME=value ") goes before the command.
Outcome RunReplay(const fs::path& dir, const std::string& args, const std::string& environment = "") {
    const std::string command =
        "cd \"" + dir.string() + "\" && " + environment + "\"" REPLAY_EXE "\" " + args + " > stdout.txt 2> stderr.txt";
    const int status = std::system(command.c_str());
#if defined(_WIN32)
    const int code = status;
#else
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return {code, ReadFile(dir / "stdout.txt"), ReadFile(dir / "stderr.txt")};
}

bool HasLineStarting(const std::string& text, const std::string& start) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(start, 0) == 0) return true;
    return false;
}

#define NEED_STANDIN()                                                            \
    if (!REPLAY_HAVE_STANDIN) GTEST_SKIP() << "the Glide stand-in is not part of this build"

TEST(ReplayRun, FailedExpectationsExitWithOne) {
    NEED_STANDIN();
    const fs::path dir = replay_test::WorkDir();
    replay_test::WriteText(dir / "x.replay",
                           "fxInit 0 3 0\n"
                           "InitVariables 3\n"
                           "PutDrawEnv w=320 h=256\n"
                           "packet t DrawFlat xy0=1,1 xy1=1,50 xy2=50,1\n"
                           "show t\n"
                           "DrawFlat @t\n"
                           "DrawTile x=400 y=10 w=5 h=5\n"  // outside the clip rectangle: no record
                           "RenderScene\n"
                           "expect result=7\n"
                           "expect t x0=2 y1=50\n"
                           "fxShutdown\n");
    const Outcome run = RunReplay(dir, "x.replay");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("x.replay:9: expected result 7, got 3\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("x.replay:10: expected t.x0 = 2, it is 1\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("y1"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("x.replay:5: t DrawFlat: link=0 r=0 g=0 b=0 code=0 x0=1 y0=1 x1=1 y1=50 x2=50 y2=1\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(", 2 draw calls, 1 record, 3 vertices sent, "), std::string::npos) << run.out;
    EXPECT_TRUE(fs::is_directory(dir / "out"));  // the default output folder
}

// A bad line anywhere stops the run before anything is loaded or written.
TEST(ReplayRun, ScriptErrorsExitWithTwoBeforeRunning) {
    const fs::path dir = replay_test::WorkDir();
    replay_test::WriteText(dir / "bad.replay",
                           "fxInit 0 3 0\n"
                           "InitVariables 3\n"
                           "Flip\n"
                           "Flip\n"
                           "DrawTile rgb=1,2,300\n"
                           "DrawFlat xy9=1,1\n");
    const Outcome run = RunReplay(dir, "--out frames --trace trace.txt bad.replay");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err,
              "bad.replay:5: rgb(b)=300 is out of range for its field, unsigned 8-bit (0..255)\n"
              "bad.replay:6: unknown field 'xy9' for DrawFlat\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(dir / "frames"));
    EXPECT_FALSE(fs::exists(dir / "trace.txt"));

    const Outcome missing = RunReplay(dir, "nothing.replay");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("cannot read script nothing.replay"), std::string::npos) << missing.err;

    const Outcome option = RunReplay(dir, "--frames 3 bad.replay");
    EXPECT_EQ(option.exitCode, 2);
    EXPECT_NE(option.err.find("unknown option --frames"), std::string::npos) << option.err;
}

// Headless unless --window, whatever the environment says; with --window and
// no display the stand-in says why once and the frames are still written.
// --fps paces the flips (3 at 2 a second: at least 1.5 s).
TEST(ReplayRun, WindowOnlyWhenAskedAndFpsPaces) {
    NEED_STANDIN();
#if defined(_WIN32)
    GTEST_SKIP() << "the display is the X server's on Linux only";
#endif
    const fs::path dir = replay_test::WorkDir();
    replay_test::WriteText(dir / "w.replay", "fxInit 0 3 0\nInitVariables 3\nFlip\npause_render\nunpause_render\nFlip\nFlip\nfxShutdown\n");
    const std::string noDisplay = "VRASTEX_GLIDE_WINDOW=own DISPLAY=:4711 WAYLAND_DISPLAY= ";
    const Outcome headless = RunReplay(dir, "w.replay", noDisplay);
    EXPECT_EQ(headless.exitCode, 0) << headless.err;
    EXPECT_EQ(headless.err.find("glide2x: no window"), std::string::npos) << headless.err;

    const auto started = std::chrono::steady_clock::now();
    const Outcome window = RunReplay(dir, "--window --fps 2 w.replay", noDisplay);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(window.exitCode, 0) << window.err;
    const std::size_t said = window.err.find("glide2x: no window (");
    EXPECT_NE(said, std::string::npos) << window.err;
    EXPECT_EQ(window.err.find("glide2x: no window", said + 1), std::string::npos) << window.err;
    EXPECT_TRUE(fs::exists(dir / "out" / "frame-0003.png"));
    EXPECT_GE(seconds, 1.5);

    for (const char* fps : {"0", "-3", "x"}) {
        const Outcome bad = RunReplay(dir, std::string("--fps ") + fps + " w.replay");
        EXPECT_EQ(bad.exitCode, 2) << fps;
        EXPECT_NE(bad.err.find("--fps needs"), std::string::npos) << bad.err;
    }
}

TEST(ReplayRun, MissingPluginExitsWithThree) {
    const fs::path dir = replay_test::WorkDir();
    replay_test::WriteText(dir / "ok.replay", "fxInit 0 3 0\nFlip\n");
    const Outcome run = RunReplay(dir, "--plugin nowhere/libvrastex.so ok.replay");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("nowhere"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out"));

    // A library that is not the plug-in: the stand-in loads, the exports are missing.
    NEED_STANDIN();
#if defined(_WIN32)
    const char* glideName = "glide2x.dll";
    const char* pluginName = "vrastex.dll";
#else
    const char* glideName = "libglide2x.so";
    const char* pluginName = "libvrastex.so";
#endif
    const fs::path glide = fs::path(REPLAY_EXE).parent_path() / glideName;
    fs::create_directories(dir / "fake");
    fs::copy_file(glide, dir / "fake" / glideName);
    fs::copy_file(glide, dir / "fake" / pluginName);
    const Outcome fake = RunReplay(dir, std::string("--plugin fake/") + pluginName + " ok.replay");
    EXPECT_EQ(fake.exitCode, 3);
    EXPECT_NE(fake.err.find("lacks the export(s) fxDetect, fxInit,"), std::string::npos) << fake.err;
}

// The same frames and the same trace whichever way they are taken: the
// stand-in's own trace or the Glide tracer in front of it; the stand-in's
// frames or a Glide without its control functions, found through
// LD_LIBRARY_PATH ahead of the stand-in beside the plug-in, read back with
// grLfbReadRegion.
TEST(ReplayRun, TracerAndReadBackGiveTheStandinsTraceAndFrames) {
    NEED_STANDIN();
    const fs::path dir = replay_test::WorkDir();
    const std::string script = "\"" REPLAY_TESTS_DIR "/scripts/smoke.replay\"";
    const Outcome own = RunReplay(dir, "--out own --standin-trace own.txt " + script);
    ASSERT_EQ(own.exitCode, 0) << own.err;
    EXPECT_NE(own.out.find("(the stand-in)\n"), std::string::npos) << own.out;
    const std::string ownTrace = ReadFile(dir / "own.txt");
    ASSERT_GT(ownTrace.size(), 1000u);

    auto expectSame = [&](const std::string& name) {
        EXPECT_EQ(ReadFile(dir / (name + ".txt")), ownTrace) << name;
        for (const char* frame : {"frame-0001.png", "frame-0002.png", "frame-0003.png"})
            EXPECT_EQ(ReadFile(dir / name / frame), ReadFile(dir / "own" / frame)) << name << " " << frame;
    };
    const Outcome traced = RunReplay(dir, "--out traced --trace traced.txt " + script);
    ASSERT_EQ(traced.exitCode, 0) << traced.err;
    EXPECT_NE(traced.out.find("(the stand-in), traced by "), std::string::npos) << traced.out;
    expectSame("traced");

#if !defined(_WIN32)
    const fs::path variant = fs::path(REPLAY_EXE).parent_path() / "variants" / "no-control";
    const std::string path = "LD_LIBRARY_PATH=\"" + (dir / "nothing-here").string() + ":" + variant.string() + "\" ";
    const Outcome readBack = RunReplay(dir, "--out readback --trace readback.txt " + script, path);
    ASSERT_EQ(readBack.exitCode, 0) << readBack.err;
    EXPECT_TRUE(HasLineStarting(readBack.out, "vrastex-replay: Glide " + (variant / "libglide2x.so").string() +
                                                  " (frames read back through grLfbReadRegion), traced by "))
        << readBack.out;
    expectSame("readback");

    const Outcome refused = RunReplay(dir, "--standin-trace x.txt " + script, path);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--standin-trace needs the Glide stand-in"), std::string::npos) << refused.err;
#endif
}

#if !defined(_WIN32)
// The tracer as a user sets it up (found as the Glide library, the real one
// named by VRASTEX_GLIDE_TARGET): a trace file it cannot write, or a real
// library it cannot load, is said once on stderr; the first leaves every
// frame as it was, the second makes every call answer 0.
TEST(ReplayRun, TracerThatCannotWriteOrForwardSaysSoOnce) {
    NEED_STANDIN();
    const fs::path dir = replay_test::WorkDir();
    const fs::path build = fs::path(REPLAY_EXE).parent_path();
    const std::string script = "\"" REPLAY_TESTS_DIR "/scripts/smoke.replay\"";
    const std::string tracer = "LD_LIBRARY_PATH=\"" + (build / "tracer").string() + "\" ";
    auto count = [](const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    ASSERT_EQ(RunReplay(dir, "--out own " + script).exitCode, 0);
    const Outcome unwritable = RunReplay(
        dir, "--out unwritable " + script,
        tracer + "VRASTEX_GLIDE_TRACE=\"" + (dir / "no-such-folder" / "t.txt").string() + "\" VRASTEX_GLIDE_TARGET=\"" +
            (build / "libglide2x.so").string() + "\" ");
    EXPECT_EQ(unwritable.exitCode, 0) << unwritable.err;
    EXPECT_EQ(count(unwritable.err, "vrastex glide tracer: cannot write the trace file "), 1u) << unwritable.err;
    for (const char* frame : {"frame-0001.png", "frame-0002.png", "frame-0003.png"})
        EXPECT_EQ(ReadFile(dir / "unwritable" / frame), ReadFile(dir / "own" / frame)) << frame;

    const Outcome unloadable = RunReplay(
        dir, "--out unloadable " + script,
        tracer + "VRASTEX_GLIDE_TRACE=t.txt VRASTEX_GLIDE_TARGET=\"" + (dir / "nothing.so").string() + "\" ");
    EXPECT_EQ(unloadable.exitCode, 1) << unloadable.err;  // fxInit answers 0
    EXPECT_EQ(count(unloadable.err, "vrastex glide tracer: cannot load the real Glide library "), 1u)
        << unloadable.err;
    EXPECT_FALSE(fs::exists(dir / "unloadable" / "frame-0001.png"));
    EXPECT_TRUE(HasLineStarting(ReadFile(dir / "t.txt"), "grSstQueryHardware"));  // still traced
}
#endif

}  // namespace
