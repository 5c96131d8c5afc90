// A small loader for 32-bit Windows DLLs inside 32-bit Linux test programs:
// maps the sections, relocates, resolves the few KERNEL32 imports a Glide
// plug-in needs, calls the entry point and finds exports by name. Glide comes
// from the stand-in (libglide2x.so) through stdcall thunks. Anything it
// cannot honour is refused with a message naming the file and the reason.
#pragma once

#include <string>

struct PeImage;

// Loads the DLL at `path`, at its preferred base if that is free, relocated
// otherwise (always relocated when VRASTEX_PE_RELOCATED is set). Null on
// refusal, with `error` saying why. The plug-in imports LoadLibraryA and
// GetProcAddress alone; OutputDebugStringA, which only its diagnostic build
// imports, is supplied when `debugOutput` is set and refused otherwise.
PeImage* PeLoad(const char* path, std::string& error, bool debugOutput = false);
void PeUnload(PeImage* image);  // process detach, then unmapped
void* PeExport(const PeImage* image, const char* name);
unsigned PeBase(const PeImage* image);
unsigned PePreferredBase(const PeImage* image);

// A stdcall entry that calls cdecl `target` with the same `argBytes` and
// pops them on return, realigning the stack for Linux code on the way.
void* PeStdcallThunk(void* target, unsigned argBytes);

// What the DLL passed to OutputDebugStringA, in order (also on stderr).
std::string& PeDebugOutput();
