// What the capture needs from the operating system: files, the environment,
// one message channel and the loading of the real plug-in. KERNEL32 on
// Windows (the capture DLL links no C runtime), POSIX and dlopen elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace capture {

using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

enum class CreateResult { Created, Exists, Failed };

// Creates `path` only if no file of that name exists.
CreateResult CreateNewFile(const char* path, FileHandle& file);
// Creates or empties `path`.
FileHandle CreateOrTruncateFile(const char* path);
bool WriteAll(FileHandle file, const void* bytes, std::size_t count);
void CloseFile(FileHandle file);

// Copies the variable's value (NUL-terminated) into `out`; false when it is
// unset, empty or longer than `capacity` - 1.
bool GetEnvironment(const char* name, char* out, std::size_t capacity);

// One line for the user: OutputDebugStringA on Windows, standard error elsewhere.
void Report(const char* text);

// Directory of the capture library itself, with a trailing separator.
bool OwnDirectory(char* out, std::size_t capacity);
// File name of the real plug-in beside the capture library.
const char* RealPluginFileName();
void* OpenLibrary(const char* path);
void* FindSymbol(void* library, const char* name);

}  // namespace capture
