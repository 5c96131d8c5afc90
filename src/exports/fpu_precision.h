// The arithmetic of the plug-in is double precision rounded once to float.
// On an x87 FPU the host may leave the control word at any precision (24-bit
// is common), and the default 64-bit one rounds twice, so every export that
// computes runs with the precision set to 53 bits, round to nearest, and
// gives the host its own control word back. Elsewhere this is a plain call.
#pragma once

#include <type_traits>

#if defined(__i386__) && !defined(__SSE2_MATH__)
#define VRASTEX_X87 1
#endif

#if defined(VRASTEX_X87)
inline unsigned short SetDoublePrecision() {
    unsigned short saved;
    __asm__ volatile("fnstcw %0" : "=m"(saved));
    // Precision control 10 (53 bits), rounding control 00 (nearest).
    const unsigned short wanted = static_cast<unsigned short>((saved & ~0x0F00u) | 0x0200u);
    __asm__ volatile("fldcw %0" : : "m"(wanted));
    return saved;
}

inline void RestorePrecision(unsigned short saved) { __asm__ volatile("fldcw %0" : : "m"(saved)); }
#endif

template <typename Fn, typename... Args>
inline auto WithDoublePrecision(Fn fn, Args... args) {
#if defined(VRASTEX_X87)
    const unsigned short saved = SetDoublePrecision();
    if constexpr (std::is_void_v<decltype(fn(args...))>) {
        fn(args...);
        RestorePrecision(saved);
    } else {
        const auto result = fn(args...);
        RestorePrecision(saved);
        return result;
    }
#else
    return fn(args...);
#endif
}
