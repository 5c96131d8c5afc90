// The PE loader: stdcall thunks from a Windows-aligned stack, loads at the
// preferred base and relocated, and damaged images refused with a reason.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "pe/pe_loader.h"
#include "standin.h"

// Calls stdcall `fn` with `words` argument words, esp at the call `skew`
// bytes below a 16-byte boundary (plus the arguments); returns eax and sets
// *unpopped to the argument bytes the callee left on the stack.
extern "C" int CallFromSkewedStack(void* fn, const std::uint32_t* args, unsigned words, unsigned skew, int* unpopped);
asm(R"(
    .text
    .globl CallFromSkewedStack
    .hidden CallFromSkewedStack
CallFromSkewedStack:
    push %ebp
    mov %esp, %ebp
    push %esi
    push %edi
    push %ebx
    mov %esp, %edi
    mov 12(%ebp), %esi
    mov 16(%ebp), %ecx
    and $-16, %esp
    sub 20(%ebp), %esp
1:  test %ecx, %ecx
    jz 2f
    push -4(%esi,%ecx,4)
    dec %ecx
    jmp 1b
2:  mov %esp, %ebx
    call *8(%ebp)
    mov 16(%ebp), %ecx
    lea (%ebx,%ecx,4), %ecx
    sub %esp, %ecx
    mov 24(%ebp), %edx
    mov %ecx, (%edx)
    mov %edi, %esp
    pop %ebx
    pop %edi
    pop %esi
    pop %ebp
    ret
)");

namespace {

std::uint32_t seen[8];
unsigned seenFrameMod16;

extern "C" __attribute__((noinline)) int Target(std::uint32_t a0, std::uint32_t a1, std::uint32_t a2, std::uint32_t a3,
                                                std::uint32_t a4, std::uint32_t a5, std::uint32_t a6, std::uint32_t a7) {
    const std::uint32_t args[8] = {a0, a1, a2, a3, a4, a5, a6, a7};
    std::memcpy(seen, args, sizeof seen);
    seenFrameMod16 = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) % 16);
    return 0x5EED;
}

TEST(PeThunk, PassesEveryWordRealignsAndPopsTheArguments) {
    const std::uint32_t args[8] = {11, 0xFFFFFFFFu, 33, 0x80000000u, 55, 66, 77, 88};
    for (unsigned words = 0; words <= 8; ++words) {
        void* thunk = PeStdcallThunk(reinterpret_cast<void*>(&Target), 4 * words);
        ASSERT_NE(thunk, nullptr);
        EXPECT_EQ(PeStdcallThunk(reinterpret_cast<void*>(&Target), 4 * words), thunk);  // made once
        for (unsigned skew = 0; skew < 16; skew += 4) {
            SCOPED_TRACE(testing::Message() << words << " words, skew " << skew);
            std::memset(seen, 0, sizeof seen);
            int unpopped = -1;
            EXPECT_EQ(CallFromSkewedStack(thunk, args, words, skew, &unpopped), 0x5EED);
            EXPECT_EQ(unpopped, 0);
            // The SysV i386 ABI: 16-byte aligned at the call, so the frame pointer sits at 8 mod 16.
            EXPECT_EQ(seenFrameMod16, 8u);
            EXPECT_EQ(std::memcmp(seen, args, 4 * words), 0);
        }
    }
}

std::vector<std::uint8_t> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Word(const std::vector<std::uint8_t>& f, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, f.data() + at, 4);
    return v;
}

void SetWord(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) { std::memcpy(f.data() + at, &v, 4); }

// File offset of an RVA, through the section table.
std::size_t FileOffset(const std::vector<std::uint8_t>& f, std::uint32_t rva) {
    const std::size_t pe = Word(f, 60), sections = f[pe + 6] | f[pe + 7] << 8, opt = f[pe + 20] | f[pe + 21] << 8;
    for (std::size_t s = pe + 24 + opt, i = 0; i < sections; ++i, s += 40)
        if (rva >= Word(f, s + 12) && rva < Word(f, s + 12) + Word(f, s + 16)) return rva - Word(f, s + 12) + Word(f, s + 20);
    return 0;
}

// A hold on the preferred base, so the DLL has to go elsewhere.
struct BaseTaken {
    void* at;
    explicit BaseTaken(unsigned base) {
        at = mmap(reinterpret_cast<void*>(base), 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    }
    ~BaseTaken() { munmap(at, 4096); }
};

TEST(PeLoad, AtThePreferredBaseAndRelocatedTheExportsWork) {
    std::string error;
    PeImage* first = PeLoad(VRASTEX_PE_DLL, error);
    ASSERT_NE(first, nullptr) << error;
    const unsigned preferred = PePreferredBase(first);
    EXPECT_EQ(PeBase(first), preferred);
    PeUnload(first);
    BaseTaken taken(preferred);
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(taken.at), preferred);
    PeImage* moved = PeLoad(VRASTEX_PE_DLL, error);
    ASSERT_NE(moved, nullptr) << error;
    EXPECT_NE(PeBase(moved), preferred);
    EXPECT_EQ(PeExport(moved, "CalcShifts"), nullptr);
    // Detection binds all of Glide through the imports and thunks and asks
    // the stand-in (linked in) for its boards, from relocated code and data.
    auto detect = reinterpret_cast<int (*)()>(PeExport(moved, "fxDetect"));
    ASSERT_TRUE(detect && PeExport(moved, "?CalcShifts@@YAXU_DDSURFACEDESC@@@Z"));
    EXPECT_EQ(detect(), 1);
    PeUnload(moved);
}

