#include "runner.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdio>
#include <ostream>
#include <vector>

#include "exports/vrastex.h"
#include "loader.h"
#include "pictures.h"

namespace replay {

namespace {

// The name a Glide entry point has in the library: decorated on Windows as
// 3Dfx's DLL exports it ("_grLfbReadRegion@28"), plain elsewhere.
std::string GlideSymbol(const char* name, int argumentBytes) {
#if defined(_WIN32)
    return "_" + std::string(name) + "@" + std::to_string(argumentBytes);
#else
    (void)argumentBytes;
    return name;
#endif
}

}  // namespace

bool BindPlugin(const std::filesystem::path& pluginPath, const std::string& tracePath,
                const std::filesystem::path& tracerPath, PluginApi& plugin, GlideApi& glide, std::string& error) {
    std::string looked;
    const std::filesystem::path found = FindGlide(pluginPath.parent_path(), looked);
    if (found.empty()) {
        error = std::string("no Glide library ") + GlideFileName() + " found (looked in " + looked + ")";
        return false;
    }
    glide.library = std::filesystem::absolute(found);
    std::filesystem::path load = glide.library;
    // Tracing: the tracer is loaded first, so that the plug-in's load of the
    // Glide library by name gets it; it forwards to the library found above.
    if (!tracePath.empty()) {
        glide.tracer = tracerPath.empty() ? ExecutableDirectory() / "tracer" / GlideFileName() : tracerPath;
        glide.tracer = std::filesystem::absolute(glide.tracer);
        load = TracerTarget(glide.library, error);
        if (load.empty()) return false;
        SetEnvironment("VRASTEX_GLIDE_TARGET", load.string());
        SetEnvironment("VRASTEX_GLIDE_TRACE", std::filesystem::absolute(tracePath).string());
        if (OpenLibrary(glide.tracer, error) == nullptr) return false;
    }
    // Loaded before the plug-in binds Glide: its load of the same library gets
    // this instance.
    void* glideLibrary = OpenLibrary(load, error);
    if (glideLibrary == nullptr) return false;
    auto bind = [&](auto& slot, const std::string& name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(FindSymbol(glideLibrary, name.c_str()));
        return slot != nullptr;
    };
    StandinApi& standin = glide.standin;
    glide.standinFound = bind(standin.traceOpen, "standinTraceOpen") &&
                         bind(standin.screenWidth, "standinScreenWidth") &&
                         bind(standin.screenHeight, "standinScreenHeight") &&
                         bind(standin.readColorBuffer, "standinReadColorBuffer");
    if (glide.standinFound) {
        bind(standin.clearLog, "standinClearLog");
        bind(standin.errorCount, "standinErrorCount");
        bind(standin.errorText, "standinErrorText");
        bind(standin.findCall, "standinFindCall");
        if (bind(standin.setRecording, "standinSetRecording")) standin.setRecording(1);
        if (bind(standin.setValidation, "standinSetValidation")) standin.setValidation(1);
    } else {
        standin = StandinApi{};
        ReadBackApi& api = glide.readBack;
        if (!bind(api.lfbReadRegion, GlideSymbol("grLfbReadRegion", 28)) ||
            !bind(api.screenWidth, GlideSymbol("grSstScreenWidth", 0)) ||
            !bind(api.screenHeight, GlideSymbol("grSstScreenHeight", 0)) ||
            !bind(api.buffersPending, GlideSymbol("grBufferNumPending", 0))) {
            error = glide.library.string() + " is not a Glide 2.x library (it lacks grLfbReadRegion, "
                    "grSstScreenWidth, grSstScreenHeight or grBufferNumPending)";
            return false;
        }
    }

    void* library = OpenLibrary(pluginPath, error);
    if (library == nullptr) return false;
    std::string missing;
    for (int id = 0; id < kExportCount; ++id) {
        const ExportDef& def = Exports()[id];
        void* address = def.decoratedName.empty() ? nullptr : FindSymbol(library, def.decoratedName.c_str());
        if (address == nullptr) address = FindSymbol(library, def.name.c_str());
        if (address == nullptr) missing += (missing.empty() ? "" : ", ") + def.name;
        plugin.exports[id] = address;
    }
    if (!missing.empty()) {
        error = pluginPath.string() + " lacks the export(s) " + missing;
        return false;
    }
    return true;
}

std::string FrameFileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.png", number);
    return name;
}

