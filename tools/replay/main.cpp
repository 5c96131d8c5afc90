// vrastex-replay: a host for the plug-in that plays a script of export calls
// and writes every shown frame as a PNG. Usage and format: docs/replay-format.md.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "loader.h"
#include "runner.h"
#include "script.h"

namespace {

// Exit codes.
constexpr int kOk = 0;
constexpr int kExpectFailed = 1;
constexpr int kBadInput = 2;
constexpr int kNoPlugin = 3;
constexpr int kOutputFailed = 4;
constexpr int kGlideMisuse = 5;

void Usage(std::ostream& out) {
    out << "usage: vrastex-replay [--plugin PATH] [--out DIR] [--trace FILE] [--tracer PATH]\n"
           "                      [--standin-trace FILE] [--window] [--fps N] [--check] SCRIPT\n"
           "  --plugin PATH         plug-in to load (default: the plug-in beside this program)\n"
           "  --out DIR             folder for frame-0001.png, ... (default: out)\n"
           "  --trace FILE          write the Glide call trace to FILE through the Glide tracer,\n"
           "                        in front of whichever Glide library the plug-in finds\n"
           "  --tracer PATH         the Glide tracer (default: tracer/ beside this program)\n"
           "  --standin-trace FILE  the Glide stand-in's own trace instead (the stand-in only)\n"
           "  --window              show the frames live in a window as they are drawn\n"
           "                        (without it the Glide stand-in stays headless)\n"
           "  --fps N               at most N frames a second (default: as fast as it draws)\n"
           "  --check               check the script only; load and run nothing\n";
}

std::string Count(std::uint64_t n, const char* one, const char* many = nullptr) {
    return std::to_string(n) + " " + (n == 1 ? one : many ? many : std::string(one) + "s");
}

int Main(int argc, char** argv) {
    std::filesystem::path pluginPath, outDir = "out", tracerPath;
    std::string tracePath, standinTracePath, scriptPath;
    bool checkOnly = false, window = false;
    replay::RunOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                std::cerr << "vrastex-replay: " << arg << " needs a value\n";
                return false;
            }
            into = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            Usage(std::cout);
            return kOk;
        } else if (arg == "--plugin") {
            if (!value(text)) return kBadInput;
            pluginPath = text;
        } else if (arg == "--out") {
            if (!value(text)) return kBadInput;
            outDir = text;
        } else if (arg == "--trace") {
            if (!value(tracePath)) return kBadInput;
        } else if (arg == "--tracer") {
            if (!value(text)) return kBadInput;
            tracerPath = text;
        } else if (arg == "--standin-trace") {
            if (!value(standinTracePath)) return kBadInput;
        } else if (arg == "--window") {
            window = true;
        } else if (arg == "--fps") {
            if (!value(text)) return kBadInput;
            char* end = nullptr;
            options.fps = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || !(options.fps > 0) || options.fps > 100000) {
                std::cerr << "vrastex-replay: --fps needs a number of frames a second above 0, not " << text << "\n";
                return kBadInput;
            }
        } else if (arg == "--check") {
            checkOnly = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::cerr << "vrastex-replay: unknown option " << arg << "\n";
            Usage(std::cerr);
            return kBadInput;
        } else if (scriptPath.empty()) {
            scriptPath = arg;
        } else {
            std::cerr << "vrastex-replay: one script only (" << scriptPath << ", " << arg << ")\n";
            return kBadInput;
        }
    }
    if (scriptPath.empty()) {
        Usage(std::cerr);
        return kBadInput;
    }
    const auto started = std::chrono::steady_clock::now();

    // Parse and check everything before anything is loaded or written.
    std::stringstream text;
    std::filesystem::path baseDir;
    if (scriptPath == "-") {
        text << std::cin.rdbuf();
        baseDir = std::filesystem::current_path();
    } else {
        std::ifstream file(scriptPath, std::ios::binary);
        if (!file) {
            std::cerr << "vrastex-replay: cannot read script " << scriptPath << "\n";
            return kBadInput;
        }
        text << file.rdbuf();
        baseDir = std::filesystem::path(scriptPath).parent_path();
    }
    const std::string name = scriptPath == "-" ? "<stdin>" : scriptPath;
    std::vector<replay::ScriptError> errors;
    replay::Script script = replay::ParseScript(text.str(), name, baseDir, errors);
    if (!errors.empty()) {
        for (const auto& error : errors) std::cerr << replay::FormatError(name, error) << "\n";
        if (static_cast<int>(errors.size()) >= replay::kMaxErrors) std::cerr << name << ": too many errors\n";
        return kBadInput;
    }
    if (checkOnly) {
        std::cout << name << ": " << script.commands.size() << " commands, no errors\n";
        return kOk;
    }

    if (pluginPath.empty()) {
        const std::filesystem::path dir = replay::ExecutableDirectory();
        if (dir.empty()) {
            std::cerr << "vrastex-replay: cannot find the directory of this program; give --plugin\n";
            return kNoPlugin;
        }
        pluginPath = dir / replay::PluginFileName();
    }
    if (!tracePath.empty() && !standinTracePath.empty()) {
        std::cerr << "vrastex-replay: --trace and --standin-trace exclude each other\n";
        return kBadInput;
    }
    // The Glide stand-in reads this at every grSstWinOpen: headless unless a
    // window is asked for (then its own window, or what the user chose).
    const char* chosen = std::getenv("VRASTEX_GLIDE_WINDOW");
    if (!window) {
        replay::SetEnvironment("VRASTEX_GLIDE_WINDOW", "none");
    } else if (chosen == nullptr || std::string(chosen) == "none") {
        replay::SetEnvironment("VRASTEX_GLIDE_WINDOW", "own");
    }
    replay::PluginApi plugin;
    replay::GlideApi glide;
    std::string error;
    if (!replay::BindPlugin(pluginPath, tracePath, tracerPath, plugin, glide, error)) {
        std::cerr << "vrastex-replay: " << error << "\n";
        return kNoPlugin;
    }
    const replay::StandinApi& standin = glide.standin;
    if (!standinTracePath.empty() && !glide.standinFound) {
        std::cerr << "vrastex-replay: --standin-trace needs the Glide stand-in; " << glide.library.string()
                  << " is another Glide library (use --trace)\n";
        return kBadInput;
    }
    std::cout << "vrastex-replay: Glide " << glide.library.string()
              << (glide.standinFound ? " (the stand-in)" : " (frames read back through grLfbReadRegion)");
    if (!glide.tracer.empty()) std::cout << ", traced by " << glide.tracer.string();
    std::cout << "\n";

    std::error_code code;
    std::filesystem::create_directories(outDir, code);
    if (code || !std::filesystem::is_directory(outDir)) {
        std::cerr << "vrastex-replay: cannot create " << outDir.string() << ": " << code.message() << "\n";
        return kOutputFailed;
    }
    replay::RemoveOldFrames(outDir);
    // The trace file exists from the start, empty until the first Glide call
    // (the tracer opens it then and reports on stderr if it cannot).
    if (!tracePath.empty() && !std::ofstream(tracePath, std::ios::binary)) {
        std::cerr << "vrastex-replay: cannot open trace file " << tracePath << "\n";
        return kOutputFailed;
    }
    if (!standinTracePath.empty() && !standin.traceOpen(standinTracePath.c_str())) {
        std::cerr << "vrastex-replay: cannot open trace file " << standinTracePath << "\n";
        return kOutputFailed;
    }

    replay::RunTotals totals;
    const bool ran = replay::RunScript(script, plugin, glide, outDir, totals, std::cout, std::cerr, error, options);
    if (!standinTracePath.empty()) standin.traceOpen(nullptr);
    if (!ran) {
        std::cerr << "vrastex-replay: " << error << "\n";
        return kOutputFailed;
    }
    // Glide calls the real library would have rejected: a fault of the
    // plug-in whatever the script does, so the run fails.
    const int misuses = standin.errorCount ? standin.errorCount() : 0;
    if (standin.errorText && misuses > 0) {
        const int count = standin.errorCount();
        std::cerr << "vrastex-replay: the Glide stand-in noticed " << count << " misuse(s) of Glide:\n";
        for (int i = 0; i < count && i < 10; ++i) {
            const char* line = standin.errorText(i);
            std::cerr << "  " << (line ? line : "?") << "\n";
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char time[32];
    std::snprintf(time, sizeof time, "%.3f s", seconds);
    std::cout << "vrastex-replay: " << Count(totals.frames, "frame") << " written to " << outDir.string() << ", "
              << Count(totals.drawCalls, "draw call") << ", " << Count(totals.records, "record") << ", "
              << Count(totals.vertices, "vertex", "vertices")
              << " sent, " << time << "\n";
    if (totals.failedExpectations > 0) {
        std::cerr << name << ": " << totals.failedExpectations << " expectation(s) failed\n";
        return kExpectFailed;
    }
    if (misuses > 0) return kGlideMisuse;
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "vrastex-replay: " << e.what() << "\n";
        return kOutputFailed;
    }
}
