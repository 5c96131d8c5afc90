#include "platform.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#endif

namespace capture {

#if defined(_WIN32)

CreateResult CreateNewFile(const char* path, FileHandle& file) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? CreateResult::Exists
                                                                           : CreateResult::Failed;
    }
    file = reinterpret_cast<FileHandle>(handle);
    return CreateResult::Created;
}

FileHandle CreateOrTruncateFile(const char* path) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

bool WriteAll(FileHandle file, const void* bytes, std::size_t count) {
    const auto* p = static_cast<const char*>(bytes);
    while (count > 0) {
        const DWORD chunk = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(file), p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        count -= written;
    }
    return true;
}

void CloseFile(FileHandle file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

bool GetEnvironment(const char* name, char* out, std::size_t capacity) {
    const DWORD length = GetEnvironmentVariableA(name, out, static_cast<DWORD>(capacity));
    return length > 0 && length < capacity;
}

void Report(const char* text) { OutputDebugStringA(text); }

bool OwnDirectory(char* out, std::size_t capacity) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&OwnDirectory), &self))
        return false;
    const DWORD length = GetModuleFileNameA(self, out, static_cast<DWORD>(capacity));
    if (length == 0 || length >= capacity) return false;
    DWORD cut = length;
    while (cut > 0 && out[cut - 1] != '\\' && out[cut - 1] != '/') --cut;
    out[cut] = '\0';
    return true;
}

const char* RealPluginFileName() { return "vrastex-real.dll"; }

void* OpenLibrary(const char* path) { return reinterpret_cast<void*>(LoadLibraryA(path)); }

void* FindSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

#else

CreateResult CreateNewFile(const char* path, FileHandle& file) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
    file = fd;
    return CreateResult::Created;
}

FileHandle CreateOrTruncateFile(const char* path) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd < 0 ? kNoFile : fd;
}

bool WriteAll(FileHandle file, const void* bytes, std::size_t count) {
    const auto* p = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t written = write(static_cast<int>(file), p, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        p += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

void CloseFile(FileHandle file) { close(static_cast<int>(file)); }

bool GetEnvironment(const char* name, char* out, std::size_t capacity) {
    const char* value = getenv(name);
    if (value == nullptr) return false;
    const std::size_t length = strlen(value);
    if (length == 0 || length >= capacity) return false;
    memcpy(out, value, length + 1);
    return true;
}

void Report(const char* text) {
    const std::size_t length = strlen(text);
    if (write(2, text, length) < 0) return;  // nowhere left to say it
}

bool OwnDirectory(char* out, std::size_t capacity) {
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&OwnDirectory), &info) == 0 || info.dli_fname == nullptr) return false;
    const std::size_t length = strlen(info.dli_fname);
    std::size_t cut = length;
    while (cut > 0 && info.dli_fname[cut - 1] != '/') --cut;
    if (cut + 1 > capacity) return false;
    memcpy(out, info.dli_fname, cut);
    out[cut] = '\0';
    return true;
}

const char* RealPluginFileName() { return "libvrastex-real.so"; }

void* OpenLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

#endif

}  // namespace capture
