// Shared ground for the plug-in's tests: the plug-in's state back at its
// load-time values, the stand-in's script and log reset, packet building and
// log queries.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "exports/vrastex.h"
#include "standin.h"
#include "support/plugin_state.h"

// A host packet, little-endian fields written by offset.
struct Packet {
    std::array<std::uint8_t, 64> bytes{};

    Packet& U8(int offset, int value) {
        bytes[offset] = static_cast<std::uint8_t>(value);
        return *this;
    }
    Packet& U16(int offset, int value) {
        bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
        bytes[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
        return *this;
    }
    Packet& S16(int offset, int value) { return U16(offset, value & 0xFFFF); }
    Packet& Rgb(int offset, int r, int g, int b) { return U8(offset, r).U8(offset + 1, g).U8(offset + 2, b); }
    Packet& Xy(int offset, int x, int y) { return S16(offset, x).S16(offset + 2, y); }
    void* data() { return bytes.data(); }
};

// The host's side of shared memory: staging surface and page buffer.
struct HostMemory {
    std::vector<std::uint16_t> staging = std::vector<std::uint16_t>(4096 * 512);
    std::vector<std::uint16_t> page = std::vector<std::uint16_t>(256 * 256);
};

// InitVariables with the given surfaces and resolution index.
void InitHost(HostMemory& memory, int resolutionIndex);

// Sets the drawing area through PutDrawEnv.
void SetDrawEnv(int x, int y, int w, int h);

// Plug-in opened at `resolutionIndex`, host memory handed over with stride
// 4096, drawing area the whole 320 x 256 space, log emptied.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Every test leaves the stand-in's validation layer without a complaint.
    void TearDown() override;
    void OpenAt(int resolutionIndex);

    HostMemory host;
};

// Log queries.
std::vector<std::string> CallNames(int from = 0);
std::vector<const StandinCall*> CallsNamed(const char* name);
const StandinCall& OnlyCall(const char* name);  // fails the test unless exactly one
int CountCalls(const char* name);

// The integer arguments of a call, as ints.
std::vector<std::int64_t> Args(const StandinCall& call);

// An address as the log records pointer arguments.
std::int64_t Address(const void* pointer);

// The stand-in's whole rendering state, as grGlideGetState gives it.
GrState GlideStateSnapshot();
bool SameGlideState(const GrState& a, const GrState& b);

// The scene list seen through the exports alone, as the same test body runs
// against the linked plug-in and against vrastex.dll: Sent() calls
// RenderScene and keeps what it drew after what earlier looks drew, so
// record i is the i-th primitive drawn since the test began or ForgetSent().
struct SentRecord {
    int vertexCount;
    GrVertex vertices[STANDIN_MAX_VERTICES];
    std::vector<std::int64_t> color, blend;  // grColorCombine's and grAlphaBlendFunction's arguments
    std::int64_t texAddress;                 // grTexSource's start address; -1 untextured
    GrTexInfo texInfo;
};
const std::vector<SentRecord>& Sent();
void ForgetSent();  // sends what is drawn and starts again from record 0

// grAlphaBlendFunction for the modes that mix with the frame (0, 2, textured 3).
inline const std::vector<std::int64_t> kMixBlend = {1, 5, 4, 0};

// The vertices of a record back in host units (snap offset removed, divided
// by the screen scale).
std::vector<std::pair<float, float>> HostPoints(const SentRecord& record, double scaleX, double scaleY);

