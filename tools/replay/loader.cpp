#include "loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#endif
#if defined(VRASTEX_REPLAY_PE)
#include <strings.h>

#include "pe/pe_loader.h"
#endif

#include <system_error>

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

std::filesystem::path FindGlide(const std::filesystem::path& pluginDir, std::string& looked) {
    std::error_code code;
    for (const std::filesystem::path& dir : {ExecutableDirectory(), pluginDir}) {
        const std::filesystem::path candidate = dir / GlideFileName();
        looked += (looked.empty() ? "" : ", ") + dir.string();
        if (std::filesystem::is_regular_file(candidate, code)) return candidate;
    }
    char found[MAX_PATH * 4];
    const DWORD length = SearchPathA(nullptr, GlideFileName(), nullptr, sizeof found, found, nullptr);
    looked += ", the system folders and PATH";
    if (length == 0 || length >= sizeof found) return {};
    return std::filesystem::path(std::string(found, length));
}

std::filesystem::path TracerTarget(const std::filesystem::path& library, std::string& error) {
    std::error_code code;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(code);
    const std::string prefix = "vrastex-replay-";
    for (const auto& entry : std::filesystem::directory_iterator(temp, code))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove_all(entry.path(), code);
    const std::filesystem::path dir = temp / (prefix + std::to_string(GetCurrentProcessId()));
    const std::filesystem::path copy = dir / "glide2x-real.dll";
    std::filesystem::create_directories(dir, code);
    if (!code) std::filesystem::copy_file(library, copy, std::filesystem::copy_options::overwrite_existing, code);
    if (code) {
        error = "cannot copy " + library.string() + " to " + copy.string() + " for the tracer: " + code.message();
        return {};
    }
    return copy;
}

void SetEnvironment(const char* name, const std::string& value) { SetEnvironmentVariableA(name, value.c_str()); }

#else

const char* PluginFileName() { return "libvrastex.so"; }
const char* GlideFileName() { return "libglide2x.so"; }

std::filesystem::path ExecutableDirectory() {
    std::error_code code;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", code);
    return code ? std::filesystem::path() : self.parent_path();
}

#if defined(VRASTEX_REPLAY_PE)
// The 32-bit build also plays scripts through the i686 vrastex.dll: a path
// ending in .dll goes to the test PE loader, whose imports find the Glide
// stand-in already loaded from beside it.
namespace {
PeImage* peLibrary = nullptr;
bool IsDll(const std::filesystem::path& path) { return strcasecmp(path.extension().c_str(), ".dll") == 0; }
}  // namespace
#endif

void* OpenLibrary(const std::filesystem::path& path, std::string& error) {
#if defined(VRASTEX_REPLAY_PE)
    if (IsDll(path)) return peLibrary = PeLoad(path.c_str(), error);
#endif
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

void* FindSymbol(void* library, const char* name) {
#if defined(VRASTEX_REPLAY_PE)
    if (library && library == peLibrary) return PeExport(peLibrary, name);
#endif
    return dlsym(library, name);
}

std::filesystem::path FindGlide(const std::filesystem::path& pluginDir, std::string& looked) {
    std::error_code code;
    auto tryDir = [&](const std::filesystem::path& dir) {
        looked += (looked.empty() ? "" : ", ") + (dir.empty() ? std::string(".") : dir.string());
        const std::filesystem::path candidate = (dir.empty() ? std::filesystem::path(".") : dir) / GlideFileName();
        return std::filesystem::exists(candidate, code) ? candidate : std::filesystem::path();
    };
    // LD_LIBRARY_PATH: folders split at ':' or ';', an empty one meaning the
    // current folder, as the dynamic loader reads it.
    if (const char* list = std::getenv("LD_LIBRARY_PATH")) {
        const std::string paths = list;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = paths.find_first_of(":;", start);
            const std::filesystem::path found = tryDir(paths.substr(start, end - start));
            if (!found.empty()) return found;
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    if (const std::filesystem::path found = tryDir(pluginDir); !found.empty()) return found;
    // The system's own search: ask the loader, then where it found the file.
    looked += ", the system's library path";
    void* library = dlopen(GlideFileName(), RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr) return {};
    link_map* map = nullptr;
    std::filesystem::path found;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) found = map->l_name;
    // Unloaded again: a tracer may have to come first (see BindPlugin).
    dlclose(library);
    return found;
}

std::filesystem::path TracerTarget(const std::filesystem::path& library, std::string&) { return library; }

void SetEnvironment(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

#endif

}  // namespace replay
