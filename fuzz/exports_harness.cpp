// fuzz_exports: the input is a sequence of export calls in any order. Every
// packet, rectangle, image and picture lives in its own allocation of exactly
// the bytes the plug-in may read; the staging surface and the page buffer sit
// between poisoned guard zones. After every call: no validation error, no
// host byte changed outside the staging surface, the page buffer and the u, v
// bytes of a page-12 packet. The whole input runs twice from a fresh start
// and must give the same Glide stream both times.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
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

// Staging surfaces up to 8192 pixels a row, and the page buffer, each with
// poisoned guard zones on both sides; allocated once.
constexpr std::size_t kGuard = 4096;
constexpr std::size_t kMaxStagingBytes = std::size_t{8192} * 512 * 2;
constexpr std::size_t kPageBytes = 256 * 256 * 2;

struct Arena {
    std::uint8_t* staging;  // kGuard + kMaxStagingBytes + kGuard
    std::uint8_t* page;     // kGuard + kPageBytes + kGuard
    std::size_t stagingBytes = 0;  // usable bytes this input
};

Arena& TheArena() {
    static Arena arena = [] {
        Arena a;
        a.staging = static_cast<std::uint8_t*>(std::calloc(kGuard + kMaxStagingBytes + kGuard, 1));
        a.page = static_cast<std::uint8_t*>(std::calloc(kGuard + kPageBytes + kGuard, 1));
        POISON(a.staging, kGuard + kMaxStagingBytes + kGuard);
        POISON(a.page, kGuard);
        POISON(a.page + kGuard + kPageBytes, kGuard);
        return a;
    }();
    return arena;
}

// One piece of host memory the plug-in gets a pointer to, with a copy of what
// it held when handed over.
struct Block {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    std::vector<std::uint8_t> before;
    // Bytes the plug-in may rewrite (the u, v of a page-12 packet).
    std::vector<int> writable;
};

class Session {
public:
    // The first play records the stream hash after each call in `steps`; the
    // second compares with it and names the first call that differs.
    Session(Reader in, std::vector<std::uint64_t>& steps, bool compare) : in_(in), steps_(steps), compare_(compare) {}

    // Plays the input; returns the hash of the Glide stream it produced.
    std::uint64_t Play();

private:
    Reader in_;
    std::vector<std::uint64_t>& steps_;
    bool compare_;
    std::size_t step_ = 0;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::uint64_t hash_ = 1469598103934665603ull;
    int stride_ = 4096;  // widest stride the staging surface holds this input
    int directStride_ = 0;  // what the last InitSurfaces handed over
    bool downloads_ = false;

    // Pixels an upload may write, on either path, are cleared before the next
    // play: cheaper than clearing megabytes every time.
    void MarkStaging(long x, long y, long w, long h);

    Block& NewBlock(std::size_t size, bool fill) {
        auto block = std::make_unique<Block>();
        block->bytes.reset(new std::uint8_t[size]);
        block->size = size;
        if (fill) in_.Bytes(block->bytes.get(), size);
        else std::memset(block->bytes.get(), 0, size);
        block->before.assign(block->bytes.get(), block->bytes.get() + size);
        if (size) standinDeclareMemory(block->bytes.get(), size);
        blocks_.push_back(std::move(block));
        return *blocks_.back();
    }

    std::size_t checkedBlocks_ = 0;

    void AfterCall(const char* name);
    void CheckUnchanged(Block& block, const char* name);
    void Mix(const void* bytes, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(bytes);
        for (std::size_t i = 0; i < n; ++i) hash_ = (hash_ ^ p[i]) * 1099511628211ull;
    }
    void MixWords(const void* bytes, std::size_t n) {
        for (std::size_t i = 0; i + 4 <= n; i += 4) {
            std::uint32_t word;
            std::memcpy(&word, static_cast<const std::uint8_t*>(bytes) + i, 4);
            hash_ = (hash_ ^ word) * 1099511628211ull;
        }
    }
    void Step(unsigned op);
    void Upload();
    void Textured(void (*fn)(void*), std::size_t size, int pageOffset, std::initializer_list<int> uv);
};

