// A replay script, parsed and checked as a whole before anything runs. The
// format is described in docs/replay-format.md.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "layouts.h"

namespace replay {

// Size of the staging surface and the page buffer the tool hands over: 512
// rows at the widest stride of the script's InitSurfaces calls, at least 4096
// pixels (the plug-in's fixed stride), at most kMaxStride.
constexpr int kStagingWidth = 4096;
constexpr int kStagingHeight = 512;
constexpr int kMaxStride = 65536;
constexpr int kPageBufferTexels = 256 * 256;
// Bytes in front of every upload's data: the host's header, whose first byte
// a colour-table upload reads.
constexpr int kUploadHeader = 16;
// Every upload's data is at least a 256-entry colour table long, since the
// plug-in keeps the address of anything shaped like a table.
constexpr int kUploadMinimum = 512;
// Row pitch of a BlitScreen picture in 16-bit pixels.
constexpr int kPicturePitch = 4096;

// Host memory starts as zeros. Taken with calloc and grown with resize(),
// a block of megabytes (a tall picture) costs the system's zeroed pages,
// touched only where something is written, not a fill of every byte.
template <class T>
struct ZeroedAllocator {
    using value_type = T;
    ZeroedAllocator() = default;
    template <class U>
    ZeroedAllocator(const ZeroedAllocator<U>&) {}
    T* allocate(std::size_t n) {
        if (void* p = std::calloc(n, sizeof(T))) return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t) { std::free(p); }
    template <class U>
    void construct(U*) {}  // already zero
    template <class U, class... A>
    void construct(U* p, A&&... args) {
        ::new (static_cast<void*>(p)) U(static_cast<A&&>(args)...);
    }
    friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator&) { return true; }
};
using HostBytes = std::vector<std::uint8_t, ZeroedAllocator<std::uint8_t>>;

// Memory the tool owns and hands to the plug-in: a packet, a rectangle, an
// upload's data with its header, a picture. The plug-in gets bytes + offset.
struct Block {
    HostBytes bytes;
    int offset = 0;
    const Layout* layout = nullptr;  // packets and rectangles
    std::string name;                // named packets
};

struct FieldValue {
    const Field* field;
    std::int64_t value;
};

enum class Op {
    Call,          // one export
    Set,           // write fields of a named packet
    Show,          // print a named packet's fields
    ExpectFields,  // compare fields of a named packet
    ExpectResult,  // compare the result of the last export that returns one
    Write,         // bytes into a named upload's data (a colour table kept in place)
    Stage,         // pixels the host wrote into the staging surface itself
};

struct Command {
    Op op = Op::Call;
    int line = 0;
    int exportId = -1;                // Call
    std::vector<std::int32_t> words;  // Call: the export's Params, in order
    int block = -1;                   // packet, rectangle or named packet
    int data = -1;                    // LoadImagePC data, BlitScreen picture
    std::vector<FieldValue> writes;   // Set and Call @NAME: written first; ExpectFields: compared
    std::int64_t expected = 0;        // ExpectResult
    std::vector<std::uint8_t> payload;  // Write, Stage: the bytes
    std::int64_t at = 0;                // Write: byte offset in the block; Stage: staging pixel (4096 a row)
};

struct Script {
    std::string fileName;  // as named in messages
    std::vector<Command> commands;
    std::vector<Block> blocks;
    std::int64_t stagingStride = kStagingWidth;  // pixels a staging row
};

struct ScriptError {
    int line;
    std::string message;
};

// Parses `text`; relative picture paths are taken from `baseDir`. Errors are
// collected (the first kMaxErrors), and a script with errors must not run.
constexpr int kMaxErrors = 20;
Script ParseScript(std::string_view text, const std::string& fileName, const std::filesystem::path& baseDir,
                   std::vector<ScriptError>& errors);

// "FILE:LINE: message"
std::string FormatError(const std::string& fileName, const ScriptError& error);

// A number as scripts write it: decimal with an optional sign, or hexadecimal
// after 0x. False for anything else or anything beyond 64 bits.
bool ParseNumber(std::string_view text, std::int64_t& value);

}  // namespace replay