// Only the diagnostic build imports OutputDebugStringA, so only a loader
// that supplies it loads that build; through it, the build says once why
// Glide failed. The plug-in loads without it and fails the same way.
TEST(PeLoad, OnlyTheDiagnosticBuildImportsOutputDebugStringA) {
    const struct {
        const char* path;
        bool debugOutput;
        const char* refused;  // why, or null when it loads
        const char* said;
    } cases[] = {
        {VRASTEX_PE_DLL, false, nullptr, ""},
        {VRASTEX_PE_DIAGNOSTIC_DLL, false,
         "imports OutputDebugStringA from KERNEL32.dll, which this loader does not supply", ""},
        {VRASTEX_PE_DIAGNOSTIC_DLL, true, nullptr, "vrastex: fxDetect: Glide found no 3Dfx board (grSstQueryBoards)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << (c.debugOutput ? " with" : " without") << " OutputDebugStringA");
        std::string error;
        PeDebugOutput().clear();
        PeImage* image = PeLoad(c.path, error, c.debugOutput);
        if (c.refused) {
            EXPECT_EQ(image, nullptr);
            EXPECT_NE(error.find(c.refused), std::string::npos) << error;
            continue;
        }
        ASSERT_NE(image, nullptr) << error;
        auto detect = reinterpret_cast<int (*)()>(PeExport(image, "fxDetect"));
        ASSERT_NE(detect, nullptr);
        standinReset();
        standinSetBoardCount(0);
        EXPECT_EQ(detect(), 0);
        EXPECT_EQ(detect(), 0);
        EXPECT_EQ(PeDebugOutput(), c.said);
        standinReset();
        PeUnload(image);
    }
}

TEST(PeLoad, DamagedOrUnsupportedImagesAreRefusedByName) {
    const std::vector<std::uint8_t> good = ReadFile(VRASTEX_PE_DLL);
    ASSERT_GT(good.size(), 1024u);
    const std::size_t pe = Word(good, 60), dirs = pe + 24 + 96;
    const std::size_t imports = FileOffset(good, Word(good, dirs + 8)), exports = FileOffset(good, Word(good, dirs));
    const std::size_t lookup = FileOffset(good, Word(good, imports)), name = FileOffset(good, Word(good, lookup)) + 2;
    const struct {
        const char* reason;
        void (*damage)(std::vector<std::uint8_t>& f, std::size_t pe, std::size_t dirs, std::size_t at);
        std::size_t at;
        bool baseTaken;
    } cases[] = {
        {"not an MZ", [](auto& f, auto, auto, auto) { f[0] = 'X'; }, 0, false},
        {"no PE header", [](auto& f, auto pe, auto, auto) { f[pe + 1] = 'X'; }, 0, false},
        {"not an i386", [](auto& f, auto pe, auto, auto) { f[pe + 4] = 0x64; }, 0, false},
        {"outside the file", [](auto& f, auto, auto, auto) { f.resize(f.size() / 2); }, 0, false},
        {"TLS", [](auto& f, auto, auto dirs, auto) { SetWord(f, dirs + 72, 0x1000); }, 0, false},
        {"delay-load", [](auto& f, auto, auto dirs, auto) { SetWord(f, dirs + 104, 0x1000); }, 0, false},
        {"no base relocations", [](auto& f, auto, auto dirs, auto) { SetWord(f, dirs + 40, 0); }, 0, true},
        {"by ordinal", [](auto& f, auto, auto, auto at) { SetWord(f, at, 0x80000001u); }, lookup, false},
        {"imports GetProcAddresz from KERNEL32.dll, which this loader does not supply",
         [](auto& f, auto, auto, auto at) { std::memcpy(f.data() + at, "GetProcAddresz", 14); }, name, false},
        {"forwarded", [](auto& f, auto, auto dirs, auto at) {
             SetWord(f, FileOffset(f, Word(f, at + 28)), Word(f, dirs) + 4); }, exports, false},
    };
    const std::string path = testing::TempDir() + "damaged.dll";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        std::vector<std::uint8_t> file = good;
        c.damage(file, pe, dirs, c.at);
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(file.data()), file.size());
        std::string error;
        BaseTaken taken(c.baseTaken ? Word(good, pe + 52) : 0);
        EXPECT_EQ(PeLoad(path.c_str(), error), nullptr);
        EXPECT_NE(error.find(path + ": refused: "), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

}  // namespace
