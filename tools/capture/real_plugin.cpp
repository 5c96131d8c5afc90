#include "real_plugin.h"

#include <cstring>
#include <initializer_list>

#include "platform.h"

namespace capture {

namespace {

constexpr int kPathCapacity = 1024;

RealPlugin real;
bool loaded = false;

// The table in RealPlugin's order, with the names the host looks up.
struct Entry {
    const char* name;
    void* slot;  // a member of RealPlugin
};

void Say(const char* first, const char* second) {
    char message[kPathCapacity + 128];
    int used = 0;
    for (const char* text : {"vrastex-capture: ", first, second, "\n"})
        for (; *text != '\0' && used < static_cast<int>(sizeof message) - 1; ++text) message[used++] = *text;
    message[used] = '\0';
    Report(message);
}

void Load() {
    char path[kPathCapacity];
    if (!GetEnvironment("VRASTEX_CAPTURE_TARGET", path, sizeof path)) {
        if (!OwnDirectory(path, sizeof path)) path[0] = '\0';
        int used = 0;
        while (path[used] != '\0') ++used;
        for (const char* name = RealPluginFileName(); *name != '\0' && used < kPathCapacity - 1; ++name)
            path[used++] = *name;
        path[used] = '\0';
    }
    void* library = OpenLibrary(path);
    if (library == nullptr) return Say("cannot load the real plug-in ", path);
    // The capture itself under the real plug-in's name would call itself forever.
    if (FindSymbol(library, "fxDetect") == reinterpret_cast<void*>(&::fxDetect))
        return Say("the real plug-in is this capture plug-in itself: ", path);
    const Entry entries[] = {
        {"fxDetect", (&real.fxDetect)},
        {"fxInit", (&real.fxInit)},
        {"fxShutdown", (&real.fxShutdown)},
        {"fxGlideShutdown", (&real.fxGlideShutdown)},
        {"InitVariables", (&real.InitVariables)},
        {"InitSurfaces", (&real.InitSurfaces)},
        {"?CalcShifts@@YAXU_DDSURFACEDESC@@@Z", (&real.CalcShifts)},
        {"InitGouraud", (&real.InitGouraud)},
        {"fxStartFrame", (&real.fxStartFrame)},
        {"fxEndFrame", (&real.fxEndFrame)},
        {"Flip", (&real.Flip)},
        {"ClearScreen", (&real.ClearScreen)},
        {"ShowPage", (&real.ShowPage)},
        {"BlitScreen", (&real.BlitScreen)},
        {"pause_render", (&real.pause_render)},
        {"unpause_render", (&real.unpause_render)},
        {"RenderScene", (&real.RenderScene)},
        {"PutDrawEnv", (&real.PutDrawEnv)},
        {"DoDrMode", (&real.DoDrMode)},
        {"DrawFlat", (&real.DrawFlat)},
        {"DrawFlat4", (&real.DrawFlat4)},
        {"DrawGouraud", (&real.DrawGouraud)},
        {"DrawGouraud4", (&real.DrawGouraud4)},
        {"DrawTile", (&real.DrawTile)},
        {"DrawFlatTexture", (&real.DrawFlatTexture)},
        {"DrawFlatTexture4", (&real.DrawFlatTexture4)},
        {"DrawGouraudTexture", (&real.DrawGouraudTexture)},
        {"DrawGouraudTexture4", (&real.DrawGouraudTexture4)},
        {"DrawLineFlat2", (&real.DrawLineFlat2)},
        {"DrawLineFlat4", (&real.DrawLineFlat4)},
        {"DrawLineGouraud", (&real.DrawLineGouraud)},
        {"LoadImagePC", (&real.LoadImagePC)},
        {"DoDrMove", (&real.DoDrMove)},
        {"LoadTextures", (&real.LoadTextures)},
    };
    static_assert(sizeof entries / sizeof entries[0] * sizeof(void*) == sizeof(RealPlugin));
    for (const Entry& entry : entries) {
        void* address = FindSymbol(library, entry.name);
        // CalcShifts is exported plainly by a build that is not a DLL.
        if (address == nullptr && entry.slot == &real.CalcShifts) address = FindSymbol(library, "CalcShifts");
        if (address == nullptr) Say("the real plug-in lacks the export ", entry.name);
        std::memcpy(entry.slot, &address, sizeof address);
    }
}

}  // namespace

const RealPlugin& Real() {
    if (!loaded) {
        loaded = true;
        Load();
    }
    return real;
}

}  // namespace capture
