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
