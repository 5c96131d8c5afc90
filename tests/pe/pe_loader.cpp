#include "pe/pe_loader.h"

#include <dlfcn.h>
#include <strings.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#if !defined(__i386__)
#error "the PE loader runs 32-bit Windows code: build it with -m32"
#endif

#define WINAPI __attribute__((stdcall, force_align_arg_pointer))

struct PeImage {
    std::uint8_t* base;
    std::uint32_t size, preferred, entry, exportRva, exportSize;
};

namespace {

std::uint32_t U32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// --- KERNEL32 as a Glide plug-in sees it ---------------------------------

// Only the Glide library exists; it is the stand-in, found by the ordinary
// search path so that LD_LIBRARY_PATH picks the variant.
void* WINAPI LoadLibraryA(const char* name) {
    if (!name || strcasecmp(name, "glide2x.dll") != 0) return nullptr;
    return dlopen("libglide2x.so", RTLD_NOW | RTLD_LOCAL);
}

// "_grDrawLine@8" is the stand-in's grDrawLine taking 8 argument bytes.
void* WINAPI GetProcAddress(void* module, const char* name) {
    if (!module || reinterpret_cast<std::uintptr_t>(name) < 0x10000 || name[0] != '_') return nullptr;
    const char* at = std::strrchr(name, '@');
    if (!at || at == name + 1 || !at[1]) return nullptr;
    char* end = nullptr;
    const unsigned long bytes = std::strtoul(at + 1, &end, 10);
    if (*end || bytes % 4 || bytes > 112) return nullptr;
    const std::string plain(name + 1, at);
    void* target = dlsym(module, plain.c_str());
    return target ? PeStdcallThunk(target, static_cast<unsigned>(bytes)) : nullptr;
}

void WINAPI OutputDebugStringA(const char* text) {
    if (!text) return;
    PeDebugOutput() += text;
    std::fprintf(stderr, "vrastex.dll: %s", text);
}

const struct {
    const char* name;
    void* address;
} kKernel32[] = {
    {"LoadLibraryA", reinterpret_cast<void*>(&LoadLibraryA)},
    {"GetProcAddress", reinterpret_cast<void*>(&GetProcAddress)},
    {"OutputDebugStringA", reinterpret_cast<void*>(&OutputDebugStringA)},
};

// --- mapping ---------------------------------------------------------------

using EntryPoint = int(__attribute__((stdcall)) *)(void*, std::uint32_t, void*);

int CallEntry(const PeImage* image, std::uint32_t reason) {
    if (!image->entry) return 1;
    return reinterpret_cast<EntryPoint>(image->base + image->entry)(image->base, reason, nullptr);
}

// Builds the image in `out`; returns the reason for refusing it, or "".
std::string Map(const std::vector<std::uint8_t>& file, PeImage& out, bool debugOutput) {
    const std::size_t n = file.size();
    const std::uint8_t* f = file.data();
    if (n < 64 || f[0] != 'M' || f[1] != 'Z') return "not an MZ executable";
    const std::uint32_t pe = U32(f + 60);
    if (pe > n - 24 || std::memcmp(f + pe, "PE\0\0", 4) != 0) return "no PE header";
    const std::uint8_t* coff = f + pe + 4;
    if (U16(coff) != 0x14C) return "not an i386 image";
    const unsigned sections = U16(coff + 2), optSize = U16(coff + 16);
    const std::uint8_t* opt = coff + 20;
    if (optSize < 96 || pe + 24 + optSize + 40ull * sections > n || U16(opt) != 0x10B) return "truncated or not PE32 headers";
    const std::uint32_t dirCount = U32(opt + 92), headerSize = U32(opt + 60);
    out.preferred = U32(opt + 28);
    out.size = U32(opt + 56);
    out.entry = U32(opt + 16);
    if (96 + 8ull * dirCount > optSize || out.size == 0 || out.size > (256u << 20) || headerSize > n || headerSize > out.size)
        return "malformed optional header";
    const auto dir = [&](unsigned i, std::uint32_t& rva, std::uint32_t& size) {
        rva = size = 0;
        if (i < dirCount) rva = U32(opt + 96 + 8 * i), size = U32(opt + 100 + 8 * i);
        return rva != 0;
    };
    std::uint32_t rva, size;
    if (dir(9, rva, size)) return "it has TLS (thread-local data and callbacks are not supported)";
    if (dir(13, rva, size)) return "it has delay-load imports";

    // VRASTEX_PE_RELOCATED: a page held at the preferred base for the rest of
    // the process makes every load a relocated one.
    static const bool hold = std::getenv("VRASTEX_PE_RELOCATED") &&
                             mmap(reinterpret_cast<void*>(out.preferred), 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1,
                                  0) == reinterpret_cast<void*>(out.preferred);
    void* at = mmap(reinterpret_cast<void*>(out.preferred), out.size, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED) return "cannot map " + std::to_string(out.size) + " bytes";
    out.base = static_cast<std::uint8_t*>(at);
    if (std::getenv("VRASTEX_PE_RELOCATED") && (!hold || at == reinterpret_cast<void*>(out.preferred)))
        return "VRASTEX_PE_RELOCATED is set but the preferred base could not be kept free";
    std::uint8_t* b = out.base;
    std::memcpy(b, f, headerSize);
    // Ranges inside the mapped image only; everything below reads through these.
    const auto inside = [&](std::uint32_t r, std::uint32_t len) { return r <= out.size && len <= out.size - r; };
    const auto text = [&](std::uint32_t r) -> const char* {
        if (!inside(r, 1) || !std::memchr(b + r, 0, out.size - r)) return nullptr;
        return reinterpret_cast<const char*>(b + r);
    };

    const std::uint8_t* sec = opt + optSize;
    for (unsigned i = 0; i < sections; ++i, sec += 40) {
        const std::uint32_t vsize = U32(sec + 8), va = U32(sec + 12), raw = U32(sec + 16), from = U32(sec + 20);
        const std::uint32_t copy = vsize && raw > vsize ? vsize : raw;
        if (!inside(va, vsize > raw ? vsize : raw) || (copy && (from > n || copy > n - from)))
            return "section " + std::to_string(i) + " lies outside the file or the image";
        std::memcpy(b + va, f + from, copy);
    }

    const std::uint32_t delta = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(b)) - out.preferred;
    if (delta && !dir(5, rva, size)) return "it must be relocated and has no base relocations";
    if (delta) {
        for (std::uint32_t r = rva; r < rva + size;) {
            if (!inside(r, 8)) return "base relocations run past the image";
            const std::uint32_t page = U32(b + r), block = U32(b + r + 4);
            if (block < 8 || block > rva + size - r) return "malformed base relocation block";
            for (std::uint32_t k = 8; k + 2 <= block; k += 2) {
                const unsigned entry = U16(b + r + k), type = entry >> 12, target = page + (entry & 0xFFF);
                if (type == 0) continue;
                if (type != 3 || !inside(target, 4)) return "unsupported base relocation of type " + std::to_string(type);
                const std::uint32_t value = U32(b + target) + delta;
                std::memcpy(b + target, &value, 4);
            }
            r += block;
        }
    }

