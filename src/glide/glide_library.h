// Platform loader for the Glide library: "glide2x.dll" through LoadLibraryA and
// GetProcAddress with decorated names on Windows, "libglide2x.so" through
// dlopen and dlsym with plain names elsewhere.
#pragma once

#include "glide/glide_binding.h"

// Loads the library (again: every call takes a new reference, none is ever
// released). Returns 0 when it cannot be loaded.
int OpenGlideLibrary();

// Address of entry point `entry` in the library last opened, or null.
GlideProc FindGlideProc(int entry);
