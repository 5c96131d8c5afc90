// Control interface of the project's Glide 2.x stand-in (libglide2x.so /
// glide2x.dll). Besides the 121 Glide entry points the library exports these
// plain C functions, so tests and tools can script the results Glide gives,
// read back the log of calls, and read the frame buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "glide/glide_types.h"

#if defined(_WIN32)
#define STANDIN_API extern "C" __declspec(dllexport)
#else
#define STANDIN_API extern "C" __attribute__((visibility("default")))
#endif

enum {
    STANDIN_MAX_ARGS = 8,
    STANDIN_MAX_VERTICES = 16,
    STANDIN_NAME_SIZE = 40,
};

// One recorded Glide call.
struct StandinCall {
    char name[STANDIN_NAME_SIZE];  // plain Glide name, "grDrawLine"
    int argCount;
    // Integer and enum arguments (sign-extended from 32 bits), pointers (as
    // addresses); for a float argument the float is in floatArgs at the same
    // index and args holds its bit pattern.
    std::int64_t args[STANDIN_MAX_ARGS];
    float floatArgs[STANDIN_MAX_ARGS];
    // Copies of what the pointers referred to at the time of the call.
    int vertexCount;  // grDrawLine 2, grDrawTriangle 3, polygons their count (copies capped at 16)
    GrVertex vertices[STANDIN_MAX_VERTICES];
    int indices[STANDIN_MAX_VERTICES];  // grDrawPolygon's index list
    GrTexInfo texInfo;                  // grTexSource, grTexTextureMemRequired
    // grLfbWriteRegion: the w x h source pixels, rows packed; grTexDownloadMipMapLevel:
    // the level's texels, rows packed. Owned by the stand-in until the log is cleared.
    const std::uint16_t* pixels;
    int pixelCount;
};

// Scripting. standinReset restores every default and empties the log:
// one Voodoo Graphics board (num_sst 1, type 0, nTexelfx 1), grSstQueryHardware
// succeeds, grSstWinOpen succeeds, TMU memory [0, 0x1FFFF8] on every TMU,
// grBufferNumPending returns 0, grSstControl returns 1, recording on.
STANDIN_API void standinReset(void);
STANDIN_API void standinSetBoardCount(int numSst);  // what grSstQueryBoards reports
STANDIN_API void standinSetHardware(int queryResult, const GrHwConfiguration* config);
STANDIN_API void standinSetWinOpenResult(int result);
STANDIN_API void standinSetTexAddressRange(int tmu, std::uint32_t minAddress, std::uint32_t maxAddress);
// grBufferNumPending returns these values in turn, then 0.
STANDIN_API void standinSetPendingSequence(const int* values, int count);
STANDIN_API void standinSetControlResult(int result);
// Overrides the size grSstScreenWidth/Height report (0, 0 = the opened resolution's).
STANDIN_API void standinSetScreenSize(std::uint32_t width, std::uint32_t height);

// The call log, in call order.
STANDIN_API void standinSetRecording(int on);
STANDIN_API void standinClearLog(void);
STANDIN_API int standinCallCount(void);
STANDIN_API const StandinCall* standinGetCall(int index);
// Index of the first call named `name` at or after `from`, or -1.
STANDIN_API int standinFindCall(const char* name, int from);
// One line of the stable text form of call `index` (no newline); returns its length.
STANDIN_API int standinFormatCall(int index, char* buffer, int size);

// Trace: every call from now on is also written to `path` in the text form,
// one call a line (null closes the trace).
STANDIN_API int standinTraceOpen(const char* path);

