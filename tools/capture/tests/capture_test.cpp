// The capture plug-in against the replay: what it records must play back into
// the same Glide stream and frames, and capturing must change nothing the host
// sees, whether or not the capture can be written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "capture_file.h"
#include "packet_line.h"
#include "script.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuild = CAPTURE_BUILD_DIR;

fs::path WorkDir() { return test_files::FreshDir(CAPTURE_WORK_DIR); }
using test_files::ReadFile;

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A folder as a user sets it up: the capture as libvrastex.so, the product
// beside it as libvrastex-real.so, and the Glide library.
fs::path PluginFolder(const fs::path& dir, bool capture) {
    const fs::path bin = dir / (capture ? "capture-bin" : "plain-bin");
    fs::create_directories(bin);
    const auto copy = [&](const fs::path& from, const char* to) {
        fs::copy_file(from, bin / to, fs::copy_options::overwrite_existing);
    };
    copy(kBuild / "libglide2x.so", "libglide2x.so");
    copy(kBuild / "libvrastex.so", capture ? "libvrastex-real.so" : "libvrastex.so");
    if (capture) copy(kBuild / "capture/libvrastex.so", "libvrastex.so");
    return bin;
}

std::string Replay(const fs::path& plugin, const fs::path& script, const fs::path& out, const std::string& env = "") {
    return env + " \"" CAPTURE_REPLAY "\" --plugin \"" + plugin.string() + "\" --out \"" + out.string() +
           "\" --trace \"" + (out / "trace.txt").string() + "\" \"" + script.string() + "\" > \"" +
           (out.string() + ".log") + "\" 2>&1";
}

// Every byte of every packet comes back from its script line: the capture's
// field names and offsets agree with the replay's, the unread bytes included.
TEST(CapturePackets, EveryByteOfEveryPacketSurvivesItsScriptLine) {
    const fs::path dir = WorkDir();
    setenv("VRASTEX_CAPTURE_DIR", dir.c_str(), 1);
    ASSERT_TRUE(capture::CaptureOn());
    std::uint8_t packets[capture::kImageRectangle][64];
    for (int type = 0; type < capture::kImageRectangle; ++type) {
        for (int i = 0; i < 64; ++i) packets[type][i] = static_cast<std::uint8_t>(i * 29 + type * 7 + 1);
        capture::WritePacket(static_cast<capture::PacketType>(type), packets[type]);
        if (type == capture::kDrawLineFlat2Packet || type == capture::kDrawLineFlat4Packet) capture::Text(" divisor=1");
        capture::EndLine();
    }
    capture::CloseCapture();

    std::vector<replay::ScriptError> errors;
    const replay::Script script =
        replay::ParseScript(ReadFile(dir / "vrastex-capture.replay"), "capture", dir, errors);
    ASSERT_TRUE(errors.empty()) << errors[0].message;
    ASSERT_EQ(script.commands.size(), static_cast<std::size_t>(capture::kImageRectangle));
    for (int type = 0; type < capture::kImageRectangle; ++type) {
        const replay::Block& block = script.blocks.at(script.commands[type].block);
        const int size = capture::Packet(static_cast<capture::PacketType>(type)).size;
        for (int i = 0; i < size; ++i)
            EXPECT_EQ(block.bytes.at(i), packets[type][i]) << capture::Packet(static_cast<capture::PacketType>(type)).exportName << " byte " << i;
    }
}

// The demo played through the capture, and the capture replayed through the
// plain plug-in: exactly the golden trace and frames.
TEST(CaptureRoundTrip, TheDemoReplaysToTheGoldenTraceAndFrames) {
    const fs::path dir = WorkDir();
    const fs::path demo = fs::path(CAPTURE_SOURCE_DIR) / "examples/demo.replay";
    ASSERT_EQ(Shell(Replay(PluginFolder(dir, true) / "libvrastex.so", demo, dir / "live",
                         "VRASTEX_CAPTURE_DIR=\"" + dir.string() + "\"")),
              0)
        << ReadFile(dir / "live.log");
    // The demo's host never writes its staging surface itself: what the
    // plug-in wrote there is not recorded a second time.
    EXPECT_EQ(ReadFile(dir / "vrastex-capture.replay").find("staging row="), std::string::npos);
    ASSERT_EQ(Shell(Replay(kBuild / "libvrastex.so", dir / "vrastex-capture.replay", dir / "replayed")), 0)
        << ReadFile(dir / "replayed.log");

    const fs::path golden = fs::path(CAPTURE_SOURCE_DIR) / "tests/golden/demo";
    EXPECT_EQ(ReadFile(dir / "replayed/trace.txt"), ReadFile(golden / "trace.txt"));
    int frames = 0;
    for (const auto& entry : fs::directory_iterator(golden))
        if (entry.path().extension() == ".png") {
            ++frames;
            test_files::ExpectSamePicture(entry.path(), dir / "replayed" / entry.path().filename());
        }
    EXPECT_EQ(frames, 6);
}

