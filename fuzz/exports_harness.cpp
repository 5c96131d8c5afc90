// fuzz_exports: the input is a sequence of export calls in any order. Every
// packet, rectangle, image and picture lives in its own allocation of exactly
// the bytes the plug-in may read; the staging surface and the page buffer sit
// between poisoned guard zones. After every call: no validation error, no
// host byte changed outside the staging surface, the page buffer and the u, v
// bytes of a page-12 packet. The whole input runs twice from a fresh start
// and must give the same Glide stream both times.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/full_screen.h"
#include "exports/vrastex.h"
#include "harness.h"
#include "scene/scene_list.h"
#include "standin.h"
#include "support/plugin_state.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HARNESS_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define HARNESS_ASAN 1
#endif
#if defined(HARNESS_ASAN)
#include <sanitizer/asan_interface.h>
#define POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POISON(p, n) ((void)(p), (void)(n))
#define UNPOISON(p, n) ((void)(p), (void)(n))
#endif

void HarnessFailure(const char* what, const char* detail) {
    std::fprintf(stderr, "fuzz harness: %s%s%s\n", what, detail ? ": " : "", detail ? detail : "");
    std::abort();
}

namespace {

using Reader = InputReader;

// Staging surfaces of 4096, 5000 and 8192 pixels a row, and the page buffer,
// each with poisoned guard zones on both sides; allocated and poisoned once
// (unpoisoning megabytes makes ASan hand the shadow pages back to the system,
// and every later access to them faults).
constexpr std::size_t kGuard = 4096;
constexpr int kStagingWidths[3] = {4096, 5000, 8192};
constexpr std::size_t StagingBytes(int width) { return std::size_t(width) * 512 * 2; }
constexpr std::size_t kPageBytes = 256 * 256 * 2;

// Packets, rectangles, images and pictures of one play, one after the
// other, each followed by a poisoned gap: the plug-in reading one byte past
// what the host handed over is caught as with a heap allocation, without an
// allocation per call. Both plays place every block at the same address.
constexpr std::size_t kBlockBytes = std::size_t{64} << 20;
// A play takes no more calls once this much is used; one call takes at most
// a picture of 1200 rows 8 KiB apart.
constexpr std::size_t kBlocksFull = kBlockBytes - (std::size_t{16} << 20);

// One piece of host memory the plug-in gets a pointer to, with a copy of what
// it held when handed over.
struct Block {
    std::uint8_t* bytes;
    std::size_t size;
    std::uint8_t* before;
    // Bytes the plug-in may rewrite (the u, v of a page-12 packet).
    int writable[8];
    int writableCount;
    void Keep() { std::memcpy(before, bytes, size); }  // the host rewrote it before handing it over
};

constexpr int kMaxBlocks = 1024;

struct Arena {
    std::uint8_t* staging[3];    // kGuard + StagingBytes(width) + kGuard
    std::uint8_t* page;          // kGuard + kPageBytes + kGuard
    std::uint8_t* blocks;        // kBlockBytes, poisoned where no block lies
    std::uint8_t* copies;        // kBlockBytes: what each block held when handed over
    int surface = 0;             // the staging surface of this input
    std::size_t blocksUsed = 0;  // bytes handed out this play
    bool pageWritten = true;     // the page buffer may hold a page since it was cleared
    Block list[kMaxBlocks];      // the blocks of this play, filled in as they are handed out
};

Arena& TheArena() {
    static Arena& arena = *[] {
        auto* heap = new Arena;
        Arena& a = *heap;
        for (int i = 0; i < 3; ++i) {
            const std::size_t bytes = StagingBytes(kStagingWidths[i]);
            a.staging[i] = static_cast<std::uint8_t*>(std::calloc(kGuard + bytes + kGuard, 1));
            if (!a.staging[i]) HarnessFailure("no memory for the host's surfaces");
            POISON(a.staging[i], kGuard);
            POISON(a.staging[i] + kGuard + bytes, kGuard);
        }
        a.page = static_cast<std::uint8_t*>(std::calloc(kGuard + kPageBytes + kGuard, 1));
        a.blocks = static_cast<std::uint8_t*>(std::calloc(kBlockBytes, 1));
        a.copies = static_cast<std::uint8_t*>(std::calloc(kBlockBytes, 1));
        if (!a.page || !a.blocks || !a.copies) HarnessFailure("no memory for the host's surfaces");
        POISON(a.page, kGuard);
        POISON(a.page + kGuard + kPageBytes, kGuard);
        POISON(a.blocks, kBlockBytes);
        return heap;
    }();
    return arena;
}

class Session {
public:
    // The first play records the stream hash after each call in `steps`; the
    // second compares with it and names the first call that differs.
    Session(Reader in, std::vector<std::uint64_t>& steps, bool compare) : in_(in), steps_(steps), compare_(compare) {}

