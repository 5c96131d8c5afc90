// memcpy, memmove, memset and memcmp for vrastex.dll on Windows, which links no
// C runtime. The compiler emits calls to these for block copies and clears as
// well as for the plug-in's own calls. This file is compiled with
// -ffreestanding -fno-builtin -fno-tree-loop-distribute-patterns so that the
// loops below are never turned back into calls to the functions themselves.
#include <cstddef>
#include <cstdint>

namespace {

using Word = std::uintptr_t;
constexpr std::size_t kWord = sizeof(Word);

bool WordAligned(const void* a, const void* b) {
    return ((reinterpret_cast<Word>(a) | reinterpret_cast<Word>(b)) & (kWord - 1)) == 0;
}

}  // namespace

extern "C" {

void* memcpy(void* __restrict dst, const void* __restrict src, std::size_t n) {
    auto* d = static_cast<unsigned char*>(dst);
    const auto* s = static_cast<const unsigned char*>(src);
    if (WordAligned(d, s)) {
        for (; n >= kWord; n -= kWord, d += kWord, s += kWord) {
            *reinterpret_cast<Word*>(d) = *reinterpret_cast<const Word*>(s);
        }
    }
    for (; n != 0; --n) {
        *d++ = *s++;
    }
    return dst;
}

void* memmove(void* dst, const void* src, std::size_t n) {
    auto* d = static_cast<unsigned char*>(dst);
    const auto* s = static_cast<const unsigned char*>(src);
    if (d == s || n == 0) {
        return dst;
    }
    if (reinterpret_cast<Word>(d) < reinterpret_cast<Word>(s) ||
        reinterpret_cast<Word>(d) >= reinterpret_cast<Word>(s) + n) {
        for (; n != 0; --n) {
            *d++ = *s++;
        }
    } else {
        // Overlap with the destination above the source: copy from the end.
        d += n;
        s += n;
        for (; n != 0; --n) {
            *--d = *--s;
        }
    }
    return dst;
}

void* memset(void* dst, int value, std::size_t n) {
    auto* d = static_cast<unsigned char*>(dst);
    const auto byte = static_cast<unsigned char>(value);
    if (WordAligned(d, d)) {
        Word pattern = 0;
        for (std::size_t i = 0; i < kWord; ++i) {
            pattern = (pattern << 8) | byte;
        }
        for (; n >= kWord; n -= kWord, d += kWord) {
            *reinterpret_cast<Word*>(d) = pattern;
        }
    }
    for (; n != 0; --n) {
        *d++ = byte;
    }
    return dst;
}

int memcmp(const void* a, const void* b, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(a);
    const auto* q = static_cast<const unsigned char*>(b);
    for (; n != 0; --n, ++p, ++q) {
        if (*p != *q) {
            return *p < *q ? -1 : 1;
        }
    }
    return 0;
}

}  // extern "C"
