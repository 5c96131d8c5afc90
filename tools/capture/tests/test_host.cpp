// A host that behaves as real ones do and scripts do not: it writes its
// staging surface itself between calls, changes a colour table in place, and
// sends every packet from one reused buffer, page-12 packets included (the
// plug-in rewrites their u, v there). It prints every result and a checksum of
// the host memory the plug-in may write after each call, so that two runs can
// be compared line by line.
//
//   capture_test_host PLUGIN_DIR [TRACE_FILE]
// loads PLUGIN_DIR/libglide2x.so (and has it trace to TRACE_FILE), then
// PLUGIN_DIR/libvrastex.so.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "exports/vrastex.h"

namespace {

std::vector<std::uint16_t> staging(4096 * 512);
std::vector<std::uint16_t> pageBuffer(256 * 256);
std::vector<std::uint16_t> picture(4096 * 240);
std::uint8_t packet[64];          // the one packet buffer
std::uint8_t tableMemory[16 + 512];  // header, then the colour table
std::uint8_t rectangle[8];
std::vector<std::uint8_t> pixels(2 * 64 * 256);
void* plugin = nullptr;

template <typename F>
F Export(const char* name) {
    void* address = dlsym(plugin, name);
    if (address == nullptr) {
        std::fprintf(stderr, "no export %s\n", name);
        std::exit(3);
    }
    return reinterpret_cast<F>(address);
}
#define CALL(name) Export<decltype(&::name)>(#name)

// FNV-1a over 64-bit words (the tail byte-wise): enough to tell memory apart.
std::uint32_t Checksum(const void* bytes, std::size_t count) {
    std::uint64_t sum = 14695981039346656037ull;
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        sum = (sum ^ word) * 1099511628211ull;
    }
    for (; i < count; ++i) sum = (sum ^ p[i]) * 1099511628211ull;
    return static_cast<std::uint32_t>(sum ^ (sum >> 32));
}

void Report(const char* call, long long result = 0) {
    std::printf("%s result=%lld packet=%08x staging=%08x\n", call, result, Checksum(packet, sizeof packet),
                Checksum(staging.data(), staging.size() * 2));
}