void Session::AfterCall(const char* name) {
    // FUZZ_TRACE=1 lists the calls an input makes, with the Glide calls each caused.
    static const bool trace = std::getenv("FUZZ_TRACE") != nullptr;
    if (trace) std::fprintf(stderr, "%s: %d Glide calls\n", name, standinCallCount());
    if (standinErrorCount() != 0) HarnessFailure(name, standinErrorText(0));
    // The blocks of this call now, every block at the end of the play.
    for (std::size_t b = checkedBlocks_; b < blocks_.size(); ++b) CheckUnchanged(*blocks_[b], name);
    checkedBlocks_ = blocks_.size();
    char line[4096];
    for (int i = 0; i < standinCallCount(); ++i) {
        const StandinCall& call = *standinGetCall(i);
        if (call.vertexCount > 0) {
            // Drawing: the vertices as sent (the pointers differ from play to play).
            Mix(call.name, sizeof call.name);
            Mix(&call.vertexCount, sizeof call.vertexCount);
            const int copies = call.vertexCount < STANDIN_MAX_VERTICES ? call.vertexCount : STANDIN_MAX_VERTICES;
            MixWords(call.vertices, sizeof(GrVertex) * static_cast<std::size_t>(copies));
            MixWords(call.indices, sizeof call.indices);
            continue;
        }
        downloads_ = downloads_ || std::strcmp(call.name, "grTexDownloadMipMapLevel") == 0;
        const int length = standinFormatCall(i, line, sizeof line);
        Mix(line, length > 0 && length < static_cast<int>(sizeof line) ? static_cast<std::size_t>(length) : 0);
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
    if (block.size == 0 || std::memcmp(block.bytes.get(), block.before.data(), block.size) == 0) return;
    for (std::size_t i = 0; i < block.size; ++i) {
        if (block.bytes[i] == block.before[i]) continue;
        bool allowed = false;
        for (int w : block.writable) allowed = allowed || static_cast<std::size_t>(w) == i;
        if (!allowed) HarnessFailure(name, "changed host memory outside the staging surface");
        block.before[i] = block.bytes[i];
    }
}

// Staging pixels written since the surface was last cleared.
std::size_t dirtyLo = 0, dirtyHi = 0;

void Dirty(long lo, long hi, long limit) {
    lo = lo < 0 ? 0 : lo;
    hi = hi > limit ? limit : hi;
    if (lo >= hi) return;
    if (dirtyLo == dirtyHi) {
        dirtyLo = static_cast<std::size_t>(lo);
        dirtyHi = static_cast<std::size_t>(hi);
        return;
    }
    if (static_cast<std::size_t>(lo) < dirtyLo) dirtyLo = static_cast<std::size_t>(lo);
    if (static_cast<std::size_t>(hi) > dirtyHi) dirtyHi = static_cast<std::size_t>(hi);
}

// The staging surface at this input's width: every byte the plug-in may reach.
void* Staging() { return TheArena().staging + kGuard; }
void* PageBuffer() { return TheArena().page + kGuard; }

void Session::MarkStaging(long x, long y, long w, long h) {
    if (w <= 0 || h <= 0) return;
    Dirty(y * 4096, (y + h) * 4096, 4096L * 512);  // indexed: whole rows at the fixed stride
    const long s = directStride_;
    if (s > 0) {
        const long first = s * y + (x < 320 ? x : 4 * x);
        Dirty(first, first + s * (h - 1) + w, s * 512);
    }
}

void Session::Upload() {
    auto& rect = NewBlock(8, true);
    std::int16_t w, h;
    std::memcpy(&w, rect.bytes.get() + 4, 2);
    std::memcpy(&h, rect.bytes.get() + 6, 2);
    // Images of at most 64K pixels, for speed: a taller rectangle is cut, in the packet itself.
    if (w > 0 && h > 0 && static_cast<long>(w) * h > (1 << 16)) {
        h = static_cast<std::int16_t>((1 << 16) / w);
        std::memcpy(rect.bytes.get() + 6, &h, 2);
        rect.before.assign(rect.bytes.get(), rect.bytes.get() + 8);
    }
    const void* data;
    if (h == 1 && (w == 16 || w == 256)) {
        // A colour table with the host's header in front; it holds as many
        // entries as the header byte says the plug-in will read.
        const unsigned header = in_.U8();
        const std::size_t entries = (header & 3) == 1 ? 256 : 16;
        auto& table = NewBlock(16 + 2 * entries, true);
        table.bytes[0] = static_cast<std::uint8_t>(header);
        table.before[0] = table.bytes[0];
        data = table.bytes.get() + 16;
    } else {
        const std::size_t bytes = w > 0 && h > 0 ? std::size_t(2) * w * h : 0;
        auto& pixels = NewBlock(bytes, false);
        // One input byte seeds the pixels: enough to vary indices and colours.
        const unsigned seed = in_.U8();
        std::memset(pixels.bytes.get(), static_cast<int>(seed), bytes);
        for (std::size_t i = 0; i < bytes && i < 64; ++i) pixels.bytes[i] = static_cast<std::uint8_t>(i * 37 + seed);
        pixels.before.assign(pixels.bytes.get(), pixels.bytes.get() + bytes);
        data = pixels.bytes.get();
    }
    std::int16_t x, y;
    std::memcpy(&x, rect.bytes.get(), 2);
    std::memcpy(&y, rect.bytes.get() + 2, 2);
    MarkStaging(x, y, w, h);
    LoadImagePC(rect.bytes.get(), data);
}

void Session::Textured(void (*fn)(void*), std::size_t size, int pageOffset, std::initializer_list<int> uv) {
    auto& packet = NewBlock(size, true);
    const unsigned page = packet.bytes[pageOffset] | (packet.bytes[pageOffset + 1] << 8);
    const int slot = (static_cast<int>(page & 0xF) - 5) + 11 * (((page >> 4) & 1) + ((page >> 10) & 2));
    if (slot == 12) packet.writable.assign(uv.begin(), uv.end());
    fn(packet.bytes.get());
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
        BlitScreen(picture.bytes.get(), width, height);
        break;
    }
    case 14: pause_render(); break;
    case 15: unpause_render(); break;
    case 16: RenderScene(); break;
    case 17: PutDrawEnv(NewBlock(8, true).bytes.get()); break;
    case 18: DoDrMode(NewBlock(10, true).bytes.get()); break;
    case 19: DrawFlat(NewBlock(20, true).bytes.get()); break;
    case 20: DrawFlat4(NewBlock(24, true).bytes.get()); break;
    case 21: DrawGouraud(NewBlock(28, true).bytes.get()); break;
    case 22: DrawGouraud4(NewBlock(36, true).bytes.get()); break;
    case 23: DrawTile(NewBlock(16, true).bytes.get()); break;
    case 24: Textured(DrawFlatTexture, 32, 22, {12, 13, 20, 21, 28, 29}); break;
    case 25: Textured(DrawFlatTexture4, 40, 22, {12, 13, 20, 21, 28, 29, 36, 37}); break;
    case 26: Textured(DrawGouraudTexture, 40, 26, {12, 13, 24, 25, 36, 37}); break;
    case 27: Textured(DrawGouraudTexture4, 52, 26, {12, 13, 24, 25, 36, 37, 48, 49}); break;
    case 28: {
        std::uint8_t* packet = NewBlock(16, true).bytes.get();
        DrawLineFlat2(packet, in_.S32());
        break;
    }
    case 29: {
        std::uint8_t* packet = NewBlock(24, true).bytes.get();
        DrawLineFlat4(packet, in_.S32());
        break;
    }
    case 30: DrawLineGouraud(NewBlock(20, true).bytes.get()); break;
    case 31: Upload(); break;
    case 32: DoDrMove(NewBlock(20, true).bytes.get()); break;
    case 33: LoadTextures(); break;
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
        const int count = n == 255 ? 6010 : 1 + static_cast<int>(n % 64);
        for (int i = 0; i < count; ++i) DrawTile(packet.bytes.get());
        break;
    }
    case 38: {
        auto& packet = NewBlock(24, true);
        const unsigned n = in_.U8();
        const int count = n == 255 ? 1501 : 1 + static_cast<int>(n % 16);
        for (int i = 0; i < count; ++i) DrawLineFlat4(packet.bytes.get(), 4);
        break;
    }
    default: {
        const int hostX = in_.U8() % 3 == 0 ? 320 : 400;  // display or texture area
        auto& rect = NewBlock(8, false);
        const std::int16_t fields[4] = {static_cast<std::int16_t>(hostX), static_cast<std::int16_t>(in_.U8() * 2),
                                        16, 16};
        std::memcpy(rect.bytes.get(), fields, 8);
        rect.before.assign(rect.bytes.get(), rect.bytes.get() + 8);
        MarkStaging(fields[0], fields[1], 16, 16);
        auto& pixels = NewBlock(2 * 16 * 16, true);
        LoadImagePC(rect.bytes.get(), pixels.bytes.get());
        break;
    }
    }
}