    if (dir(1, rva, size)) {
        for (std::uint32_t d = rva;; d += 20) {
            if (!inside(d, 20)) return "import directory runs past the image";
            if (!U32(b + d + 12)) break;
            const char* dll = text(U32(b + d + 12));
            if (!dll) return "malformed import directory";
            std::uint32_t names = U32(b + d) ? U32(b + d) : U32(b + d + 16), slots = U32(b + d + 16);
            for (;; names += 4, slots += 4) {
                if (!inside(names, 4) || !inside(slots, 4)) return "import table of " + std::string(dll) + " runs past the image";
                const std::uint32_t word = U32(b + names);
                if (!word) break;
                if (word & 0x80000000u) return "it imports from " + std::string(dll) + " by ordinal";
                const char* name = text(word + 2);
                if (!name) return "malformed import name";
                void* address = nullptr;
                for (const auto& k : kKernel32)
                    if (!strcasecmp(dll, "KERNEL32.dll") && !std::strcmp(name, k.name)) address = k.address;
                if (!debugOutput && !std::strcmp(name, "OutputDebugStringA")) address = nullptr;
                if (!address) return "it imports " + std::string(name) + " from " + dll + ", which this loader does not supply";
                std::memcpy(b + slots, &address, 4);
            }
        }
    }

