// Plays a parsed script through the plug-in: owns the host memory, calls the
// exports in script order and writes a PNG of the visible buffer after Flip.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

#include "glide/glide_types.h"
#include "layouts.h"
#include "script.h"

namespace replay {

// The 34 exports, looked up by name as the host does.
struct PluginApi {
    void* exports[kExportCount] = {};
};

// The part of the Glide stand-in's control interface the tool uses.
struct StandinApi {
    int (*traceOpen)(const char* path) = nullptr;
    int (*screenWidth)() = nullptr;
    int (*screenHeight)() = nullptr;
    int (*readColorBuffer)(int buffer, std::uint16_t* out, int capacity) = nullptr;
    void (*clearLog)() = nullptr;  // optional: keeps the stand-in's call log short
    // Optional: Glide misuses the stand-in noticed (calls the real library would reject).
    int (*errorCount)() = nullptr;
    const char* (*errorText)(int index) = nullptr;
    // Optional: finds calls in the log; counts the scene records drawn.
    int (*findCall)(const char* name, int from) = nullptr;
    // Optional: the log and the checks, off while the library is only loaded
    // (a player pays for neither); the replay turns them on.
    void (*setRecording)(int on) = nullptr;
    void (*setValidation)(int on) = nullptr;
};

// What a Glide library without the stand-in's control functions offers for
// reading a finished frame, looked up in the real library itself (never
// through the tracer, so the trace holds the plug-in's calls alone).
struct ReadBackApi {
    int (GLIDECALL* lfbReadRegion)(std::int32_t buffer, std::uint32_t x, std::uint32_t y, std::uint32_t w,
                                   std::uint32_t h, std::uint32_t stride, void* dst) = nullptr;
    std::uint32_t (GLIDECALL* screenWidth)() = nullptr;
    std::uint32_t (GLIDECALL* screenHeight)() = nullptr;
    int (GLIDECALL* buffersPending)() = nullptr;
};

// The Glide side of a run.
struct GlideApi {
    std::filesystem::path library;  // the Glide library the plug-in gets (or the tracer forwards to)
    std::filesystem::path tracer;   // the Glide tracer in front of it, when tracing
    bool standinFound = false;      // control functions present: frames come from them
    StandinApi standin;
    ReadBackApi readBack;
};

// Finds Glide in the plug-in's order (FindGlide). With a `tracePath`, loads
// the Glide tracer (`tracerPath`, or tracer/ beside this program) first, so
// the plug-in gets the tracer, which forwards to that library and writes the
// trace. Then the library itself, then the plug-in; looks up everything.
// False with a message when anything is missing.
bool BindPlugin(const std::filesystem::path& pluginPath, const std::string& tracePath,
                const std::filesystem::path& tracerPath, PluginApi& plugin, GlideApi& glide, std::string& error);

struct RunTotals {
    int frames = 0;            // PNG files written
    int drawCalls = 0;         // Draw* calls made
    int records = 0;           // scene records the plug-in sent to Glide
    std::uint64_t vertices = 0;  // sum of RenderScene results
    int failedExpectations = 0;
};

struct RunOptions {
    double fps = 0;  // frames a second at most (0: as fast as it draws)
    // Called after each Flip's frame is written (frame counts from 1); false
    // with a message stops the run.
    std::function<bool(int frame, std::string& error)> afterFlip;
};

// Runs every command. `out` gets what show prints, `err` failed expectations.
// False with a message when a frame cannot be written.
bool RunScript(Script& script, const PluginApi& plugin, const GlideApi& glide,
               const std::filesystem::path& outDir, RunTotals& totals, std::ostream& out, std::ostream& err,
               std::string& error, const RunOptions& options = {});

// Removes frame-NNNN.png files (and leftover .part files) of an earlier run.
void RemoveOldFrames(const std::filesystem::path& outDir);

// "frame-0001.png"
std::string FrameFileName(int number);

}  // namespace replay
