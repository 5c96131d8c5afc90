#include "tracer.h"

#include "model/trace_format.h"

namespace tracer {
namespace {

// Module-level and constant-initialised: the Windows build has no start-up
// code to run constructors.
GlideProc realProcs[GLIDE_ENTRY_COUNT];
bool realBound = false;

enum OutputState { kOutputUnopened, kOutputOpen, kOutputFailed };
OutputState output = kOutputUnopened;
char pending[1 << 16];
int pendingLength = 0;

constexpr int kPathSize = 1024;

// Appends text to a bounded buffer; false when it does not fit.
bool Append(char* out, int size, int& length, const char* text) {
    while (*text) {
        if (length >= size - 1) return false;
        out[length++] = *text++;
    }
    out[length] = '\0';
    return true;
}

void ReportWithPath(const char* what, const char* path, const char* after = "") {
    char message[kPathSize + 128];
    int length = 0;
    message[0] = '\0';
    Append(message, sizeof message, length, "vrastex glide tracer: ");
    Append(message, sizeof message, length, what);
    Append(message, sizeof message, length, path);
    Append(message, sizeof message, length, after);
    Append(message, sizeof message, length, "\n");
    Report(message);
}

// The path the variable names, else `name` in the folder `folder` gives.
bool PathFromEnvironment(const char* variable, bool (*folder)(char*, int), const char* name, char* out) {
    if (Environment(variable, out, kPathSize)) return true;
    int length = 0;
    if (!folder(out, kPathSize)) {
        out[0] = '\0';
    } else {
        while (out[length]) ++length;
    }
    return Append(out, kPathSize, length, name);
}

void BindReal() {
    realBound = true;
    char path[kPathSize];
    if (!PathFromEnvironment("VRASTEX_GLIDE_TARGET", TracerFolder, kRealLibraryName, path)) {
        Report("vrastex glide tracer: the path of the real Glide library is too long\n");
        return;
    }
    void* library = LoadLibraryAt(path);
    if (library == nullptr) {
        ReportWithPath("cannot load the real Glide library ", path);
        return;
    }
    bool reported = false;
    // The decorated stdcall names first ("_grDrawLine@8", as 3Dfx's DLL
    // exports them); some replacement DLLs have only the plain ones.
    for (int i = 0; i < GLIDE_ENTRY_COUNT; ++i) {
        void* proc = FindProc(library, glideDecoratedNames[i]);
        if (proc == nullptr) proc = FindProc(library, glidePlainNames[i]);
        realProcs[i] = reinterpret_cast<GlideProc>(proc);
        if (proc == nullptr && !reported) {
            // Only the first: a library lacking one name usually lacks a set.
            reported = true;
            ReportWithPath("the real Glide library has no entry point ", glidePlainNames[i]);
        }
    }
}

bool EnsureOutput() {
    if (output == kOutputUnopened) {
        char path[kPathSize];
        output = kOutputFailed;
        if (!PathFromEnvironment("VRASTEX_GLIDE_TRACE", ProgramFolder, kTraceFileName, path)) {
            Report("vrastex glide tracer: the path of the trace file is too long; calls are forwarded untraced\n");
        } else if (!OpenOutput(path)) {
            ReportWithPath("cannot write the trace file ", path, "; calls are forwarded untraced");
        } else {
            output = kOutputOpen;
        }
    }
    return output == kOutputOpen;
}

}  // namespace

GlideProc RealProc(int entry) {
    if (!realBound) BindReal();
    return realProcs[entry];
}

void Trace(int entry, const StandinCall& call, const std::uint32_t* pixelHash) {
    if (!EnsureOutput()) return;
    if (pendingLength + kTraceLineSize + 1 > static_cast<int>(sizeof pending)) Flush();
    pendingLength += FormatTraceLine(entry, call, pixelHash, pending + pendingLength, kTraceLineSize);
    pending[pendingLength++] = '\n';
    // A frame at a time, so a host that crashes loses at most its last frame.
    if (entry == GLIDE_grBufferSwap || entry == GLIDE_grSstWinClose || entry == GLIDE_grGlideShutdown) Flush();
}

void Flush() {
    if (output != kOutputOpen || pendingLength == 0) return;
    if (!WriteOutput(pending, pendingLength)) {
        output = kOutputFailed;
        Report("vrastex glide tracer: writing the trace file failed; calls are forwarded untraced from here on\n");
    }
    pendingLength = 0;
}

}  // namespace tracer
