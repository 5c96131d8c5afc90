// The text form of a Glide call, one line per call, shared by the stand-in's
// trace and by the Glide tracer, so a trace taken in front of any Glide
// library compares with the stand-in's by diff. Freestanding: no C library,
// no allocation, so the Windows tracer links no C runtime.
#pragma once

#include <cstdint>

#include "glide/glide_entry_points.h"
#include "standin.h"

// A zeroed record named after the entry point.
StandinCall NewCall(GlideEntry entry);
// Appends one argument: an integer sign-extended from 32 bits, a pointer as
// its address, a float in floatArgs with its bit pattern in args.
void AddInt(StandinCall& call, std::int32_t value);
void AddUnsigned(StandinCall& call, std::uint32_t value);
void AddPointer(StandinCall& call, const void* pointer);
void AddFloat(StandinCall& call, float value);
// One argument by its Glide type, and a record named after the entry point
// holding all of them.
inline void AddArgument(StandinCall& call, FxI32 value) { AddInt(call, value); }
inline void AddArgument(StandinCall& call, FxU32 value) { AddUnsigned(call, value); }
inline void AddArgument(StandinCall& call, float value) { AddFloat(call, value); }
inline void AddArgument(StandinCall& call, const void* pointer) { AddPointer(call, pointer); }
template <typename... A>
StandinCall NewCallWith(GlideEntry entry, A... args) {
    StandinCall call = NewCall(entry);
    (AddArgument(call, args), ...);
    return call;
}
// Appends a vertex copy (a null pointer gives an all-zero vertex); counts it
// in vertexCount even beyond the copies kept.
void AddVertex(StandinCall& call, const GrVertex* vertex);
// The vertices of grDrawPolygon (`indexed`: through `ilist`, with the
// indices; nothing unless both lists are given) or grDrawPolygonVertexList,
// and the count the call draws with.
void AddPolygon(StandinCall& call, bool indexed, int count, const int* ilist, const GrVertex* vlist);

// Room for the longest line (a 16-vertex polygon with its index list).
constexpr int kTraceLineSize = 8192;

// The line of `call` (no newline) into out[0 .. size - 1], NUL-terminated;
// returns its length. `entry` selects how the arguments print (-1: the name
// only). `pixelHash` is the checksum of the call's pixel or texel block, or
// null when no block was copied ("pixels=null").
int FormatTraceLine(int entry, const StandinCall& call, const std::uint32_t* pixelHash, char* out, int size);

// The entry point named `name`, or -1.
int TraceEntryOf(const char* name);

// FNV-1a (32 bits) over bytes, continued from `hash` (start with kPixelHashStart).
constexpr std::uint32_t kPixelHashStart = 2166136261u;
std::uint32_t PixelHashBytes(std::uint32_t hash, const void* bytes, std::uint32_t count);

// Which pointed-to blocks the text form sums up. grLfbWriteRegion: a 16-bit
// source format with 1 .. 4096 x 4096 pixels and a source; the block hashed
// is w x h pixels, rows packed. grTexDownloadMipMapLevel: a valid level with
// data; its bytes are LevelBytes, padded with one zero byte when odd.
bool LfbBlockHashed(FxU32 format, FxU32 width, FxU32 height, const void* src);
std::uint32_t LevelBytes(FxI32 lod, FxI32 aspect, FxI32 format);

// Shortest decimal that reads back as the same float, as std::to_chars
// writes it ("1", "1.7", "786432", "1e-10", "-nan"); returns its length
// (at most 15; `out` needs 16 bytes).
int FormatShortestFloat(float value, char* out);
