// Golden images: the demo script rendered through the plug-in and the
// software Glide must give exactly the committed frames and Glide trace.
// After an intended change, VRASTEX_UPDATE_GOLDENS=1 rewrites them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "support/files.h"

namespace fs = std::filesystem;

namespace {

// Line number (1-based) of the first difference, 0 when equal.
int FirstDifferentLine(const std::string& a, const std::string& b) {
    std::istringstream left(a), right(b);
    std::string l, r;
    for (int line = 1;; ++line) {
        const bool hasLeft = static_cast<bool>(std::getline(left, l));
        const bool hasRight = static_cast<bool>(std::getline(right, r));
        if (!hasLeft && !hasRight) return 0;
        if (hasLeft != hasRight || l != r) return line;
    }
}

void RenderDemo(const fs::path& out) {
    fs::remove_all(out);
    fs::create_directories(out);
    // VRASTEX_GOLDEN_PLUGIN: another build of the plug-in to play it through.
    const char* plugin = std::getenv("VRASTEX_GOLDEN_PLUGIN");
    const std::string command = std::string(VRASTEX_REPLAY_EMULATOR) + "\"" + VRASTEX_REPLAY_EXE + "\"" +
                                (plugin ? std::string(" --plugin \"") + plugin + "\"" : "") + " --out \"" + out.string() +
                                "\" --trace \"" + (out / "trace.txt").string() + "\" \"" +
                                VRASTEX_SOURCE_DIR + "/examples/demo.replay\" > \"" +
                                (out / "summary.txt").string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST(Golden, DemoFramesAndTraceMatchExactly) {
    const fs::path golden = fs::path(VRASTEX_SOURCE_DIR) / "tests/golden/demo";
    const char* run = std::getenv("VRASTEX_GOLDEN_OUT");
    const fs::path out = fs::path(VRASTEX_BINARY_DIR) / (run ? run : "golden-demo");
    RenderDemo(out);

    if (std::getenv("VRASTEX_UPDATE_GOLDENS")) {
        for (const auto& entry : fs::directory_iterator(golden)) fs::remove(entry.path());
        for (const auto& entry : fs::directory_iterator(out))
            if (entry.path().extension() == ".png" || entry.path().filename() == "trace.txt")
                fs::copy_file(entry.path(), golden / entry.path().filename());
        GTEST_SKIP() << "goldens rewritten in " << golden;
    }

    int frames = 0;
    for (int n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04d.png", n);
        const bool hasGolden = fs::exists(golden / name);
        const bool hasFrame = fs::exists(out / name);
        ASSERT_EQ(hasFrame, hasGolden) << name;
        if (!hasGolden) break;
        ++frames;
        test_files::ExpectSamePicture(golden / name, out / name);
    }
    EXPECT_EQ(frames, 6);

    const int line = FirstDifferentLine(test_files::ReadFile(golden / "trace.txt"), test_files::ReadFile(out / "trace.txt"));
    EXPECT_EQ(line, 0) << "the Glide trace first differs at line " << line;
}

}  // namespace
