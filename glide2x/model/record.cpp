#include "model/record.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>

#include "glide/glide_binding.h"
#include "model/trace_format.h"

namespace {

// The recorded calls, in chunks that stay in place as the log grows (callers
// hold pointers to records) and stay allocated when it is cleared: a long
// test or a fuzz run logs millions of calls without an allocation each.
struct CallStore {
    static constexpr std::size_t kChunk = 256;
    std::vector<std::unique_ptr<StandinCall[]>> chunks;
    std::size_t count = 0;

    // The slot the next record goes to.
    StandinCall& next() {
        if (count == chunks.size() * kChunk) chunks.push_back(std::make_unique<StandinCall[]>(kChunk));
        return chunks[count / kChunk][count % kChunk];
    }
    void push_back(const StandinCall& call) {
        StandinCall& slot = next();
        if (&slot != &call) slot = call;
        ++count;
    }
    StandinCall& back() { return (*this)[count - 1]; }
    StandinCall& operator[](std::size_t i) { return chunks[i / kChunk][i % kChunk]; }
    std::size_t size() const { return count; }
    void clear() { count = 0; }
};

struct CallLog {
    // Off while the library is only loaded: a player pays nothing for a log
    // nobody reads (and it would grow with every frame). standinReset, which
    // every test calls, and the replay host turn it on; a library without
    // the control functions never keeps one.
    bool recording = false;
    CallStore calls;
    std::deque<std::vector<std::uint16_t>> pixelStores;
};

CallLog& Log() {
    static CallLog log;
    return log;
}

// The trace file, closed (and so flushed) when the library is unloaded or the
// program ends.
struct TraceFile {
    std::FILE* file = nullptr;
    void Close() {
        if (file) std::fclose(file);
        file = nullptr;
    }
    ~TraceFile() { Close(); }
};

TraceFile& Trace() {
    static TraceFile trace;
    return trace;
}

}  // namespace

bool CallsObserved() { return Log().recording || Trace().file != nullptr; }

StandinCall& StartCall(GlideEntry entry) {
    static StandinCall scratch;
    CallLog& log = Log();
    StandinCall& call = log.recording ? log.calls.next() : scratch;
    std::memset(&call, 0, sizeof call);
    std::strncpy(call.name, glidePlainNames[entry], STANDIN_NAME_SIZE - 1);
    return call;
}

void CommitCall(StandinCall& call, std::vector<std::uint16_t> pixels) {
    CallLog& log = Log();
    if (log.recording) {
        if (!pixels.empty()) {
            log.pixelStores.push_back(std::move(pixels));
            call.pixels = log.pixelStores.back().data();
            call.pixelCount = static_cast<int>(log.pixelStores.back().size());
        }
        log.calls.push_back(call);
        if (Trace().file) {
            const std::string line = FormatCall(log.calls.back()) + '\n';
            std::fwrite(line.data(), 1, line.size(), Trace().file);
        }
        return;
    }
    if (Trace().file) {
        if (!pixels.empty()) {
            call.pixels = pixels.data();
            call.pixelCount = static_cast<int>(pixels.size());
        }
        const std::string line = FormatCall(call) + '\n';
        std::fwrite(line.data(), 1, line.size(), Trace().file);
        call.pixels = nullptr;
    }
}

void SetRecording(bool on) { Log().recording = on; }

void ClearCallLog() {
    Log().calls.clear();
    Log().pixelStores.clear();
}

int CallLogSize() { return static_cast<int>(Log().calls.size()); }

const StandinCall* CallLogEntry(int index) {
    if (index < 0 || index >= CallLogSize()) return nullptr;
    return &Log().calls[static_cast<std::size_t>(index)];
}

std::string FormatCall(const StandinCall& call) {
    char line[kTraceLineSize];
    std::uint32_t hash = 0;
    if (call.pixels) hash = PixelChecksum(call.pixels, call.pixelCount);
    const int length = FormatTraceLine(TraceEntryOf(call.name), call, call.pixels ? &hash : nullptr, line, sizeof line);
    return std::string(line, static_cast<std::size_t>(length));
}

bool OpenTrace(const char* path) {
    Trace().Close();
    if (path == nullptr) return true;
    Trace().file = std::fopen(path, "wb");  // binary: '\n' line ends on every system
    return Trace().file != nullptr;
}

std::uint32_t PixelChecksum(const std::uint16_t* pixels, int count) {
    // The words' little-endian bytes, which is their order in memory here.
    return PixelHashBytes(kPixelHashStart, pixels, static_cast<std::uint32_t>(count) * 2);
}