void RemoveOldFrames(const std::filesystem::path& outDir) {
    auto isFrame = [](const std::string& name) {
        std::string_view rest = name;
        if (rest.size() > 5 && rest.substr(rest.size() - 5) == ".part") rest.remove_suffix(5);
        if (rest.rfind("frame-", 0) != 0 || rest.size() < 14 || rest.substr(rest.size() - 4) != ".png") return false;
        const std::string_view digits = rest.substr(6, rest.size() - 10);
        return digits.find_first_not_of("0123456789") == std::string_view::npos;
    };
    std::error_code code;
    for (const auto& entry : std::filesystem::directory_iterator(outDir, code))
        if (entry.is_regular_file(code) && isFrame(entry.path().filename().string()))
            std::filesystem::remove(entry.path(), code);
}

namespace {

// The export `id` at its exact type from vrastex.h (decltype only: the tool
// never links the plug-in).
#define EXPORT(name) (reinterpret_cast<decltype(&::name)>(plugin_.exports[id]))

class Runner {
public:
    Runner(Script& script, const PluginApi& plugin, const GlideApi& glide, const std::filesystem::path& outDir,
           RunTotals& totals, std::ostream& out, std::ostream& err, const RunOptions& options)
        : options_(options), script_(script), plugin_(plugin), glide_(glide), standin_(glide.standin), outDir_(outDir), totals_(totals), out_(out), err_(err),
          staging_(std::size_t(script.stagingStride) * kStagingHeight), pageBuffer_(kPageBufferTexels) {}

    bool Run(std::string& error) {
        for (const Command& command : script_.commands) {
            if (!Step(command, error)) return false;
        }
        return true;
    }

private:
    const RunOptions& options_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    int flips_ = 0;
    Script& script_;
    const PluginApi& plugin_;
    const GlideApi& glide_;
    const StandinApi& standin_;
    std::filesystem::path outDir_;
    RunTotals& totals_;
    std::ostream& out_;
    std::ostream& err_;
    std::vector<std::uint16_t> staging_;
    std::vector<std::uint16_t> pageBuffer_;
    std::int64_t lastResult_ = 0;
    // A real Glide cannot say whether a window is open, and reading without
    // one is not safe: the exports that open and close it tell.
    bool windowOpen_ = false;
    bool openBeforePause_ = false;

    void* Pointer(int block) {
        Block& b = script_.blocks[block];
        return b.bytes.data() + b.offset;
    }

    std::string Where(const Command& command) const {
        return script_.fileName + ":" + std::to_string(command.line) + ": ";
    }

    bool Step(const Command& command, std::string& error) {
        switch (command.op) {
        case Op::Call: return Call(command, error);
        case Op::Set:
            for (const FieldValue& value : command.writes)
                WriteField(script_.blocks[command.block].bytes.data(), *value.field, value.value);
            return true;
        case Op::Show: {
            const Block& block = script_.blocks[command.block];
            out_ << Where(command) << block.name << " " << block.layout->name << ":";
            for (const Field& field : block.layout->fields)
                out_ << " " << field.name << "=" << ReadField(block.bytes.data(), field);
            out_ << "\n";
            return true;
        }
        case Op::ExpectFields: {
            const Block& block = script_.blocks[command.block];
            for (const FieldValue& value : command.writes) {
                const std::int64_t actual = ReadField(block.bytes.data(), *value.field);
                if (actual != value.value) {
                    err_ << Where(command) << "expected " << block.name << "." << value.field->name << " = "
                         << value.value << ", it is " << actual << "\n";
                    ++totals_.failedExpectations;
                }
            }
            return true;
        }
        case Op::Write:
        case Op::Stage: WriteHostMemory(command); return true;
        case Op::ExpectResult:
            if (lastResult_ != command.expected) {
                err_ << Where(command) << "expected result " << command.expected << ", got " << lastResult_ << "\n";
                ++totals_.failedExpectations;
            }
            return true;
        }
        return true;
    }

