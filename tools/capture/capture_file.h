// The capture on disk: a replay script (text) and its binary side file, both
// written through fixed buffers. Files are created on first use. Any failure
// to create or write them turns the capture off for good and is reported once;
// the caller goes on forwarding calls either way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace capture {

// True while the capture is being written (opens the files on the first call).
bool CaptureOn();

// Text of the script. Nothing is written while the capture is off.
void Text(const char* text);
void Char(char c);
void Decimal(std::int64_t value);
void Hex(std::uint64_t value);  // 0x1F
void EndLine();

// Appends bytes to the side file and writes "blob=OFFSET,LENGTH" to the script.
void BlobReference(const void* bytes, std::size_t count);
// The same in pieces: BlobPut as often as needed between the two.
std::uint64_t BlobStart();
void BlobPut(const void* bytes, std::size_t count);
void BlobEnd(std::uint64_t start);

// Hands everything buffered so far to the operating system.
void Flush();
// Flushes and closes both files; later calls write nothing.
void CloseCapture();

// Names of the files in use ("" before they exist), for messages and tests.
const char* ScriptPath();

}  // namespace capture
