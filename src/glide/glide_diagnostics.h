// Why Glide could not be used, said once per reason: through
// OutputDebugStringA on Windows (a debugger or DebugView shows it), on stderr
// elsewhere when VRASTEX_DEBUG is set. The exports' results stay as they are.
#pragma once

namespace vrastex {

enum GlideFailure {
    kGlideLibraryMissing,   // the library could not be loaded (binding)
    kGlideEntryMissing,     // value: the first entry point it lacks (binding)
    kGlideNoBoardDetected,  // fxDetect: grSstQueryBoards counted no board
    kGlideNoBoardQueried,   // fxInit: grSstQueryHardware failed
    kGlideBoardType,        // fxInit: value: a board type the plug-in cannot drive
    kGlideWindow,           // fxInit: grSstWinOpen failed; value, value2: width, height
    kGlideFailureCount
};

// Says why (the first time for this reason) and returns 0, the failing
// export's result. `detail` is the system's own words, where it has any.
int ExplainGlideFailure(GlideFailure failure, int value = 0, int value2 = 0, const char* detail = nullptr);

// Lets every reason be said again (tests).
void ForgetGlideFailures();

}  // namespace vrastex
