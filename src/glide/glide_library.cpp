#include "glide/glide_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {
#if defined(_WIN32)
HMODULE glideLibrary;
#else
void* glideLibrary;
#endif
}  // namespace

#if defined(_WIN32)

int OpenGlideLibrary() {
    glideLibrary = LoadLibraryA("glide2x.dll");
    return glideLibrary != nullptr;
}

GlideProc FindGlideProc(int entry) {
    return reinterpret_cast<GlideProc>(GetProcAddress(glideLibrary, glideDecoratedNames[entry]));
}

#else

int OpenGlideLibrary() {
    // The ordinary search path decides: LD_LIBRARY_PATH first, then the
    // directory of the plug-in itself (its RUNPATH is $ORIGIN).
    glideLibrary = dlopen("libglide2x.so", RTLD_NOW | RTLD_LOCAL);
    return glideLibrary != nullptr;
}

GlideProc FindGlideProc(int entry) {
    return reinterpret_cast<GlideProc>(dlsym(glideLibrary, glidePlainNames[entry]));
}

#endif
