#include "glide/glide_library.h"

#include "glide/glide_diagnostics.h"

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
    if (glideLibrary == nullptr) return vrastex::ExplainGlideFailure(vrastex::kGlideLibraryMissing);
    return 1;
}

GlideProc FindGlideProc(int entry) {
    const auto proc = reinterpret_cast<GlideProc>(GetProcAddress(glideLibrary, glideDecoratedNames[entry]));
    if (proc == nullptr) vrastex::ExplainGlideFailure(vrastex::kGlideEntryMissing, entry);
    return proc;
}

#else

int OpenGlideLibrary() {
    // The ordinary search path decides: LD_LIBRARY_PATH first, then the
    // directory of the plug-in itself (its RUNPATH is $ORIGIN).
    glideLibrary = dlopen("libglide2x.so", RTLD_NOW | RTLD_LOCAL);
    if (glideLibrary != nullptr) return 1;
    return vrastex::ExplainGlideFailure(vrastex::kGlideLibraryMissing, 0, 0,
                                        vrastex::kSaysWhyGlideFailed ? dlerror() : nullptr);
}

GlideProc FindGlideProc(int entry) {
    const auto proc = reinterpret_cast<GlideProc>(dlsym(glideLibrary, glidePlainNames[entry]));
    if (proc == nullptr) vrastex::ExplainGlideFailure(vrastex::kGlideEntryMissing, entry);
    return proc;
}

#endif
