// What is still buffered reaches the disk when the capture library is unloaded
// or the process ends: the DLL's own entry point on Windows (the DLL links no
// C runtime and has no static constructors to run), a destructor elsewhere.
#include "capture_file.h"

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI CaptureDllEntry(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) capture::CloseCapture();
    return TRUE;
}
#else
__attribute__((destructor)) static void CloseCaptureAtUnload() { capture::CloseCapture(); }
#endif
