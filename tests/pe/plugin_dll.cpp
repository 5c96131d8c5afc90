// The plug-in's 34 exports, defined as jumps into vrastex.dll loaded by the
// PE loader, so test code written against the linked plug-in runs unchanged
// against the shipped DLL. A jump keeps the caller's argument bytes as they
// are (the exports are caller-cleans, CalcShifts takes 108 bytes by value).
#include "pe/plugin_dll.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "pe/pe_loader.h"

#define VRASTEX_EXPORTS(X)                                                                                       \
    X(0, fxDetect) X(1, fxInit) X(2, fxShutdown) X(3, fxGlideShutdown) X(4, InitVariables) X(5, InitSurfaces)    \
    X(6, CalcShifts) X(7, InitGouraud) X(8, fxStartFrame) X(9, fxEndFrame) X(10, Flip) X(11, ClearScreen)        \
    X(12, ShowPage) X(13, BlitScreen) X(14, pause_render) X(15, unpause_render) X(16, RenderScene)               \
    X(17, PutDrawEnv) X(18, DoDrMode) X(19, DrawFlat) X(20, DrawFlat4) X(21, DrawGouraud) X(22, DrawGouraud4)     \
    X(23, DrawTile) X(24, DrawFlatTexture) X(25, DrawFlatTexture4) X(26, DrawGouraudTexture)                      \
    X(27, DrawGouraudTexture4) X(28, DrawLineFlat2) X(29, DrawLineFlat4) X(30, DrawLineGouraud) X(31, LoadImagePC) \
    X(32, DoDrMove) X(33, LoadTextures)

extern "C" __attribute__((visibility("hidden"))) void* vrastexDllSlots[34];
void* vrastexDllSlots[34];

// Position-independent: the slot is found relative to the return address.
#define TRAMPOLINE(index, name)                                  \
    ".globl " #name "\n.type " #name ",@function\n" #name ":\n" \
    "  call 1f\n1: pop %eax\n  jmp *(vrastexDllSlots + 4 * " #index " - 1b)(%eax)\n"
asm(".text\n" VRASTEX_EXPORTS(TRAMPOLINE));

namespace {

PeImage* loaded = nullptr;

}  // namespace

void PluginDllLoadFresh() {
    if (loaded) PeUnload(loaded);
    std::string error;
    loaded = PeLoad(VRASTEX_PE_DLL, error);
    const char* names[] = {
#define NAME(index, name) #name,
        VRASTEX_EXPORTS(NAME)
#undef NAME
    };
    names[6] = "?CalcShifts@@YAXU_DDSURFACEDESC@@@Z";
    for (int i = 0; loaded && i < 34; ++i)
        if (!(vrastexDllSlots[i] = PeExport(loaded, names[i]))) error = std::string("no export ") + names[i], loaded = nullptr;
    if (!loaded) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
}

// Loaded before main, so a test can call the exports from its first line.
[[maybe_unused]] static const bool loadedAtStart = (PluginDllLoadFresh(), true);
