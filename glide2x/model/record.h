// The call log of the stand-in: every Glide call is turned into a StandinCall
// (its arguments and copies of what its pointers referred to), kept in the log
// while recording is on and written to the trace file while one is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "glide/glide_entry_points.h"
#include "model/trace_format.h"
#include "standin.h"

// True while calls are kept or traced; the entry points skip building their
// records (and copying pixels) otherwise.
bool CallsObserved();

// A zeroed record named after the entry point, to be filled in place and
// committed before any other call starts: the log's next slot while
// recording (so that committing copies nothing), a scratch record otherwise.
StandinCall& StartCall(GlideEntry entry);

// Stores the finished record in the log (with `pixels` as its pixel copy,
// owned by the log from now on) and writes its line to the trace.
void CommitCall(StandinCall& call, std::vector<std::uint16_t> pixels = {});

// The log.
void SetRecording(bool on);
void ClearCallLog();
int CallLogSize();
const StandinCall* CallLogEntry(int index);

// The one-line text form of a record (no newline).
std::string FormatCall(const StandinCall& call);

// Opens (or with null closes) the trace file; false if it cannot be opened.
bool OpenTrace(const char* path);

// FNV-1a (32 bits) of the words' little-endian bytes; the text form prints
// pixel data as this checksum.
std::uint32_t PixelChecksum(const std::uint16_t* pixels, int count);
