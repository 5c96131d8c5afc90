#include "glide/glide_binding.h"

#include "glide/glide_library.h"

// Unbound entries are null; the call gateway in glide_binding.h turns a call
// through one into "nothing happens, 0 returned". Null needs no start-up code,
// so the table is valid from the moment the module is mapped.
GlideProc glideProcs[GLIDE_ENTRY_COUNT];

// The typed signatures must agree with the byte counts the names are built from.
namespace {
#define GLIDE_BYTES_OF(name, bytes, role) [[maybe_unused]] constexpr int kBytes_##name = bytes;
GLIDE_ENTRY_POINTS(GLIDE_BYTES_OF)
#undef GLIDE_BYTES_OF
#define GLIDE_CHECK_SIGNATURE(Ret, name, ...) \
    static_assert(GlideParamBytes(GlideFn_##name{}) == kBytes_##name, #name);
GLIDE_CALLED_ENTRY_POINTS(GLIDE_CHECK_SIGNATURE)
#undef GLIDE_CHECK_SIGNATURE

// The entries marked CALLED in the list are exactly those with a signature.
constexpr int kCALLEDRole = 1;
constexpr int kBOUNDRole = 0;
constexpr int kREADBACKRole = 0;
#define GLIDE_ROLE_OF(name, bytes, role) [[maybe_unused]] constexpr int kRole_##name = k##role##Role;
GLIDE_ENTRY_POINTS(GLIDE_ROLE_OF)
#undef GLIDE_ROLE_OF
#define GLIDE_CHECK_ROLE(Ret, name, ...) static_assert(kRole_##name == kCALLEDRole, #name);
GLIDE_CALLED_ENTRY_POINTS(GLIDE_CHECK_ROLE)
#undef GLIDE_CHECK_ROLE
#define GLIDE_ROLE_COUNT(name, bytes, role) +k##role##Role
#define GLIDE_SIGNATURE_COUNT(Ret, name, ...) +1
static_assert(0 GLIDE_ENTRY_POINTS(GLIDE_ROLE_COUNT) == 0 GLIDE_CALLED_ENTRY_POINTS(GLIDE_SIGNATURE_COUNT));
#undef GLIDE_ROLE_COUNT
#undef GLIDE_SIGNATURE_COUNT
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
