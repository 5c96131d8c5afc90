// The control functions of standin.h.
#include <algorithm>
#include <cstring>
#include <string>

#include "model/record.h"
#include "model/script.h"
#include "model/validation.h"
#include "present/present.h"
#include "render/draw_queue.h"
#include "render/errors.h"
#include "render/pixel_pipeline.h"
#include "render/state.h"
#include "render/workers.h"
#include "standin.h"

STANDIN_API void standinReset(void) {
    ResetScript();
    // A test harness is scripting the library: no window unless it asks.
    PresentClose();
    PresentSetMode(PRESENT_NONE);
    CloseScreen();
    Device().state = DefaultRenderState(0, 0);
    ClearTexMemory();
    for (int tmu = 0; tmu < STANDIN_MEMORY_TMUS; ++tmu) SetTexMemoryLimit(tmu, Script().texMaxAddress[tmu]);
    ClearCallLog();
    SetRecording(true);
    ClearErrors();
    ResetValidation();
    SetSpecialisedSpans(true);
}

STANDIN_API void standinSetBoardCount(int numSst) { Script().boardCount = numSst; }

STANDIN_API void standinSetHardware(int queryResult, const GrHwConfiguration* config) {
    Script().hardwareResult = queryResult;
    if (config) Script().hardware = *config;
}

STANDIN_API void standinSetWinOpenResult(int result) { Script().winOpenResult = result; }

STANDIN_API void standinSetTexAddressRange(int tmu, std::uint32_t minAddress, std::uint32_t maxAddress) {
    if (tmu < 0 || tmu >= STANDIN_MEMORY_TMUS) return;
    Script().texMinAddress[tmu] = minAddress;
    Script().texMaxAddress[tmu] = maxAddress;
    SetTexMemoryLimit(tmu, maxAddress);
}

STANDIN_API void standinSetPendingSequence(const int* values, int count) {
    StandinScript& script = Script();
    script.pending.clear();
    if (values && count > 0) script.pending.assign(values, values + count);
    script.pendingNext = 0;
}

STANDIN_API void standinSetControlResult(int result) { Script().controlResult = result; }

STANDIN_API void standinSetScreenSize(std::uint32_t width, std::uint32_t height) {
    Script().screenWidthOverride = width;
    Script().screenHeightOverride = height;
}

STANDIN_API void standinSetRecording(int on) { SetRecording(on != 0); }

STANDIN_API void standinClearLog(void) { ClearCallLog(); }

STANDIN_API int standinCallCount(void) { return CallLogSize(); }

STANDIN_API const StandinCall* standinGetCall(int index) { return CallLogEntry(index); }

STANDIN_API int standinFindCall(const char* name, int from) {
    if (name == nullptr) return -1;
    for (int i = std::max(from, 0); i < CallLogSize(); ++i) {
        if (std::strncmp(CallLogEntry(i)->name, name, STANDIN_NAME_SIZE) == 0) return i;
    }
    return -1;
}

STANDIN_API int standinFormatCall(int index, char* buffer, int size) {
    const StandinCall* call = CallLogEntry(index);
    if (call == nullptr) {
        if (buffer && size > 0) buffer[0] = '\0';
        return -1;
    }
    const std::string line = FormatCall(*call);
    if (buffer && size > 0) {
        const std::size_t copied = std::min(line.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, line.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<int>(line.size());
}

STANDIN_API int standinTraceOpen(const char* path) { return OpenTrace(path) ? 1 : 0; }

STANDIN_API int standinScreenWidth(void) { return Device().screen.width; }

STANDIN_API int standinScreenHeight(void) { return Device().screen.height; }

namespace {

int CopyPixels(const std::vector<std::uint16_t>& pixels, std::uint16_t* out, int capacity) {
    if (out == nullptr || capacity <= 0) return 0;
    const std::size_t count = std::min(pixels.size(), static_cast<std::size_t>(capacity));
    std::copy_n(pixels.begin(), count, out);
    return static_cast<int>(count);
}

}  // namespace

STANDIN_API int standinReadColorBuffer(int buffer, std::uint16_t* out, int capacity) {
    FinishDrawing();
    const StandinScreen& screen = Device().screen;
    if (!screen.open || (buffer != GR_BUFFER_FRONTBUFFER && buffer != GR_BUFFER_BACKBUFFER)) return 0;
    return CopyPixels(screen.color[ColorBufferIndex(buffer)], out, capacity);
}

STANDIN_API int standinReadAuxBuffer(std::uint16_t* out, int capacity) {
    FinishDrawing();
    const StandinScreen& screen = Device().screen;
    if (!screen.open) return 0;
    return CopyPixels(screen.aux, out, capacity);
}

STANDIN_API int standinReadTexMemory(int tmu, std::uint32_t address, void* out, int size) {
    if (out == nullptr || size <= 0) return 0;
    return static_cast<int>(ReadTexMemory(tmu, address, out, static_cast<std::uint32_t>(size)));
}

STANDIN_API int standinTexMemoryWritten(int tmu) {
    if (tmu < 0 || tmu >= STANDIN_MEMORY_TMUS) return 0;
    return static_cast<int>(Device().texMemory[tmu].written);
}

STANDIN_API int standinErrorCount(void) { return ErrorCount(); }

STANDIN_API const char* standinErrorText(int index) { return ErrorText(index); }

STANDIN_API void standinClearErrors(void) { ClearErrors(); }

STANDIN_API void standinSetValidation(int on) { SetValidation(on != 0); }

STANDIN_API void standinDeclareMemory(const void* base, std::size_t bytes) { DeclareMemory(base, bytes); }

STANDIN_API void standinForgetMemory(void) { ForgetMemory(); }

STANDIN_API void standinSetDrawing(int on) { SetDrawing(on != 0); }

STANDIN_API void standinSetWindowMode(int mode) { PresentSetMode(mode); }

STANDIN_API std::uintptr_t standinPresentedWindow(int timeoutMs) { return PresentWaitShown(timeoutMs); }

STANDIN_API void standinSetWorkers(int count) {
    FinishDrawing();
    SetWorkerCount(count);
}

STANDIN_API void standinSetSpecialisedSpans(int on) {
    FinishDrawing();
    SetSpecialisedSpans(on != 0);
}