    // Plays the input, hashing the Glide stream it produces.
    void Play();

private:
    Reader in_;
    std::vector<std::uint64_t>& steps_;
    bool compare_;
    std::size_t step_ = 0;
    Block* const blocks_ = TheArena().list;
    int blockCount_ = 0;
    std::uint64_t hash_ = 1469598103934665603ull;
    int stride_ = 4096;  // widest stride the staging surface holds this input
    int directStride_ = 0;  // what the last InitSurfaces handed over
    // LoadTextures and unpause_render cut and download all seventeen pages,
    // megabytes of work under the sanitizers: a play takes the first few and
    // skips the rest, which add time and nothing new.
    static constexpr int kMaxPageLoads = 2;
    int pageLoads_ = 0;
    bool PageLoad() {
        if (pageLoads_ == kMaxPageLoads) return false;
        ++pageLoads_;
        TheArena().pageWritten = true;
        return true;
    }
    // Likewise a full scene list (six thousand packets and their flush) once a play.
    bool fullList_ = false;
    bool FullList() { return !std::exchange(fullList_, true); }

    // Pixels an upload may write, on either path, are cleared before the next
    // play: cheaper than clearing megabytes every time.
    void MarkStaging(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);

    Block& NewBlock(std::size_t size, bool fill);

    int checkedBlocks_ = 0;