std::uint64_t Session::Play() {
    standinReset();
    standinSetDrawing(0);
    ResetPluginState();

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
    stride_ = config & 16 ? 8192 : (config & 32 ? 5000 : 4096);

    // A fresh start: the surfaces as the host allocated them (what the last
    // play wrote is cleared while its surface is still unpoisoned).
    Arena& arena = TheArena();
    std::memset(static_cast<std::uint8_t*>(Staging()) + 2 * dirtyLo, 0, 2 * (dirtyHi - dirtyLo));
    dirtyLo = dirtyHi = 0;
    const std::size_t stagingBytes = std::size_t(stride_) * 512 * 2;
    if (stagingBytes != arena.stagingBytes) {
        POISON(arena.staging + kGuard, kMaxStagingBytes);
        UNPOISON(arena.staging + kGuard, stagingBytes);
        arena.stagingBytes = stagingBytes;
    }
    std::memset(PageBuffer(), 0, kPageBytes);
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
    for (int calls = 0; !in_.Done() && calls < 400; ++calls) {
        const unsigned op = in_.U8();
        Step(op);
        AfterCall(kNames[op % 40]);
    }
    checkedBlocks_ = 0;
    AfterCall("the whole input");
    // What the downloads left in texture memory belongs to the stream too.
    if (downloads_) {
        static std::vector<std::uint64_t> tex(0x400000 / 8);
        const int read = standinReadTexMemory(0, 0, tex.data(), static_cast<int>(maxAddresses[config & 3] + 8));
        std::uint64_t h = 0;
        for (int i = 0; i < read / 8; ++i) h = (h ^ tex[static_cast<std::size_t>(i)]) * 1099511628211ull;
        Mix(&h, sizeof h);
    }
    return hash_;
}

}  // namespace

void RunExportsInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint64_t> steps;
    const std::uint64_t first = Session(Reader(data, size), steps, false).Play();
    const std::uint64_t second = Session(Reader(data, size), steps, true).Play();
    if (first != second) HarnessFailure("the same calls left different texture memory the second time");
}
