// Plays a parsed script through the plug-in: owns the host memory, calls the
// exports in script order and writes a PNG of the visible buffer after Flip.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>

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
};

// Loads the Glide stand-in from the plug-in's directory, then the plug-in,
// and looks up everything. False with a message when anything is missing.
bool BindPlugin(const std::filesystem::path& pluginPath, PluginApi& plugin, StandinApi& standin, std::string& error);

struct RunTotals {
    int frames = 0;            // PNG files written
    int drawCalls = 0;         // Draw* calls made
    int records = 0;           // scene records the plug-in sent to Glide
    std::uint64_t vertices = 0;  // sum of RenderScene results
    int failedExpectations = 0;
};

// Runs every command. `out` gets what show prints, `err` failed expectations.
// False with a message when a frame cannot be written.
bool RunScript(Script& script, const PluginApi& plugin, const StandinApi& standin,
               const std::filesystem::path& outDir, RunTotals& totals, std::ostream& out, std::ostream& err,
               std::string& error);

// Removes frame-NNNN.png files (and leftover .part files) of an earlier run.
void RemoveOldFrames(const std::filesystem::path& outDir);

// "frame-0001.png"
std::string FrameFileName(int number);

}  // namespace replay