    void AfterCall(const char* name);
    void CheckUnchanged(Block& block, const char* name);
    // Eight bytes a step in four independent lanes, folded into the hash at
    // the end (then a four-byte tail). Every step is a bijection of its lane,
    // so one differing word always changes the hash; the lanes keep four
    // multiplies in flight instead of one.
    void MixWords(const void* bytes, std::size_t n) {
        constexpr std::uint64_t kPrime = 1099511628211ull;
        const auto* p = static_cast<const std::uint8_t*>(bytes);
        std::size_t i = 0;
        if (n >= 32) {
            std::uint64_t lane[4] = {hash_, 1, 2, 3};
            for (; i + 32 <= n; i += 32) {
                std::uint64_t words[4];
                std::memcpy(words, p + i, sizeof words);
                for (int k = 0; k < 4; ++k) lane[k] = (lane[k] ^ words[k]) * kPrime;
            }
            hash_ = lane[0];
            for (int k = 1; k < 4; ++k) hash_ = (hash_ ^ lane[k]) * kPrime;
        }
        for (; i + 8 <= n; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            hash_ = (hash_ ^ word) * kPrime;
        }
        if (i + 4 <= n) {
            std::uint32_t word;
            std::memcpy(&word, p + i, 4);
            hash_ = (hash_ ^ word) * kPrime;
        }
    }
    void Step(unsigned op);
    void Upload();
    void Textured(void (*fn)(void*), std::size_t size, int pageOffset, std::initializer_list<int> uv);
};

Block& Session::NewBlock(std::size_t size, bool fill) {
    Arena& arena = TheArena();
    const std::size_t at = arena.blocksUsed;
    const std::size_t next = at + ((size + 7) & ~std::size_t{7}) + 16;
    // Play stops taking calls well before this (see kBlocksFull).
    if (blockCount_ == kMaxBlocks || next > kBlockBytes) HarnessFailure("the harness's block arena overflowed");
    arena.blocksUsed = next;
    Block& block = blocks_[blockCount_++];
    block = Block{arena.blocks + at, size, arena.copies + at, {}, 0};
    UNPOISON(block.bytes, size);
    if (fill) in_.Bytes(block.bytes, size);
    else std::memset(block.bytes, 0, size);
    block.Keep();
    if (size) standinDeclareMemory(block.bytes, size);
    return block;
}

void Session::AfterCall(const char* name) {
    // FUZZ_TRACE=1 lists the calls an input makes, with the Glide calls each caused.
    static const bool trace = std::getenv("FUZZ_TRACE") != nullptr;
    if (trace) std::fprintf(stderr, "%s: %d Glide calls\n", name, standinCallCount());
    if (standinErrorCount() != 0) HarnessFailure(name, standinErrorText(0));
    // The blocks of this call now, every block at the end of the play.
    for (int b = checkedBlocks_; b < blockCount_; ++b) CheckUnchanged(blocks_[b], name);
    checkedBlocks_ = blockCount_;
    for (int i = 0; i < standinCallCount(); ++i) {
        const StandinCall& call = *standinGetCall(i);
        if (call.vertexCount > 0) {
            // Drawing: the vertices as sent (the pointers differ from play to play).
            MixWords(call.name, sizeof call.name);
            MixWords(&call.vertexCount, sizeof call.vertexCount);
            const int copies = call.vertexCount < STANDIN_MAX_VERTICES ? call.vertexCount : STANDIN_MAX_VERTICES;
            MixWords(call.vertices, sizeof(GrVertex) * static_cast<std::size_t>(copies));
            MixWords(call.indices, sizeof call.indices[0] * static_cast<std::size_t>(copies));  // zero beyond
            continue;
        }
        // Pointers included: both plays hand the plug-in the same addresses.
        MixWords(call.name, sizeof call.name);
        MixWords(call.args, sizeof call.args[0] * static_cast<std::size_t>(call.argCount));
        MixWords(&call.texInfo, 4 * sizeof(FxI32));
    }
    standinClearLog();
    if (!compare_) {
        steps_.push_back(hash_);
    } else if (step_ >= steps_.size() || steps_[step_] != hash_) {
        HarnessFailure(name, "the same calls gave a different Glide stream the second time");
    }
    ++step_;
}

void Session::CheckUnchanged(Block& block, const char* name) {
    if (block.size == 0 || std::memcmp(block.bytes, block.before, block.size) == 0) return;
    for (std::size_t i = 0; i < block.size; ++i) {
        if (block.bytes[i] == block.before[i]) continue;
        bool allowed = false;
        for (int w = 0; w < block.writableCount; ++w) allowed = allowed || static_cast<std::size_t>(block.writable[w]) == i;
        if (!allowed) HarnessFailure(name, "changed host memory outside the staging surface");
        block.before[i] = block.bytes[i];
    }
}

// Staging pixels written since the surface was last cleared: a span of
// columns in each row of the surface. Uploads write rectangles, often far
// apart; one range over all of them would clear megabytes.
struct DirtyRows {
    int width = 4096;                // of the surface the spans refer to
    int lo[512] = {}, hi[512] = {};  // columns [lo, hi); empty when equal
    int first = 512, last = -1;      // rows that may hold a span
};
DirtyRows dirty;

// Pixels [from, to) at offsets into the surface, clipped to it.
void Dirty(std::int64_t from, std::int64_t to) {
    const std::int64_t w = dirty.width;
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, w * 512);
    if (from >= to) return;
    const int top = static_cast<int>(from / w), bottom = static_cast<int>((to - 1) / w);
    for (int row = top; row <= bottom; ++row) {
        const int lo = row == top ? static_cast<int>(from % w) : 0;
        const int hi = row == bottom ? static_cast<int>((to - 1) % w + 1) : static_cast<int>(w);
        if (dirty.lo[row] == dirty.hi[row]) {
            dirty.lo[row] = lo;
            dirty.hi[row] = hi;
        } else {
            dirty.lo[row] = std::min(dirty.lo[row], lo);
            dirty.hi[row] = std::max(dirty.hi[row], hi);
        }
    }
    dirty.first = std::min(dirty.first, top);
    dirty.last = std::max(dirty.last, bottom);
}

