// Builds without a window system (no SDL2): frames stay in the buffers.
#include <cstdio>

#include "present/backend.h"

bool BackendStart(const BackendRequest&, char* why, int whySize) {
    std::snprintf(why, static_cast<std::size_t>(whySize), "this build of the library has no window system");
    return false;
}

void BackendStop() {}

std::uintptr_t BackendWindow() { return 0; }