// A host that paints its staging surface itself, changes its colour table in
// place and reuses one packet buffer: the capture replays into the Glide
// stream of the live session.
TEST(CaptureRoundTrip, HostWritesAndReusedPacketsReplayToTheLiveGlideStream) {
    const fs::path dir = WorkDir();
    const std::string host = "VRASTEX_CAPTURE_DIR=\"" + dir.string() + "\" \"" CAPTURE_HOST "\" \"" +
                             PluginFolder(dir, true).string() + "\" \"" + (dir / "live-trace.txt").string() +
                             "\" > \"" + (dir / "host.log").string() + "\" 2>&1";
    ASSERT_EQ(Shell(host), 0) << ReadFile(dir / "host.log");
    const std::string capture = ReadFile(dir / "vrastex-capture.replay");
    // The session needs each kind of host-memory record.
    for (const char* needed : {"\nstaging row=", "\nset t", "name=t", "DrawFlatTexture4 ", "BlitScreen width=320"})
        EXPECT_NE(capture.find(needed), std::string::npos) << needed;

    ASSERT_EQ(Shell(Replay(kBuild / "libvrastex.so", dir / "vrastex-capture.replay", dir / "replayed")), 0)
        << ReadFile(dir / "replayed.log");
    const std::string live = ReadFile(dir / "live-trace.txt");
    EXPECT_GT(live.size(), 1000u);
    EXPECT_TRUE(live == ReadFile(dir / "replayed/trace.txt")) << "diff " << dir / "live-trace.txt" << " "
                                                              << dir / "replayed/trace.txt";
}

// Every result and every write into host memory is the same with the plain
// plug-in, with a capture, and with a capture whose folder cannot be written,
// which is reported once.
TEST(Capture, AnUnwritableFolderChangesNothingTheHostSees) {
    const fs::path dir = WorkDir();
    auto run = [&](const fs::path& bin, const std::string& captureDir, const char* log) {
        const std::string command = "VRASTEX_CAPTURE_DIR=\"" + captureDir + "\" \"" CAPTURE_HOST "\" \"" +
                                    bin.string() + "\" > \"" + (dir / log).string() + "\" 2> \"" +
                                    (dir / log).string() + ".err\"";
        EXPECT_EQ(Shell(command), 0) << command;
        return ReadFile(dir / log);
    };
    std::ofstream(dir / "a-file") << "not a folder";
    const std::string plain = run(PluginFolder(dir, false), dir.string(), "plain.log");
    const std::string captured = run(PluginFolder(dir, true), dir.string(), "captured.log");
    const std::string unwritable = run(PluginFolder(dir, true), (dir / "a-file/capture").string(), "unwritable.log");
    EXPECT_GT(plain.size(), 1000u);
    EXPECT_EQ(captured, plain);
    EXPECT_EQ(unwritable, plain);

    const std::string errors = ReadFile(dir / "unwritable.log.err");
    const std::string reason = "vrastex-capture: cannot create " + (dir / "a-file/capture/vrastex-capture.replay").string();
    EXPECT_EQ(errors.find(reason), 0u) << errors;
    EXPECT_EQ(errors.find("vrastex-capture: ", 1), std::string::npos) << "reported more than once: " << errors;
}

// The capture named as its own real plug-in would call itself forever: it
// says so and answers as a plug-in without a card.
TEST(Capture, ItselfAsTheRealPluginIsRefused) {
    const fs::path dir = WorkDir();
    const fs::path bin = PluginFolder(dir, true);
    const std::string command = "VRASTEX_CAPTURE_DIR=\"" + dir.string() + "\" VRASTEX_CAPTURE_TARGET=\"" +
                                (bin / "libvrastex.so").string() + "\" \"" CAPTURE_HOST "\" \"" + bin.string() +
                                "\" > \"" + (dir / "host.log").string() + "\" 2>&1";
    ASSERT_EQ(Shell(command), 0) << ReadFile(dir / "host.log");
    const std::string log = ReadFile(dir / "host.log");
    EXPECT_NE(log.find("vrastex-capture: the real plug-in is this capture plug-in itself"), std::string::npos) << log;
    EXPECT_NE(log.find("fxInit result=0 "), std::string::npos) << log;
}

}  // namespace