// Clears what was written to `surface` and starts over on a surface `width` wide.
void ClearDirty(std::uint8_t* surface, int width) {
    for (int row = dirty.first; row <= dirty.last; ++row) {
        const std::size_t at = std::size_t(row) * static_cast<std::size_t>(dirty.width) +
                               static_cast<std::size_t>(dirty.lo[row]);
        std::memset(surface + 2 * at, 0, 2 * static_cast<std::size_t>(dirty.hi[row] - dirty.lo[row]));
        dirty.lo[row] = dirty.hi[row] = 0;
    }
    dirty.first = 512;
    dirty.last = -1;
    dirty.width = width;
}

// The staging surface at this input's width: every byte the plug-in may reach.
void* Staging() { return TheArena().staging[TheArena().surface] + kGuard; }
void* PageBuffer() { return TheArena().page + kGuard; }

void Session::MarkStaging(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
    if (w <= 0 || h <= 0) return;
    // Indexed: rows of the 4096-pixel stride, up to 4 pixels a host pixel
    // from column 4x on.
    const std::int64_t left = std::max<std::int64_t>(4 * x, 0),
                       right = std::min<std::int64_t>(4 * (x + w), 4096);
    if (left < right) {
        for (std::int64_t row = std::max<std::int64_t>(y, 0); row < std::min<std::int64_t>(y + h, 512); ++row)
            Dirty(row * 4096 + left, row * 4096 + right);
    }
    // Direct: rows of w pixels, s apart, of a surface taken to be s x 512.
    const std::int64_t s = directStride_;
    if (s <= 0) return;
    const std::int64_t start = s * y + (x < 320 ? x : 4 * x), limit = s * 512;
    // Only the rows that reach into [0, limit).
    const std::int64_t firstRow = start + w > 0 ? 0 : (-(start + w)) / s + 1;
    const std::int64_t lastRow = start + s * (h - 1) < limit ? h - 1 : (limit - 1 - start) / s;
    for (std::int64_t row = firstRow; row <= lastRow && start + s * row < limit; ++row)
        Dirty(start + s * row, std::min(start + s * row + w, limit));
}

void Session::Upload() {
    auto& rect = NewBlock(8, true);
    std::int16_t w, h;
    std::memcpy(&w, rect.bytes + 4, 2);
    std::memcpy(&h, rect.bytes + 6, 2);
    // Images of at most 64K pixels, for speed: a taller rectangle is cut, in the packet itself.
    if (w > 0 && h > 0 && static_cast<long>(w) * h > (1 << 16)) {
        h = static_cast<std::int16_t>((1 << 16) / w);
        std::memcpy(rect.bytes + 6, &h, 2);
        rect.Keep();
    }
    const void* data;
    if (h == 1 && (w == 16 || w == 256)) {
        // A colour table with the host's header in front; it holds as many
        // entries as the header byte says the plug-in will read.
        const unsigned header = in_.U8();
        const std::size_t entries = (header & 3) == 1 ? 256 : 16;
        auto& table = NewBlock(16 + 2 * entries, true);
        table.bytes[0] = static_cast<std::uint8_t>(header);
        table.Keep();
        data = table.bytes + 16;
    } else {
        const std::size_t bytes = w > 0 && h > 0 ? std::size_t(2) * w * h : 0;
        auto& pixels = NewBlock(bytes, false);
        // One input byte seeds the pixels: enough to vary indices and colours.
        const unsigned seed = in_.U8();
        std::memset(pixels.bytes, static_cast<int>(seed), bytes);
        for (std::size_t i = 0; i < bytes && i < 64; ++i) pixels.bytes[i] = static_cast<std::uint8_t>(i * 37 + seed);
        pixels.Keep();
        data = pixels.bytes;
    }
    std::int16_t x, y;
    std::memcpy(&x, rect.bytes, 2);
    std::memcpy(&y, rect.bytes + 2, 2);
    MarkStaging(x, y, w, h);
    LoadImagePC(rect.bytes, data);
}

