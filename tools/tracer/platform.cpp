// What the tracer needs from the operating system. The Windows build links no
// C runtime: KERNEL32 functions only, its own entry point, and the plug-in's
// freestanding memcpy/memset (src/exports/freestanding.cpp).
#include "tracer.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#endif

namespace tracer {

namespace {

// Cuts a path after its last separator; false when nothing is left.
bool KeepFolder(char* path, int length) {
    while (length > 0 && path[length - 1] != '/' && path[length - 1] != '\\') --length;
    path[length] = '\0';
    return length > 0;
}

}  // namespace
}  // namespace tracer

#if defined(_WIN32)

namespace tracer {

const char* const kRealLibraryName = "glide2x-real.dll";
const char* const kTraceFileName = "glide2x-trace.txt";

namespace {
HMODULE self;
HANDLE file = INVALID_HANDLE_VALUE;
}  // namespace

bool Environment(const char* name, char* out, int size) {
    const DWORD length = GetEnvironmentVariableA(name, out, static_cast<DWORD>(size));
    return length > 0 && length < static_cast<DWORD>(size);
}

bool TracerFolder(char* out, int size) {
    const DWORD length = GetModuleFileNameA(self, out, static_cast<DWORD>(size));
    return length > 0 && length < static_cast<DWORD>(size) && KeepFolder(out, static_cast<int>(length));
}

bool ProgramFolder(char* out, int size) {
    const DWORD length = GetModuleFileNameA(nullptr, out, static_cast<DWORD>(size));
    return length > 0 && length < static_cast<DWORD>(size) && KeepFolder(out, static_cast<int>(length));
}

void* LoadLibraryAt(const char* path) { return reinterpret_cast<void*>(LoadLibraryA(path)); }

void* FindProc(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

bool OpenOutput(const char* path) {
    file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE;
}

bool WriteOutput(const char* bytes, int count) {
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) && written == DWORD(count);
}

void Report(const char* text) { OutputDebugStringA(text); }

}  // namespace tracer

// No C runtime, so no start-up code: the tracer's data is all
// constant-initialised. At unload (or process exit) the last lines go out.
extern "C" BOOL WINAPI TracerEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) tracer::self = instance;
    if (reason == DLL_PROCESS_DETACH) tracer::Flush();
    return TRUE;
}

#else

namespace tracer {

const char* const kRealLibraryName = "libglide2x-real.so";
const char* const kTraceFileName = "glide2x-trace.txt";

namespace {
int file = -1;
}  // namespace

bool Environment(const char* name, char* out, int size) {
    const char* value = getenv(name);
    if (value == nullptr || value[0] == '\0' || strlen(value) >= static_cast<size_t>(size)) return false;
    strcpy(out, value);
    return true;
}

bool TracerFolder(char* out, int size) {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&TracerFolder), &info) || info.dli_fname == nullptr) return false;
    const size_t length = strlen(info.dli_fname);
    if (length >= static_cast<size_t>(size)) return false;
    strcpy(out, info.dli_fname);
    return KeepFolder(out, static_cast<int>(length));
}

bool ProgramFolder(char* out, int size) {
    const ssize_t length = readlink("/proc/self/exe", out, static_cast<size_t>(size) - 1);
    if (length <= 0) return false;
    out[length] = '\0';
    return KeepFolder(out, static_cast<int>(length));
}

void* LoadLibraryAt(const char* path) {
    // The real library's calls among its own entry points stay inside it,
    // even when this library sits in the global scope (a program linked
    // against libglide2x.so). The sanitizers' runtime refuses RTLD_DEEPBIND.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr int kDeepBind = 0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
    constexpr int kDeepBind = 0;
#else
    constexpr int kDeepBind = RTLD_DEEPBIND;
#endif
#else
    constexpr int kDeepBind = RTLD_DEEPBIND;
#endif
    return dlopen(path, RTLD_NOW | RTLD_LOCAL | kDeepBind);
}

void* FindProc(void* library, const char* name) { return dlsym(library, name); }

bool OpenOutput(const char* path) {
    file = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return file >= 0;
}

bool WriteOutput(const char* bytes, int count) {
    while (count > 0) {
        const ssize_t written = write(file, bytes, static_cast<size_t>(count));
        if (written <= 0) return false;
        bytes += written;
        count -= static_cast<int>(written);
    }
    return true;
}

void Report(const char* text) {
    const ssize_t ignored = write(2, text, strlen(text));
    (void)ignored;
}

// The last lines go out when the library is unloaded or the program ends.
__attribute__((destructor)) void FlushAtExit() { Flush(); }

}  // namespace tracer

#endif