    bool Call(const Command& command, std::string& error) {
        const std::vector<std::int32_t>& w = command.words;
        const int id = command.exportId;
        if (command.block >= 0)
            for (const FieldValue& value : command.writes)
                WriteField(script_.blocks[command.block].bytes.data(), *value.field, value.value);
        void* packet = command.block >= 0 ? Pointer(command.block) : nullptr;
        switch (id) {
        case kFxDetect: lastResult_ = EXPORT(fxDetect)(); break;
        case kFxInit:
            lastResult_ = EXPORT(fxInit)(w[0], w[1], w[2]);
            windowOpen_ = windowOpen_ || lastResult_ != 0;
            break;
        case kFxShutdown:
            lastResult_ = EXPORT(fxShutdown)();
            windowOpen_ = false;
            break;
        case kFxGlideShutdown: EXPORT(fxGlideShutdown)(); break;
        case kInitVariables:
            // w: res, then the unused words 2, 4 .. 33.
            EXPORT(InitVariables)(staging_.data(), w[1], pageBuffer_.data(), w[2], w[3], w[4], w[5], w[6], w[7],
                                  w[8], w[9], w[10], w[11], w[12], w[13], w[14], w[15], w[16], w[17], w[18], w[19],
                                  w[20], w[21], w[22], w[23], w[24], w[25], w[26], w[27], w[28], w[29], w[30], w[31],
                                  w[0]);
            break;
        case kInitSurfaces:  // w: stride, then the unused words 1 .. 3, 5 .. 10
            EXPORT(InitSurfaces)(w[1], w[2], w[3], w[0], w[4], w[5], w[6], w[7], w[8], w[9]);
            break;
        case kCalcShifts: EXPORT(CalcShifts)(DDSURFACEDESC{}); break;
        case kInitGouraud: EXPORT(InitGouraud)(w[0], w[1]); break;
        case kFxStartFrame: EXPORT(fxStartFrame)(); break;
        case kFxEndFrame: EXPORT(fxEndFrame)(); break;
        case kFlip:
            EXPORT(Flip)();
            if (!WriteFrame(error)) return false;
            ++flips_;
            if (options_.afterFlip && !options_.afterFlip(flips_, error)) return false;
            if (options_.fps > 0)
                std::this_thread::sleep_until(started_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                             std::chrono::duration<double>(flips_ / options_.fps)));
            break;
        case kClearScreen: EXPORT(ClearScreen)(); break;
        case kShowPage:
            EXPORT(ShowPage)(w[0], w[1], w[2], w[3], static_cast<unsigned>(w[4]));
            break;
        case kBlitScreen: EXPORT(BlitScreen)(Pointer(command.data), w[0], w[1]); break;
        case kPauseRender:
            lastResult_ = EXPORT(pause_render)();
            openBeforePause_ = windowOpen_;
            windowOpen_ = false;
            break;
        case kUnpauseRender:
            EXPORT(unpause_render)();
            windowOpen_ = openBeforePause_;
            break;
        case kRenderScene: {
            const unsigned sent = EXPORT(RenderScene)();
            lastResult_ = sent;
            totals_.vertices += sent;
            break;
        }
        case kPutDrawEnv: EXPORT(PutDrawEnv)(packet); break;
        case kDoDrMode: EXPORT(DoDrMode)(packet); break;
        case kDrawFlat: EXPORT(DrawFlat)(packet); break;
        case kDrawFlat4: EXPORT(DrawFlat4)(packet); break;
        case kDrawGouraud: EXPORT(DrawGouraud)(packet); break;
        case kDrawGouraud4: EXPORT(DrawGouraud4)(packet); break;
        case kDrawTile: EXPORT(DrawTile)(packet); break;
        case kDrawFlatTexture: EXPORT(DrawFlatTexture)(packet); break;
        case kDrawFlatTexture4: EXPORT(DrawFlatTexture4)(packet); break;
        case kDrawGouraudTexture: EXPORT(DrawGouraudTexture)(packet); break;
        case kDrawGouraudTexture4: EXPORT(DrawGouraudTexture4)(packet); break;
        case kDrawLineFlat2: EXPORT(DrawLineFlat2)(packet, w[0]); break;
        case kDrawLineFlat4: EXPORT(DrawLineFlat4)(packet, w[0]); break;
        case kDrawLineGouraud: EXPORT(DrawLineGouraud)(packet); break;
        case kLoadImagePC: lastResult_ = EXPORT(LoadImagePC)(packet, Pointer(command.data)); break;
        case kDoDrMove: EXPORT(DoDrMove)(packet); break;
        case kLoadTextures: EXPORT(LoadTextures)(); break;
        default: break;
        }
        if (Exports()[id].draws) ++totals_.drawCalls;
        totals_.records += SceneRecordsDrawn();
        // The tool reads nothing from the call log; emptying it keeps the
        // stand-in's copies of downloads and pictures from piling up.
        if (standin_.clearLog) standin_.clearLog();
        return true;
    }

