// The platform's way of loading a library at run time, as the real host loads
// the plug-in: dlopen/dlsym here, LoadLibraryA/GetProcAddress on Windows.
#pragma once

#include <filesystem>
#include <string>

namespace replay {

// File names of the plug-in and of the Glide library beside it.
const char* PluginFileName();  // libvrastex.so / vrastex.dll
const char* GlideFileName();   // libglide2x.so / glide2x.dll

// The Glide library the plug-in at `pluginDir` will get, searched in its own
// order. Linux: each folder of LD_LIBRARY_PATH, the plug-in's folder (its
// RUNPATH), then the system's search (ld.so.cache). Windows: the program's
// folder, the plug-in's folder, then SearchPath (the system folders, PATH).
// Empty when none is found; `looked` tells where.
std::filesystem::path FindGlide(const std::filesystem::path& pluginDir, std::string& looked);

// Windows: a copy of `library` under the name glide2x-real.dll in a folder of
// this process's own (under %TEMP%, where copies left by earlier runs are
// removed). With the tracer loaded as glide2x.dll, a second module of that
// name would leave it to the system which one a later LoadLibraryA
// ("glide2x.dll") returns. Elsewhere (the loader takes the first by its
// soname) `library` itself. Empty with a message when the copy fails.
std::filesystem::path TracerTarget(const std::filesystem::path& library, std::string& error);

// Sets an environment variable for this process and the libraries it loads.
void SetEnvironment(const char* name, const std::string& value);

// Directory of the running executable; empty if it cannot be found.
std::filesystem::path ExecutableDirectory();

// Loads the library at `path` (kept loaded for the life of the process).
// Null with a message on failure.
void* OpenLibrary(const std::filesystem::path& path, std::string& error);

// Address of an exported symbol, or null.
void* FindSymbol(void* library, const char* name);

}  // namespace replay
