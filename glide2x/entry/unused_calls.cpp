// The Glide entry points the plug-in binds but never calls. Each takes its
// argument slots (one int per 4 bytes, so a stdcall caller's stack stays
// balanced), records its name and first arguments, and returns 0;
// grDitherMode also sets the dither mode the drawing uses.
#include <initializer_list>

#include "glide/glide_binding.h"
#include "glide/glide_entry_points.h"
#include "model/record.h"
#include "model/validation.h"
#include "render/state.h"
#include "standin.h"

// Parameter lists by argument bytes (the log keeps the first eight, so later
// ones go unnamed).
#define STANDIN_PARAMS_0 void
#define STANDIN_PARAMS_4 int a0
#define STANDIN_PARAMS_8 STANDIN_PARAMS_4, int a1
#define STANDIN_PARAMS_12 STANDIN_PARAMS_8, int a2
#define STANDIN_PARAMS_16 STANDIN_PARAMS_12, int a3
#define STANDIN_PARAMS_20 STANDIN_PARAMS_16, int a4
#define STANDIN_PARAMS_24 STANDIN_PARAMS_20, int a5
#define STANDIN_PARAMS_28 STANDIN_PARAMS_24, int a6
#define STANDIN_PARAMS_32 STANDIN_PARAMS_28, int a7
#define STANDIN_PARAMS_36 STANDIN_PARAMS_32, int
#define STANDIN_PARAMS_40 STANDIN_PARAMS_36, int
#define STANDIN_PARAMS_44 STANDIN_PARAMS_40, int
#define STANDIN_PARAMS_48 STANDIN_PARAMS_44, int
#define STANDIN_PARAMS_52 STANDIN_PARAMS_48, int
#define STANDIN_PARAMS_56 STANDIN_PARAMS_52, int
#define STANDIN_PARAMS_60 STANDIN_PARAMS_56, int
#define STANDIN_PARAMS_64 STANDIN_PARAMS_60, int

// The arguments the log keeps (at most STANDIN_MAX_ARGS).
#define STANDIN_ARGS_0
#define STANDIN_ARGS_4 a0
#define STANDIN_ARGS_8 STANDIN_ARGS_4, a1
#define STANDIN_ARGS_12 STANDIN_ARGS_8, a2
#define STANDIN_ARGS_16 STANDIN_ARGS_12, a3
#define STANDIN_ARGS_20 STANDIN_ARGS_16, a4
#define STANDIN_ARGS_24 STANDIN_ARGS_20, a5
#define STANDIN_ARGS_28 STANDIN_ARGS_24, a6
#define STANDIN_ARGS_32 STANDIN_ARGS_28, a7
#define STANDIN_ARGS_36 STANDIN_ARGS_32
#define STANDIN_ARGS_40 STANDIN_ARGS_32
#define STANDIN_ARGS_44 STANDIN_ARGS_32
#define STANDIN_ARGS_48 STANDIN_ARGS_32
#define STANDIN_ARGS_52 STANDIN_ARGS_32
#define STANDIN_ARGS_56 STANDIN_ARGS_32
#define STANDIN_ARGS_60 STANDIN_ARGS_32
#define STANDIN_ARGS_64 STANDIN_ARGS_32

namespace {

void RecordBound(GlideEntry entry, std::initializer_list<int> args) {
    CheckLifecycle(entry);
    if (CallsObserved()) {
        StandinCall& call = StartCall(entry);
        for (int value : args) AddInt(call, value);
        CommitCall(call);
    }
    // The one of them the drawing honours.
    if (entry == GLIDE_grDitherMode) Device().state.ditherMode = *args.begin();
}

}  // namespace

// Every entry point the plug-in only binds, straight from the binding's list;
// the ones it calls are in glide_calls.cpp.
#define STANDIN_DEFINE_CALLED(name, bytes)
#define STANDIN_DEFINE_READBACK(name, bytes)  // lfb_read.cpp
#define STANDIN_DEFINE_BOUND(name, bytes)                              \
    STANDIN_API int GLIDECALL name(STANDIN_PARAMS_##bytes) {           \
        RecordBound(GLIDE_##name, {STANDIN_ARGS_##bytes});             \
        return 0;                                                      \
    }
#define STANDIN_DEFINE(name, bytes, role) STANDIN_DEFINE_##role(name, bytes)
GLIDE_ENTRY_POINTS(STANDIN_DEFINE)
#undef STANDIN_DEFINE
#undef STANDIN_DEFINE_BOUND
#undef STANDIN_DEFINE_CALLED
#undef STANDIN_DEFINE_READBACK
