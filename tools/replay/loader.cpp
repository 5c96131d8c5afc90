#include "loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace replay {

#if defined(_WIN32)

const char* PluginFileName() { return "vrastex.dll"; }
const char* GlideFileName() { return "glide2x.dll"; }

std::filesystem::path ExecutableDirectory() {
    char buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    return std::filesystem::path(std::string(buffer, length)).parent_path();
}

void* OpenLibrary(const std::filesystem::path& path, std::string& error) {
    HMODULE module = LoadLibraryA(path.string().c_str());
    if (module == nullptr) {
        const DWORD code = GetLastError();
        char text[256] = "";
        const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                            0, text, sizeof text, nullptr);
        std::string reason(text, length);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
            reason.pop_back();
        error = path.string() + ": LoadLibrary failed with error " + std::to_string(code) +
                (reason.empty() ? "" : " (" + reason + ")");
    }
    return reinterpret_cast<void*>(module);
}

void* FindSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

#else

const char* PluginFileName() { return "libvrastex.so"; }
const char* GlideFileName() { return "libglide2x.so"; }

std::filesystem::path ExecutableDirectory() {
    std::error_code code;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", code);
    return code ? std::filesystem::path() : self.parent_path();
}

void* OpenLibrary(const std::filesystem::path& path, std::string& error) {
    // An absolute path, so the search path plays no part. The Glide library
    // keeps its soname, so the plug-in's own dlopen("libglide2x.so") later
    // finds this instance.
    void* library = dlopen(std::filesystem::absolute(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* message = dlerror();
        error = message ? message : path.string() + ": cannot be loaded";
    }
    return library;
}

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

#endif

}  // namespace replay