    // Host memory written between calls: a kept colour table's data, or
    // pixels the host put into its staging surface itself.
    void WriteHostMemory(const Command& command) {
        std::uint8_t* target = command.op == Op::Stage ? reinterpret_cast<std::uint8_t*>(staging_.data())
                                                       : script_.blocks[command.block].bytes.data();
        const std::size_t at = static_cast<std::size_t>(command.at) * (command.op == Op::Stage ? 2 : 1);
        std::copy(command.payload.begin(), command.payload.end(), target + at);
    }

    // Scene records reach Glide as one grDrawLine or grDrawPolygonVertexList
    // each (full-screen pictures use other calls), so the log since the last
    // export call tells how many were drawn.
    int SceneRecordsDrawn() const {
        if (!standin_.findCall) return 0;
        int count = 0;
        for (const char* name : {"grDrawLine", "grDrawPolygonVertexList"})
            for (int i = standin_.findCall(name, 0); i >= 0; i = standin_.findCall(name, i + 1)) ++count;
        return count;
    }

    // The visible buffer after a swap, as an 8-bit RGB PNG: the front
    // buffer, where Flip's swap put the frame just drawn (the back buffer is
    // cleared for the next one).
    bool WriteFrame(std::string& error) {
        std::vector<std::uint16_t> pixels;
        int width = 0, height = 0;
        if (glide_.standinFound) {
            width = standin_.screenWidth();
            height = standin_.screenHeight();
            if (width <= 0 || height <= 0) return true;  // no window open: nothing to show
            pixels.resize(std::size_t(width) * std::size_t(height));
            if (standin_.readColorBuffer(0, pixels.data(), static_cast<int>(pixels.size())) <= 0) return true;
        } else {
            if (!windowOpen_) return true;
            const ReadBackApi& api = glide_.readBack;
            width = static_cast<int>(api.screenWidth());
            height = static_cast<int>(api.screenHeight());
            if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return true;
            // The swap may still be queued on a card.
            for (int spins = 0; spins < 10000000 && api.buffersPending() > 0; ++spins) {
            }
            pixels.resize(std::size_t(width) * std::size_t(height));
            if (!api.lfbReadRegion(0 /* GR_BUFFER_FRONTBUFFER */, 0, 0, std::uint32_t(width), std::uint32_t(height),
                                   std::uint32_t(width) * 2, pixels.data()))
                return true;
        }
        const std::vector<std::uint8_t> rgb = Rgb565ToRgb8(pixels.data(), pixels.size());
        const std::filesystem::path path = outDir_ / FrameFileName(totals_.frames + 1);
        if (!WritePngRgb(path.string(), width, height, rgb, error)) return false;
        ++totals_.frames;
        return true;
    }
};

}  // namespace

bool RunScript(Script& script, const PluginApi& plugin, const GlideApi& glide,
               const std::filesystem::path& outDir, RunTotals& totals, std::ostream& out, std::ostream& err,
               std::string& error, const RunOptions& options) {
    return Runner(script, plugin, glide, outDir, totals, out, err, options).Run(error);
}

}  // namespace replay
