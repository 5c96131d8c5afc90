// Entry point of vrastex.dll on Windows.
//
// The DLL links no C runtime: the plug-in allocates nothing, opens no file and
// starts no thread, so the runtime's start-up code would only add imports. In
// its place this entry point runs, once on process attach, whatever static
// constructors the compiler placed in the constructor list (normally none: all
// module-level state is constant-initialised). Static destructors would need
// atexit, which this DLL does not have; a program that needed one would fail
// to link rather than leak silently.
#include <windows.h>

// The constructor list laid out by the MinGW linker script: a -1 word (or the
// count of entries), the constructors in link order, then a null word.
using StaticConstructor = void (*)();
extern "C" StaticConstructor __CTOR_LIST__[];

namespace {

void RunStaticConstructors() {
    const auto marker = reinterpret_cast<__INTPTR_TYPE__>(__CTOR_LIST__[0]);
    __INTPTR_TYPE__ count = marker;
    if (marker == -1) {
        count = 0;
        while (__CTOR_LIST__[count + 1] != nullptr) {
            ++count;
        }
    }
    // Run in reverse order, as the MinGW runtime does.
    for (__INTPTR_TYPE__ i = count; i >= 1; --i) {
        __CTOR_LIST__[i]();
    }
}

}  // namespace

extern "C" BOOL WINAPI DllEntry(HINSTANCE, DWORD reason, LPVOID) {
    static bool constructed = false;
    if (reason == DLL_PROCESS_ATTACH && !constructed) {
        constructed = true;
        RunStaticConstructors();
    }
    return TRUE;
}
