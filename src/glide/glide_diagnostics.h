// Why Glide could not be used. The plug-in itself says nothing: a failure is
// only its 0 result. The diagnostic build (VRASTEX_DIAGNOSTIC, the same
// sources) says it once per reason: through OutputDebugStringA on Windows (a
// debugger or DebugView shows it), on stderr elsewhere when VRASTEX_DEBUG is
// set. The exports' results are the same in both.
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

#if defined(VRASTEX_DIAGNOSTIC)
inline constexpr bool kSaysWhyGlideFailed = true;

// Says why (the first time for this reason) and returns 0, the failing
// export's result. `detail` is the system's own words, where it has any.
int ExplainGlideFailure(GlideFailure failure, int value = 0, int value2 = 0, const char* detail = nullptr);

// Lets every reason be said again (tests).
void ForgetGlideFailures();
#else
// Callers ask for `detail` only when this is true, so the plug-in makes no
// call for a message it does not write.
inline constexpr bool kSaysWhyGlideFailed = false;

inline int ExplainGlideFailure(GlideFailure, int = 0, int = 0, const char* = nullptr) { return 0; }
inline void ForgetGlideFailures() {}
#endif

}  // namespace vrastex