void Put16(std::uint8_t* p, int offset, int value) {
    p[offset] = static_cast<std::uint8_t>(value);
    p[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

int Upload(int x, int y, int w, int h, const void* data) {
    Put16(rectangle, 0, x), Put16(rectangle, 2, y), Put16(rectangle, 4, w), Put16(rectangle, 6, h);
    const int result = CALL(LoadImagePC)(rectangle, data);
    Report("LoadImagePC", result);
    return result;
}

// The host paints part of texture page `page` (0..10) itself.
void HostPaints(int page, int seed) {
    for (int y = 0; y < 256; y += 3)
        for (int x = 0; x < 256; x += 5)
            staging[static_cast<std::size_t>(y) * 4096 + 1280 + 256 * page + x] =
                static_cast<std::uint16_t>((x * 7 + y * 13 + seed) & 0x7FFF);
}

// Textured quadrilateral in the reused buffer; only what changes is written.
void TexturedQuad(int page, int x, int y, int u, int v) {
    std::memset(packet, 0, sizeof packet);
    packet[4] = packet[5] = packet[6] = 128;
    const int corners[4][2] = {{0, 0}, {60, 0}, {0, 60}, {60, 60}};
    const int offsets[4] = {8, 16, 24, 32};
    for (int k = 0; k < 4; ++k) {
        Put16(packet, offsets[k], x + corners[k][0]);
        Put16(packet, offsets[k] + 2, y + corners[k][1]);
        packet[offsets[k] + 4] = static_cast<std::uint8_t>(u + (corners[k][0] ? 31 : 0));
        packet[offsets[k] + 5] = static_cast<std::uint8_t>(v + (corners[k][1] ? 31 : 0));
    }
    Put16(packet, 22, page);
    CALL(DrawFlatTexture4)(packet);
    Report("DrawFlatTexture4");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string dir = argv[1];
    void* glide = dlopen((dir + "/libglide2x.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (glide == nullptr) return 3;
    if (argc > 2) {
        auto traceOpen = reinterpret_cast<int (*)(const char*)>(dlsym(glide, "standinTraceOpen"));
        if (traceOpen == nullptr || !traceOpen(argv[2])) return 4;
    }
    plugin = dlopen((dir + "/libvrastex.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr) return 3;

    Report("fxInit", CALL(fxInit)(0, 3, 0));
    CALL(InitVariables)(staging.data(), 7, pageBuffer.data(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 3);
    CALL(InitSurfaces)(1, 0, 0, 4096, 0, 0, 0, 0, 0, 5);
    std::uint8_t env[8] = {};
    Put16(env, 4, 320), Put16(env, 6, 256);
    CALL(PutDrawEnv)(env);

    // A 16-colour table kept in place and changed there between two indexed
    // uploads; a page the host paints; a host write in a row the second
    // upload covers.
    for (int i = 0; i < 16; ++i) Put16(tableMemory + 16, 2 * i, 0x8000 | (i * 0x0421));
    Upload(0, 0, 16, 1, tableMemory + 16);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 37 + i / 128);
    Upload(512, 0, 64, 256, pixels.data());  // page 3
    for (int i = 0; i < 16; ++i) Put16(tableMemory + 16, 2 * i, 0x7C00 >> (i % 11));
    HostPaints(5, 1);
    staging[10 * 4096 + 1280 + 256 * 2 + 100] = 0x1234;  // page 2, row 10, beside the upload
    staging[31 * 4096 + 1280 + 256 * 2 + 200] = 0x2345;  // the upload's last row
    staging[511 * 4096 + 1280 + 256 * 5 + 255] = 0x3456;  // page 16's last texel, row 511
    Upload(448, 0, 16, 32, pixels.data());                 // page 2, rows 0..31, columns 0..63
    CALL(LoadTextures)();
    Report("LoadTextures");
    HostPaints(5, 2);  // pages are current: nothing reads this until they are cut again

    // Page 12's redirect cells, then textured packets from the one buffer.
    std::uint8_t move[20] = {};
    Put16(move, 8, 384), Put16(move, 10, 448), Put16(move, 12, 512), Put16(move, 14, 32);
    CALL(DoDrMove)(move);
    Put16(move, 8, 392), Put16(move, 12, 704), Put16(move, 14, 64);
    CALL(DoDrMove)(move);
    for (int frame = 0; frame < 3; ++frame) {
        CALL(fxStartFrame)();
        TexturedQuad(0x0008, 10, 10, 0, 0);           // page 3
        TexturedQuad(0x000A, 80, 10, 20, 30);         // page 5, painted by the host
        TexturedQuad(0x0016, 150, 10, 0, 200);        // page 12: cell 0
        // The same buffer again with only its position moved: its u, v are
        // what the plug-in left there.
        Put16(packet, 8, 150), Put16(packet, 10, 100);
        CALL(DrawFlatTexture4)(packet);
        Report("DrawFlatTexture4");
        TexturedQuad(0x0016, 220, 10, 32 + frame, 200);  // cell 1
        std::memset(packet, 0, sizeof packet);
        packet[4] = 200, packet[7] = 2;
        Put16(packet, 8, 10), Put16(packet, 10, 200), Put16(packet, 12, 300), Put16(packet, 14, 250);
        CALL(DrawTile)(packet);
        Report("RenderScene", CALL(RenderScene)());
        CALL(fxEndFrame)();
        CALL(Flip)();
        HostPaints(5, 10 + frame);  // between frames, unnoticed until pages are cut
    }

    // Pausing cuts every page again, from what the host painted meanwhile.
    Report("pause_render", CALL(pause_render)());
    HostPaints(7, 99);
    CALL(unpause_render)();
    Report("unpause_render");
    for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<std::uint16_t>(i * 5);
    CALL(BlitScreen)(picture.data(), 320, 240);
    TexturedQuad(0x000C, 10, 10, 0, 0);  // page 7
    Report("RenderScene", CALL(RenderScene)());
    CALL(Flip)();
    Report("fxShutdown", CALL(fxShutdown)());
    CALL(fxGlideShutdown)();
    Report("end");
    return 0;
}