void Session::Textured(void (*fn)(void*), std::size_t size, int pageOffset, std::initializer_list<int> uv) {
    auto& packet = NewBlock(size, true);
    const unsigned page = packet.bytes[pageOffset] | (packet.bytes[pageOffset + 1] << 8);
    const int slot = (static_cast<int>(page & 0xF) - 5) + 11 * (((page >> 4) & 1) + ((page >> 10) & 2));
    if (slot == 12) {
        for (int at : uv) packet.writable[packet.writableCount++] = at;
    }
    fn(packet.bytes);
}

void Session::Step(unsigned op) {
    switch (op % 40) {
    case 0: fxDetect(); break;
    case 1: {
        const int index = in_.U8() % 9 - 1;
        fxInit(0, index, in_.S16());
        break;
    }
    case 2: fxShutdown(); break;
    case 3: fxGlideShutdown(); break;
    case 4: {
        const unsigned which = in_.U8();
        void* staging = which & 1 ? nullptr : Staging();
        void* page = which & 2 ? nullptr : PageBuffer();
        InitVariables(staging, 0, page, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                      0, 0, 0, 0, 0, 0, static_cast<int>(which >> 2) % 9 - 1);
        break;
    }
    case 5: {
        // Strides the staging surface of this input holds, and a few odd ones.
        const int strides[] = {stride_, 4096, 1024, 320, 0, -1, 4095, stride_ - 1};
        directStride_ = strides[in_.U8() % 8];
        InitSurfaces(0, 0, 0, directStride_, 0, 0, 0, 0, 0, 0);
        break;
    }
    case 6: {
        DDSURFACEDESC desc;
        in_.Bytes(reinterpret_cast<std::uint8_t*>(&desc), sizeof desc);
        CalcShifts(desc);
        break;
    }
    case 7: {
        const int first = in_.S32();
        InitGouraud(first, in_.S32());
        break;
    }
    case 8: fxStartFrame(); break;
    case 9: fxEndFrame(); break;
    case 10: Flip(); break;
    case 11: ClearScreen(); break;
    case 12: {
        const int left = in_.S16(), top = in_.S16(), right = in_.S16(), bottom = in_.S16();
        ShowPage(left, top, right, bottom, in_.U8() < 240 ? in_.U8() % 20 : static_cast<unsigned>(in_.S32()));
        break;
    }
    case 13: {
        // The picture holds exactly the rows and columns Glide will read.
        // Mostly short pictures (each row is 8 KiB apart); now and then any size.
        const bool any = in_.U8() >= 240;
        const int width = in_.S16(), height = any ? in_.S16() : in_.S16() % 40;
        const int W = standinScreenWidth(), H = standinScreenHeight();
        const int w = width > W ? W : width, h = height > H ? H : height;
        const std::size_t bytes = w > 0 && h > 0 ? std::size_t(h - 1) * 8192 + std::size_t(2) * w : 0;
        auto& picture = NewBlock(bytes, false);
        BlitScreen(picture.bytes, width, height);
        break;
    }
    case 14: pause_render(); break;
    case 15:
        if (PageLoad()) unpause_render();
        break;
    case 16: RenderScene(); break;
    case 17: PutDrawEnv(NewBlock(8, true).bytes); break;
    case 18: DoDrMode(NewBlock(10, true).bytes); break;
    case 19: DrawFlat(NewBlock(20, true).bytes); break;
    case 20: DrawFlat4(NewBlock(24, true).bytes); break;
    case 21: DrawGouraud(NewBlock(28, true).bytes); break;
    case 22: DrawGouraud4(NewBlock(36, true).bytes); break;
    case 23: DrawTile(NewBlock(16, true).bytes); break;
    case 24: Textured(DrawFlatTexture, 32, 22, {12, 13, 20, 21, 28, 29}); break;
    case 25: Textured(DrawFlatTexture4, 40, 22, {12, 13, 20, 21, 28, 29, 36, 37}); break;
    case 26: Textured(DrawGouraudTexture, 40, 26, {12, 13, 24, 25, 36, 37}); break;
    case 27: Textured(DrawGouraudTexture4, 52, 26, {12, 13, 24, 25, 36, 37, 48, 49}); break;
    case 28: {
        std::uint8_t* packet = NewBlock(16, true).bytes;
        DrawLineFlat2(packet, in_.S32());
        break;
    }
    case 29: {
        std::uint8_t* packet = NewBlock(24, true).bytes;
        DrawLineFlat4(packet, in_.S32());
        break;
    }
    case 30: DrawLineGouraud(NewBlock(20, true).bytes); break;
    case 31: Upload(); break;
    case 32: DoDrMove(NewBlock(20, true).bytes); break;
    case 33:
        if (PageLoad()) LoadTextures();
        break;
    // What Glide answers changes under the plug-in: a failing open, pending
    // swaps, a control call that fails.
    case 34: standinSetWinOpenResult(in_.U8() & 1); break;
    case 35: {
        const int pending[] = {static_cast<int>(in_.U8() % 4), static_cast<int>(in_.U8() % 3) - 1};
        standinSetPendingSequence(pending, 2);
        break;
    }
    case 36: standinSetControlResult(in_.U8() & 1); break;
    // Many packets at once; now and then the scene list fills and overflows.
    case 37: {
        auto& packet = NewBlock(16, true);
        const unsigned n = in_.U8();
        const int count = n == 255 && FullList() ? 6010 : 1 + static_cast<int>(n % 16);
        NoteSceneRecords(long{vrastex::scene.count} + count + 1);
        for (int i = 0; i < count; ++i) DrawTile(packet.bytes);
        break;
    }
    case 38: {
        auto& packet = NewBlock(24, true);
        const unsigned n = in_.U8();
        const int count = n == 255 && FullList() ? 1501 : 1 + static_cast<int>(n % 8);
        NoteSceneRecords(long{vrastex::scene.count} + 4 * count + 1);
        for (int i = 0; i < count; ++i) DrawLineFlat4(packet.bytes, 4);
        break;
    }
    default: {
        const int hostX = in_.U8() % 3 == 0 ? 320 : 400;  // display or texture area
        auto& rect = NewBlock(8, false);
        const std::int16_t fields[4] = {static_cast<std::int16_t>(hostX), static_cast<std::int16_t>(in_.U8() * 2),
                                        16, 16};
        std::memcpy(rect.bytes, fields, 8);
        rect.Keep();
        MarkStaging(fields[0], fields[1], 16, 16);
        auto& pixels = NewBlock(2 * 16 * 16, true);
        LoadImagePC(rect.bytes, pixels.bytes);
        break;
    }
    }
}

