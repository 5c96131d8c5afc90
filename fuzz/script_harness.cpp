// fuzz_script: the replay tool's script reader on any text. Every input
// either parses or is refused with "FILE:LINE: message" errors; a script that
// parses is played through the runner against the plug-in and the stand-in
// (linked in), into a fresh output folder, and nothing may appear outside it.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "exports/vrastex.h"
#include "harness.h"
#include "runner.h"
#include "scene/scene_list.h"
#include "script.h"
#include "standin.h"
#include "support/plugin_state.h"

namespace {

namespace fs = std::filesystem;

// The exports at the addresses the runner would have looked up.
replay::PluginApi LinkedPlugin() {
    replay::PluginApi api;
    struct Named {
        const char* name;
        void* address;
    };
#define EXPORT_ADDRESS(name) {#name, reinterpret_cast<void*>(&::name)}
    const Named linked[] = {
        EXPORT_ADDRESS(fxDetect), EXPORT_ADDRESS(fxInit), EXPORT_ADDRESS(fxShutdown),
        EXPORT_ADDRESS(fxGlideShutdown), EXPORT_ADDRESS(InitVariables), EXPORT_ADDRESS(InitSurfaces),
        EXPORT_ADDRESS(CalcShifts), EXPORT_ADDRESS(InitGouraud), EXPORT_ADDRESS(fxStartFrame),
        EXPORT_ADDRESS(fxEndFrame), EXPORT_ADDRESS(Flip), EXPORT_ADDRESS(ClearScreen), EXPORT_ADDRESS(ShowPage),
        EXPORT_ADDRESS(BlitScreen), EXPORT_ADDRESS(pause_render), EXPORT_ADDRESS(unpause_render),
        EXPORT_ADDRESS(RenderScene), EXPORT_ADDRESS(PutDrawEnv), EXPORT_ADDRESS(DoDrMode), EXPORT_ADDRESS(DrawFlat),
        EXPORT_ADDRESS(DrawFlat4), EXPORT_ADDRESS(DrawGouraud), EXPORT_ADDRESS(DrawGouraud4),
        EXPORT_ADDRESS(DrawTile), EXPORT_ADDRESS(DrawFlatTexture), EXPORT_ADDRESS(DrawFlatTexture4),
        EXPORT_ADDRESS(DrawGouraudTexture), EXPORT_ADDRESS(DrawGouraudTexture4), EXPORT_ADDRESS(DrawLineFlat2),
        EXPORT_ADDRESS(DrawLineFlat4), EXPORT_ADDRESS(DrawLineGouraud), EXPORT_ADDRESS(LoadImagePC),
        EXPORT_ADDRESS(DoDrMove), EXPORT_ADDRESS(LoadTextures),
    };
#undef EXPORT_ADDRESS
    for (int id = 0; id < replay::kExportCount; ++id) {
        for (const Named& n : linked)
            if (replay::Exports()[id].name == n.name) api.exports[id] = n.address;
        if (api.exports[id] == nullptr) HarnessFailure("no linked export for", replay::Exports()[id].name.c_str());
    }
    return api;
}

replay::GlideApi LinkedStandin() {
    replay::GlideApi glide;
    glide.standinFound = true;
    replay::StandinApi& api = glide.standin;
    api.traceOpen = standinTraceOpen;
    api.screenWidth = standinScreenWidth;
    api.screenHeight = standinScreenHeight;
    api.readColorBuffer = standinReadColorBuffer;
    api.clearLog = standinClearLog;
    api.errorCount = standinErrorCount;
    api.errorText = standinErrorText;
    api.findCall = standinFindCall;
    return glide;
}

// A private folder for the run: the output folder inside it, nothing else.
const fs::path& WorkDir() {
    static const fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "vrastex-fuzz-script-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) HarnessFailure("cannot make a work folder");
        return fs::path(pattern);
    }();
    return dir;
}

bool IsFrameName(const std::string& name) {
    return name.size() == 14 && name.rfind("frame-", 0) == 0 && name.substr(10) == ".png" &&
           name.find_first_not_of("0123456789", 6) == 10;
}

}  // namespace

void RunScriptInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const fs::path& work = WorkDir();
    const fs::path out = work / "out";
    std::vector<replay::ScriptError> errors;
    replay::Script script = replay::ParseScript(text, "fuzz.replay", work / "pictures", errors);
    if (!errors.empty()) {
        for (const replay::ScriptError& e : errors) {
            const std::string message = replay::FormatError("fuzz.replay", e);
            const std::string prefix = "fuzz.replay:" + std::to_string(e.line) + ": ";
            if (e.line < 1 || message.rfind(prefix, 0) != 0 || message.size() == prefix.size())
                HarnessFailure("an error without FILE:LINE: message", message.c_str());
        }
        return;
    }

    standinReset();
    // Pixels only now and then: frames are written then, and they are slow.
    standinSetDrawing(size % 16 == 0);
    // A fresh plug-in, clearing only the scene records the last run can have
    // written: each command adds at most four (the list is megabytes).
    ResetNotedPluginState();
    NoteSceneRecords(
        4 * static_cast<long>(std::min<std::size_t>(script.commands.size(), vrastex::kSceneCapacity)) + 4);
    std::error_code code;
    fs::create_directories(out, code);
    replay::RemoveOldFrames(out);
    static const replay::PluginApi plugin = LinkedPlugin();
    static const replay::GlideApi standin = LinkedStandin();
    replay::RunTotals totals;
    std::ostringstream shown, failed;
    std::string error;
    replay::RunScript(script, plugin, standin, out, totals, shown, failed, error);
    if (standinErrorCount() != 0) HarnessFailure("Glide misuse", standinErrorText(0));

    for (const auto& entry : fs::directory_iterator(work, code)) {
        if (entry.path().filename() != "out") HarnessFailure("written outside the output folder", entry.path().c_str());
    }
    for (const auto& entry : fs::directory_iterator(out, code)) {
        if (!IsFrameName(entry.path().filename().string()))
            HarnessFailure("an output that is not a frame", entry.path().c_str());
    }
    replay::RemoveOldFrames(out);
}
