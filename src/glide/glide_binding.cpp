#include "glide/glide_binding.h"

#include <utility>

#include "glide/glide_library.h"

namespace {

// A default entry: takes the entry's argument slots (so a stdcall caller's
// stack stays balanced) and returns 0, which every caller reads as "nothing"
// (no board, no pending swap, a failed open).
template <typename Seq>
struct IgnoreArgs;

template <std::size_t... I>
struct IgnoreArgs<std::index_sequence<I...>> {
    static int GLIDECALL Call(decltype((void)I, 0)...) { return 0; }
};

template <int Bytes>
GlideProc DefaultProc() {
    return reinterpret_cast<GlideProc>(&IgnoreArgs<std::make_index_sequence<Bytes / 4>>::Call);
}

}  // namespace

GlideProc glideProcs[GLIDE_ENTRY_COUNT] = {
#define GLIDE_DEFAULT(name, bytes) DefaultProc<bytes>(),
    GLIDE_ENTRY_POINTS(GLIDE_DEFAULT)
#undef GLIDE_DEFAULT
};

const char* const glideDecoratedNames[GLIDE_ENTRY_COUNT] = {
#define GLIDE_DECORATED(name, bytes) "_" #name "@" #bytes,
    GLIDE_ENTRY_POINTS(GLIDE_DECORATED)
#undef GLIDE_DECORATED
};

const char* const glidePlainNames[GLIDE_ENTRY_COUNT] = {
#define GLIDE_PLAIN(name, bytes) #name,
    GLIDE_ENTRY_POINTS(GLIDE_PLAIN)
#undef GLIDE_PLAIN
};

const int glideArgBytes[GLIDE_ENTRY_COUNT] = {
#define GLIDE_BYTES(name, bytes) bytes,
    GLIDE_ENTRY_POINTS(GLIDE_BYTES)
#undef GLIDE_BYTES
};

// The typed signatures must agree with the byte counts the names are built from.
namespace {
#define GLIDE_BYTES_OF(name, bytes) constexpr int kBytes_##name = bytes;
GLIDE_ENTRY_POINTS(GLIDE_BYTES_OF)
#undef GLIDE_BYTES_OF
#define GLIDE_CHECK_SIGNATURE(Ret, name, ...) \
    static_assert(GlideParamBytes(GlideFn_##name{}) == kBytes_##name, #name);
GLIDE_CALLED_ENTRY_POINTS(GLIDE_CHECK_SIGNATURE)
#undef GLIDE_CHECK_SIGNATURE
}  // namespace

int BindGlide() {
    if (!OpenGlideLibrary()) return 0;
    for (int i = 0; i < GLIDE_ENTRY_COUNT; ++i) {
        GlideProc proc = FindGlideProc(i);
        if (!proc) return 0;
        glideProcs[i] = proc;
    }
    return 1;
}
