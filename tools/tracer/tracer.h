// The Glide tracer: a Glide 2.x library that forwards every call to the real
// one and writes each call in the stand-in's text form (trace_format.h).
#pragma once

#include <cstdint>

#include "glide/glide_binding.h"
#include "standin.h"

namespace tracer {

// Address of `entry` in the real library, loading it on first use; null when
// the library or the name is missing (reported once, the call returns 0).
GlideProc RealProc(int entry);

// Writes the call's line to the trace. `pixelHash` as for FormatTraceLine.
void Trace(int entry, const StandinCall& call, const std::uint32_t* pixelHash = nullptr);

// Hands the buffered lines to the file (at each swap, close and shutdown, and
// when the library is unloaded).
void Flush();

// --- What the operating system provides (platform.cpp) ---

// The value of an environment variable into out; false when unset, empty or
// longer than `size` - 1.
bool Environment(const char* name, char* out, int size);
// Folder of the tracer itself / of the running program, with a trailing
// separator; false when unknown or too long.
bool TracerFolder(char* out, int size);
bool ProgramFolder(char* out, int size);
void* LoadLibraryAt(const char* path);
void* FindProc(void* library, const char* name);
// Opens `path` for writing from its start; false when it cannot be written.
bool OpenOutput(const char* path);
bool WriteOutput(const char* bytes, int count);
// One message line where a user looks for it: the debugger output on
// Windows, stderr elsewhere.
void Report(const char* text);

extern const char* const kRealLibraryName;  // "glide2x-real.dll" / "libglide2x-real.so"
extern const char* const kTraceFileName;    // "glide2x-trace.txt"

}  // namespace tracer