void Session::Play() {
    standinReset();
    standinSetDrawing(0);
    ResetNotedPluginState();

    // The machine: TMU memory of 128 KiB to 4 MiB, one board whose type and
    // TMU count come from the input.
    const unsigned config = in_.U8();
    const std::uint32_t maxAddresses[] = {0x1FFFF8, 0x3FFFF8, 0xFFFF8, 0x1FFF8};
    standinSetTexAddressRange(0, 0, maxAddresses[config & 3]);
    if (config & 4) {
        GrHwConfiguration hw{};
        hw.num_sst = 1;
        hw.SSTs[0].type = static_cast<FxI32>(in_.U8() % 6);
        hw.SSTs[0].sstBoard.VoodooConfig.nTexelfx = static_cast<FxI32>(in_.U8() % 5);
        standinSetHardware(config & 8 ? 1 : 0, &hw);
    }

    // A fresh start: the surfaces as the host allocated them (what the last
    // play wrote is cleared first, on the surface it used).
    Arena& arena = TheArena();
    const int surface = config & 16 ? 2 : (config & 32 ? 1 : 0);
    ClearDirty(static_cast<std::uint8_t*>(Staging()), kStagingWidths[surface]);
    arena.surface = surface;
    stride_ = kStagingWidths[surface];
    const std::size_t stagingBytes = StagingBytes(stride_);
    if (std::exchange(arena.pageWritten, false)) std::memset(PageBuffer(), 0, kPageBytes);
    POISON(arena.blocks, arena.blocksUsed);
    arena.blocksUsed = 0;
    standinDeclareMemory(Staging(), stagingBytes);
    standinDeclareMemory(PageBuffer(), kPageBytes);
    // The plug-in's own data that Glide reads through pointers.
    standinDeclareMemory(&vrastex::scene, sizeof vrastex::scene);
    standinDeclareMemory(vrastex::pageQuad, sizeof vrastex::pageQuad);
    standinDeclareMemory(vrastex::kPageIndices, sizeof vrastex::kPageIndices);

    static const char* const kNames[40] = {
        "fxDetect", "fxInit", "fxShutdown", "fxGlideShutdown", "InitVariables", "InitSurfaces", "CalcShifts",
        "InitGouraud", "fxStartFrame", "fxEndFrame", "Flip", "ClearScreen", "ShowPage", "BlitScreen",
        "pause_render", "unpause_render", "RenderScene", "PutDrawEnv", "DoDrMode", "DrawFlat", "DrawFlat4",
        "DrawGouraud", "DrawGouraud4", "DrawTile", "DrawFlatTexture", "DrawFlatTexture4", "DrawGouraudTexture",
        "DrawGouraudTexture4", "DrawLineFlat2", "DrawLineFlat4", "DrawLineGouraud", "LoadImagePC", "DoDrMove",
        "LoadTextures", "scripted grSstWinOpen result", "scripted pending swaps", "scripted grSstControl result",
        "a full scene list of tiles", "a full scene list of outlines", "a texture-area upload"};
    for (int calls = 0; !in_.Done() && calls < 400 && arena.blocksUsed < kBlocksFull; ++calls) {
        const unsigned op = in_.U8();
        Step(op);
        // A call adds at most four scene records; the loops of many packets
        // note how far they may reach.
        NoteSceneRecords(long{vrastex::scene.count} + 4);
        AfterCall(kNames[op % 40]);
    }
    checkedBlocks_ = 0;
    AfterCall("the whole input");
    // What the downloads left in texture memory must match too: as far as
    // either play wrote (everything above reads as 0).
    static std::vector<std::uint8_t> tex[2] = {std::vector<std::uint8_t>(0x400008),
                                               std::vector<std::uint8_t>(0x400008)};
    static int written[2] = {};
    const int mine = compare_ ? 1 : 0;
    written[mine] = std::min(standinTexMemoryWritten(0), static_cast<int>(tex[mine].size()));
    if (written[mine] > 0) standinReadTexMemory(0, 0, tex[mine].data(), written[mine]);
    if (compare_ && (written[0] != written[1] ||
                     std::memcmp(tex[0].data(), tex[1].data(), static_cast<std::size_t>(written[1])) != 0)) {
        HarnessFailure("the same calls left different texture memory the second time");
    }
}

}  // namespace

void RunExportsInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<std::uint64_t> steps;  // keeps its capacity from input to input
    steps.clear();
    Session(Reader(data, size), steps, false).Play();
    Session(Reader(data, size), steps, true).Play();
}