// The screen the stand-in holds (0 x 0 while no window is open) and read-back
// of a colour buffer (0 front, 1 back) as RGB 565; returns pixels copied.
STANDIN_API int standinScreenWidth(void);
STANDIN_API int standinScreenHeight(void);
STANDIN_API int standinReadColorBuffer(int buffer, std::uint16_t* out, int capacity);
// Simulated texture memory of a TMU; returns bytes copied.
STANDIN_API int standinReadTexMemory(int tmu, std::uint32_t address, void* out, int size);
// The end of what has been written to a TMU's memory since standinReset:
// every byte from this address up reads as 0, so a caller comparing memories
// need read no further.
STANDIN_API int standinTexMemoryWritten(int tmu);

// The aux (depth) buffer of the open screen, row-major with row 0 at the top;
// returns pixels copied (0 while no window is open or it was opened with no
// aux buffer).
STANDIN_API int standinReadAuxBuffer(std::uint16_t* out, int capacity);

// Uses of Glide that the real library would reject or treat as fatal: a call
// that needs a window (clears, swaps, drawing, LFB writes) while none is open,
// a TMU or buffer that does not exist, a null record, a download that leaves
// TMU memory, an LFB source format the stand-in does not model. After a
// grSstWinOpen that failed, until the next grSstWinClose, grGlideShutdown or
// open, calls that need a window draw nothing and are no error.
// Each is kept as one line of text until standinReset or standinClearErrors.
STANDIN_API int standinErrorCount(void);
STANDIN_API const char* standinErrorText(int index);
STANDIN_API void standinClearErrors(void);

// The validation layer (on after load and after standinReset) adds to those
// errors every call a Glide 2.x library would not accept: any call but
// grGlideInit, grSstQueryBoards and grGlideShutdown while Glide is not
// initialised, an enumerated argument outside Glide's values, a polygon of
// fewer than 3 or more than 16 vertices, a vertex with a position, colour,
// alpha, oow, sow or tow that is not finite, a texture below grTexMinAddress,
// beyond grTexMaxAddress + 8 or across the 2 MiB line, an LFB write leaving
// the screen, and a pointer whose bytes lie outside the declared memory.
// A real Glide takes, and so does the layer: colours and alpha of any finite
// size (the card clamps iterated colours), grGlideShutdown without
// grGlideInit, grSstWinClose with no window, and a grSstWinOpen while a
// window is open (a reopen). Tests that drive Glide outside a session switch
// it off.
STANDIN_API void standinSetValidation(int on);
// Memory the caller owns or hands to the plug-in. Once any is declared, the
// bytes Glide reads through a pointer (texels, LFB source, vertices, index
// lists) must lie wholly inside one declared region. standinReset forgets them.
STANDIN_API void standinDeclareMemory(const void* base, std::size_t bytes);
STANDIN_API void standinForgetMemory(void);
// Drawing off: calls are checked and recorded, texture memory is written, but
// no pixel is drawn, cleared or written, no frame buffer is kept and the log
// keeps no pixel copies (for fast fuzzing). standinReset turns it on again.
STANDIN_API void standinSetDrawing(int on);

// Presentation: where grSstWinOpen shows the frames. -1 leaves the choice to
// VRASTEX_GLIDE_WINDOW (none, own, host, auto) and then to auto; 0 none
// (headless), 1 our own window, 2 the host's window (handle 0: this
// process's active window, else our own), 3 auto. standinReset sets 0.
STANDIN_API void standinSetWindowMode(int mode);
// Waits (at most timeoutMs) until every swapped frame has been shown, and
// returns the native window it went to (X11 window id, HWND), 0 without one.
STANDIN_API std::uintptr_t standinPresentedWindow(int timeoutMs);
// Threads that rasterise: 1 draws on the caller's thread as each call comes;
// N > 1 records the draws and replays them on N threads, each owning every
// N-th band of rows, whenever the frame buffer or texture memory is read or
// written. 0 restores the default: VRASTEX_GLIDE_THREADS, else one per core.
STANDIN_API void standinSetWorkers(int count);
// Off: every draw takes the general pixel path, for tests that compare it
// with the specialised spans. On after loading and after standinReset.
STANDIN_API void standinSetSpecialisedSpans(int on);
