#include "record.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <utility>

namespace {

struct CallLog {
    bool recording = true;
    std::deque<StandinCall> calls;  // a deque keeps the records in place as it grows
    std::deque<std::vector<std::uint16_t>> pixelStores;
    std::vector<std::string> errors;
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

const char* const kEntryNames[GLIDE_ENTRY_COUNT] = {
#define STANDIN_ENTRY_NAME(name, bytes, role) #name,
    GLIDE_ENTRY_POINTS(STANDIN_ENTRY_NAME)
#undef STANDIN_ENTRY_NAME
};

int EntryOf(const char* name) {
    for (int i = 0; i < GLIDE_ENTRY_COUNT; ++i) {
        if (std::strcmp(kEntryNames[i], name) == 0) return i;
    }
    return -1;
}

// How the text form prints each argument of the entry points with real
// behaviour: d signed decimal, u unsigned decimal, x hexadecimal, c a colour
// (8 hex digits), f a float, p a pointer (never printed: what it points to
// follows the arguments). Null for the entry points that only log their name.
const char* ArgKinds(int entry) {
    switch (entry) {
    case GLIDE_grGlideInit: return "";
    case GLIDE_grGlideShutdown: return "";
    case GLIDE_grSstQueryBoards: return "p";
    case GLIDE_grSstQueryHardware: return "p";
    case GLIDE_grSstSelect: return "d";
    case GLIDE_grSstWinOpen: return "udddddd";
    case GLIDE_grSstWinClose: return "";
    case GLIDE_grSstControl: return "u";
    case GLIDE_grGlideGetState: return "p";
    case GLIDE_grGlideSetState: return "p";
    case GLIDE_grRenderBuffer: return "d";
    case GLIDE_grCullMode: return "d";
    case GLIDE_grTexClampMode: return "ddd";
    case GLIDE_grTexFilterMode: return "ddd";
    case GLIDE_grTexCombine: return "ddddddd";
    case GLIDE_grBufferClear: return "cux";
    case GLIDE_grBufferSwap: return "d";
    case GLIDE_grBufferNumPending: return "";
    case GLIDE_grChromakeyMode: return "d";
    case GLIDE_grChromakeyValue: return "c";
    case GLIDE_grGammaCorrectionValue: return "f";
    case GLIDE_grTexSource: return "dxup";
    case GLIDE_grDrawPolygon: return "dpp";
    case GLIDE_grDrawTriangle: return "ppp";
    case GLIDE_grColorCombine: return "ddddd";
    case GLIDE_grAlphaCombine: return "ddddd";
    case GLIDE_grAlphaBlendFunction: return "dddd";
    case GLIDE_grConstantColorValue: return "c";
    case GLIDE_grDepthMask: return "d";
    case GLIDE_grLfbWriteRegion: return "duuuuudp";
    case GLIDE_grSstScreenWidth: return "";
    case GLIDE_grSstScreenHeight: return "";
    case GLIDE_grDrawLine: return "pp";
    case GLIDE_grDrawPolygonVertexList: return "dp";
    case GLIDE_grTexMinAddress: return "d";
    case GLIDE_grTexMaxAddress: return "d";
    case GLIDE_grTexTextureMemRequired: return "up";
    case GLIDE_grTexDownloadMipMapLevel: return "dxddddup";
    default: return nullptr;
    }
}

// Text building with std::to_chars only, so the output is the same with every
// C library (no locale, no printf differences).
void AppendSigned(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendUnsigned(std::string& out, std::uint32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendHex(std::string& out, std::uint32_t value, int minDigits) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    out += "0x";
    for (int pad = minDigits - static_cast<int>(result.ptr - buffer); pad > 0; --pad) out += '0';
    out.append(buffer, result.ptr);
}

// The shortest decimal that reads back as the same float ("1", "1.7",
// "786432", "1e-10"); fixed by the C++ standard, not by the C library.
void AppendFloat(std::string& out, float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendVertex(std::string& out, const GrVertex& v) {
    const float fields[] = {v.x, v.y, v.z, v.r, v.g, v.b, v.ooz, v.a, v.oow,
                            v.tmuvtx[0].sow, v.tmuvtx[0].tow, v.tmuvtx[0].oow};
    out += '(';
    for (std::size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        if (i) out += ',';
        AppendFloat(out, fields[i]);
    }
    // The second TMU's triple only when it holds anything, which keeps the
    // common single-TMU line short.
    const GrTmuVertex& t1 = v.tmuvtx[1];
    std::uint32_t bits[3];
    std::memcpy(bits, &t1, sizeof bits);
    if (bits[0] | bits[1] | bits[2]) {
        for (float f : {t1.sow, t1.tow, t1.oow}) {
            out += ',';
            AppendFloat(out, f);
        }
    }
    out += ')';
}

void AppendTexInfo(std::string& out, const StandinCall& call, int pointerArg) {
    out += " info=";
    if (call.args[pointerArg] == 0) {
        out += "null";
        return;
    }
    const GrTexInfo& info = call.texInfo;
    out += '(';
    AppendSigned(out, info.smallLod);
    out += ',';
    AppendSigned(out, info.largeLod);
    out += ',';
    AppendSigned(out, info.aspectRatio);
    out += ',';
    AppendSigned(out, info.format);
    out += ')';
}

void AppendPixels(std::string& out, const StandinCall& call, const char* label, int pointerArg) {
    out += ' ';
    out += label;
    out += '=';
    if (call.args[pointerArg] == 0 || call.pixels == nullptr) {
        out += "null";
        return;
    }
    AppendHex(out, PixelChecksum(call.pixels, call.pixelCount), 8);
}

void AppendVertices(std::string& out, const StandinCall& call, const int* labels) {
    int copies = call.vertexCount < STANDIN_MAX_VERTICES ? call.vertexCount : STANDIN_MAX_VERTICES;
    for (int i = 0; i < copies; ++i) {
        out += " v";
        AppendSigned(out, labels ? labels[i] : i);
        out += '=';
        AppendVertex(out, call.vertices[i]);
    }
}

}  // namespace

bool CallsObserved() { return Log().recording || Trace().file != nullptr; }

StandinCall NewCall(GlideEntry entry) {
    StandinCall call;
    std::memset(&call, 0, sizeof call);
    std::strncpy(call.name, kEntryNames[entry], STANDIN_NAME_SIZE - 1);
    return call;
}

void AddInt(StandinCall& call, std::int32_t value) {
    if (call.argCount < STANDIN_MAX_ARGS) call.args[call.argCount++] = value;
}

void AddUnsigned(StandinCall& call, std::uint32_t value) {
    AddInt(call, static_cast<std::int32_t>(value));
}

void AddPointer(StandinCall& call, const void* pointer) {
    if (call.argCount < STANDIN_MAX_ARGS) {
        call.args[call.argCount++] = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(pointer));
    }
}

void AddFloat(StandinCall& call, float value) {
    if (call.argCount < STANDIN_MAX_ARGS) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        call.floatArgs[call.argCount] = value;
        call.args[call.argCount++] = bits;
    }
}

void AddVertex(StandinCall& call, const GrVertex* vertex) {
    if (call.vertexCount < STANDIN_MAX_VERTICES) {
        if (vertex) {
            call.vertices[call.vertexCount] = *vertex;
        } else {
            std::memset(&call.vertices[call.vertexCount], 0, sizeof(GrVertex));
        }
    }
    ++call.vertexCount;
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
    std::string out(call.name, strnlen(call.name, STANDIN_NAME_SIZE));
    const int entry = EntryOf(out.c_str());
    const char* kinds = entry >= 0 ? ArgKinds(entry) : nullptr;
    if (kinds == nullptr) return out;  // logged by name only
    for (int i = 0; kinds[i] && i < call.argCount; ++i) {
        const std::uint32_t low = static_cast<std::uint32_t>(call.args[i]);
        switch (kinds[i]) {
        case 'd': out += ' '; AppendSigned(out, static_cast<std::int32_t>(low)); break;
        case 'u': out += ' '; AppendUnsigned(out, low); break;
        case 'x': out += ' '; AppendHex(out, low, 0); break;
        case 'c': out += ' '; AppendHex(out, low, 8); break;
        case 'f': out += ' '; AppendFloat(out, call.floatArgs[i]); break;
        default: break;  // pointers
        }
    }
    switch (entry) {
    case GLIDE_grTexSource: AppendTexInfo(out, call, 3); break;
    case GLIDE_grTexTextureMemRequired: AppendTexInfo(out, call, 1); break;
    case GLIDE_grLfbWriteRegion: AppendPixels(out, call, "pixels", 7); break;
    case GLIDE_grTexDownloadMipMapLevel: AppendPixels(out, call, "texels", 7); break;
    case GLIDE_grDrawLine:
    case GLIDE_grDrawTriangle:
    case GLIDE_grDrawPolygonVertexList: AppendVertices(out, call, nullptr); break;
    case GLIDE_grDrawPolygon: {
        const int copies = call.vertexCount < STANDIN_MAX_VERTICES ? call.vertexCount : STANDIN_MAX_VERTICES;
        out += " ilist=(";
        for (int i = 0; i < copies; ++i) {
            if (i) out += ',';
            AppendSigned(out, call.indices[i]);
        }
        out += ')';
        AppendVertices(out, call, call.indices);
        break;
    }
    default: break;
    }
    return out;
}

bool OpenTrace(const char* path) {
    Trace().Close();
    if (path == nullptr) return true;
    Trace().file = std::fopen(path, "wb");  // binary: '\n' line ends on every system
    return Trace().file != nullptr;
}

void ReportError(const std::string& text) { Log().errors.push_back(text); }

void ClearErrors() { Log().errors.clear(); }

int ErrorCount() { return static_cast<int>(Log().errors.size()); }

const char* ErrorText(int index) {
    if (index < 0 || index >= ErrorCount()) return nullptr;
    return Log().errors[static_cast<std::size_t>(index)].c_str();
}

std::uint32_t PixelChecksum(const std::uint16_t* pixels, int count) {
    std::uint32_t hash = 2166136261u;
    for (int i = 0; i < count; ++i) {
        for (int shift : {0, 8}) {
            hash ^= (pixels[i] >> shift) & 0xFFu;
            hash *= 16777619u;
        }
    }
    return hash;
}
