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

// Input bytes, read front to back; zeros once they run out. Multi-byte
// values are little-endian, read one byte after the other.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Done() const { return at_ >= size_; }
    unsigned U8() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t U32() {
        std::uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) value |= std::uint32_t{U8()} << shift;
        return value;
    }
    int S16() {
        const unsigned low = U8();
        return static_cast<std::int16_t>(low | (U8() << 8));
    }
    int S32() { return static_cast<int>(U32()); }
    void Bytes(std::uint8_t* out, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(U8());
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Prints "fuzz harness: <what>" and aborts.
[[noreturn]] void HarnessFailure(const char* what, const char* detail = nullptr);
