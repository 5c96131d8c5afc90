// Built into the diagnostic build only; the plug-in itself has no messages.
#include "glide/glide_diagnostics.h"

#include "glide/decimal_text.h"
#include "glide/glide_binding.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdlib>
#include <unistd.h>
#endif

namespace vrastex {
namespace {

#if defined(_WIN32)
constexpr const char* kLibrary = "glide2x.dll";
#define GLIDE_DIAGNOSTIC_NAMES glideDecoratedNames
#else
constexpr const char* kLibrary = "libglide2x.so";
#define GLIDE_DIAGNOSTIC_NAMES glidePlainNames
#endif

bool said[kGlideFailureCount];

// A fixed buffer: no allocation, no formatting library.
struct Message {
    char text[320];
    int length;
};

void Put(Message& m, const char* s) {
    while (s && *s && m.length < static_cast<int>(sizeof m.text) - 2) m.text[m.length++] = *s++;
}

void PutNumber(Message& m, int value) {
    char digits[24];
    FormatDecimal(value, digits);
    Put(m, digits);
}

void Say(Message& m) {
    m.text[m.length++] = '\n';
    m.text[m.length] = '\0';
#if defined(_WIN32)
    OutputDebugStringA(m.text);
#else
    if (std::getenv("VRASTEX_DEBUG") == nullptr) return;
    const ssize_t written = write(2, m.text, static_cast<size_t>(m.length));
    (void)written;
#endif
}

}  // namespace

int ExplainGlideFailure(GlideFailure failure, int value, int value2, const char* detail) {
    if (failure < 0 || failure >= kGlideFailureCount || said[failure]) return 0;
    said[failure] = true;
    Message m{};
    Put(m, "vrastex: ");
    switch (failure) {
    case kGlideLibraryMissing:
        Put(m, "cannot load the Glide library ");
        Put(m, kLibrary);
        if (detail) {
            Put(m, ": ");
            Put(m, detail);
        }
        break;
    case kGlideEntryMissing:
        Put(m, "the Glide library ");
        Put(m, kLibrary);
        Put(m, " has no entry point ");
        Put(m, value >= 0 && value < GLIDE_ENTRY_COUNT ? GLIDE_DIAGNOSTIC_NAMES[value] : "?");
        Put(m, " (not a Glide 2.x library?)");
        break;
    case kGlideNoBoardDetected:
        Put(m, "fxDetect: Glide found no 3Dfx board (grSstQueryBoards)");
        break;
    case kGlideNoBoardQueried:
        Put(m, "fxInit: Glide found no 3Dfx board (grSstQueryHardware failed)");
        break;
    case kGlideBoardType:
        Put(m, "fxInit: the first 3Dfx board has type ");
        PutNumber(m, value);
        Put(m, ", which the plug-in cannot drive (0 Voodoo Graphics, 1 SST-96, 2 AT3D, 3 Voodoo2)");
        break;
    case kGlideWindow:
        Put(m, "fxInit: Glide could not open the screen at ");
        PutNumber(m, value);
        Put(m, "x");
        PutNumber(m, value2);
        Put(m, " (grSstWinOpen failed)");
        break;
    default: break;
    }
    Say(m);
    return 0;
}

void ForgetGlideFailures() {
    for (bool& s : said) s = false;
}

}  // namespace vrastex
