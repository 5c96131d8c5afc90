// The results the stand-in gives back, as set through the control functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "glide/glide_types.h"
#include "render/state.h"

struct StandinScript {
    int boardCount;                 // grSstQueryBoards: num_sst
    int hardwareResult;             // grSstQueryHardware: the result
    GrHwConfiguration hardware;     // grSstQueryHardware: the table copied out
    int winOpenResult;              // grSstWinOpen
    std::uint32_t texMinAddress[STANDIN_MEMORY_TMUS];
    std::uint32_t texMaxAddress[STANDIN_MEMORY_TMUS];
    std::vector<int> pending;       // grBufferNumPending, in turn, then 0
    std::size_t pendingNext;
    int controlResult;              // grSstControl
    std::uint32_t screenWidthOverride;   // 0: the opened size
    std::uint32_t screenHeightOverride;
};

// The one script, holding the defaults until changed.
StandinScript& Script();

// The configuration of one Voodoo Graphics board: num_sst 1, type VOODOO,
// fbRam 2, fbiRev 0, nTexelfx 1, no SLI, TMU 0 rev 0 with 2 MB.
GrHwConfiguration DefaultHardware();

// Every scripted result back to its default.
void ResetScript();
