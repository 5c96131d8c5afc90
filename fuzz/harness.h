// The three fuzz harnesses. Each takes one input, runs it and aborts with a
// message on anything wrong; libFuzzer drives them (fuzz_*.cpp), and the
// regression driver replays the committed inputs through them in the normal
// test build.
#pragma once

#include <cstddef>
#include <cstdint>

// A sequence of export calls in any order, against the recording stand-in
// with validation on and drawing off, played twice from a fresh start.
void RunExportsInput(const std::uint8_t* data, std::size_t size);

// The software Glide's drawing and texture entry points with hostile values.
void RunRasterInput(const std::uint8_t* data, std::size_t size);

// The replay script reader (and, for scripts that parse, the runner) on any text.
void RunScriptInput(const std::uint8_t* data, std::size_t size);

// Prints "fuzz harness: <what>" and aborts.
[[noreturn]] void HarnessFailure(const char* what, const char* detail = nullptr);