    if (dir(0, out.exportRva, out.exportSize)) {
        if (!inside(out.exportRva, 40) || !inside(out.exportRva, out.exportSize)) return "malformed export directory";
        const std::uint8_t* e = b + out.exportRva;
        const std::uint32_t count = U32(e + 20), named = U32(e + 24);
        if (count > 65536 || named > count || !inside(U32(e + 28), 4 * count) || !inside(U32(e + 32), 4 * named) ||
            !inside(U32(e + 36), 2 * named))
            return "malformed export directory";
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t target = U32(b + U32(e + 28) + 4 * i);
            if (target >= out.exportRva && target < out.exportRva + out.exportSize)
                return "export " + std::to_string(i) + " is forwarded to another DLL";
            if (target && !inside(target, 1)) return "export " + std::to_string(i) + " lies outside the image";
        }
        for (std::uint32_t i = 0; i < named; ++i)
            if (!text(U32(b + U32(e + 32) + 4 * i)) || U16(b + U32(e + 36) + 2 * i) >= count) return "malformed export names";
    }
    if (out.entry && !inside(out.entry, 1)) return "entry point outside the image";

    // Section rights as Windows gives them, so a stray write into code or
    // constants faults here as it would there.
    mprotect(b, headerSize ? headerSize : 1, PROT_READ);
    sec = opt + optSize;
    for (unsigned i = 0; i < sections; ++i, sec += 40) {
        const std::uint32_t va = U32(sec + 12), flags = U32(sec + 36);
        const std::uint32_t len = U32(sec + 8) ? U32(sec + 8) : U32(sec + 16);
        if (va % 4096 || !len) continue;
        mprotect(b + va, len, PROT_READ | (flags & 0x20000000 ? PROT_EXEC : 0) | (flags & 0x80000000 ? PROT_WRITE : 0));
    }
    return "";
}

}  // namespace

PeImage* PeLoad(const char* path, std::string& error, bool debugOutput) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string(path) + ": cannot be read";
        return nullptr;
    }
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    PeImage image{};
    std::string reason = Map(file, image, debugOutput);
    if (reason.empty() && !CallEntry(&image, 1)) reason = "its entry point refused process attach";
    if (reason.empty()) return new PeImage(image);
    if (image.base) munmap(image.base, image.size);
    error = std::string(path) + ": refused: " + reason;
    return nullptr;
}

void PeUnload(PeImage* image) {
    if (!image) return;
    CallEntry(image, 0);
    munmap(image->base, image->size);
    delete image;
}

void* PeExport(const PeImage* image, const char* name) {
    if (!image->exportRva) return nullptr;
    const std::uint8_t* b = image->base;
    const std::uint8_t* e = b + image->exportRva;
    for (std::uint32_t i = 0; i < U32(e + 24); ++i) {
        if (std::strcmp(reinterpret_cast<const char*>(b + U32(b + U32(e + 32) + 4 * i)), name) != 0) continue;
        const std::uint32_t target = U32(b + U32(e + 28) + 4 * U16(b + U32(e + 36) + 2 * i));
        return target ? const_cast<std::uint8_t*>(b + target) : nullptr;
    }
    return nullptr;
}

unsigned PeBase(const PeImage* image) { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(image->base)); }
unsigned PePreferredBase(const PeImage* image) { return image->preferred; }

void* PeStdcallThunk(void* target, unsigned argBytes) {
    // One thunk per target for the life of the process: a DLL loaded afresh
    // for every test binds the same entries again.
    static std::map<std::pair<void*, unsigned>, void*> made;
    static std::uint8_t* arena = nullptr;
    static std::size_t used = 0, capacity = 1 << 20;
    void*& thunk = made[{target, argBytes}];
    if (thunk) return thunk;
    if (!arena) {
        void* at = mmap(nullptr, capacity, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (at == MAP_FAILED) return nullptr;
        arena = static_cast<std::uint8_t*>(at);
    }
    std::uint8_t code[32 + 8 * 28];
    std::size_t k = 0;
    const auto put = [&](std::initializer_list<std::uint8_t> bytes) { for (std::uint8_t x : bytes) code[k++] = x; };
    const auto put32 = [&](std::uint32_t v) { put({std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}); };
    put({0x55, 0x89, 0xE5});                                          // push ebp; mov ebp, esp
    put({0x81, 0xEC}), put32(argBytes);                               // sub esp, argBytes
    put({0x83, 0xE4, 0xF0});                                          // and esp, -16
    for (unsigned at = 0; at < argBytes; at += 4) {
        put({0x8B, 0x4D, std::uint8_t(8 + at)});                     // mov ecx, [ebp + 8 + at]
        put({0x89, 0x4C, 0x24, std::uint8_t(at)});                    // mov [esp + at], ecx
    }
    put({0xB8}), put32(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(target)));  // mov eax, target
    put({0xFF, 0xD0, 0xC9, 0xC2, std::uint8_t(argBytes), std::uint8_t(argBytes >> 8)});         // call eax; leave; ret argBytes
    if (argBytes > 112 || used + k > capacity) return nullptr;
    std::memcpy(arena + used, code, k);
    thunk = arena + used;
    used += (k + 15) & ~std::size_t{15};
    return thunk;
}

std::string& PeDebugOutput() {
    static std::string text;
    return text;
}
