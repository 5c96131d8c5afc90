// The 121 Glide entry points: each writes its call's line, then forwards the
// call to the real library with the same arguments and returns its result.
#include <initializer_list>
#include <type_traits>

#include "model/trace_format.h"
#include "tracer.h"
#include "tracer_signatures.h"

#if defined(_WIN32)
#define TRACER_EXPORT extern "C"  // the export list is the .def file
#else
#define TRACER_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

template <GlideEntry entry, typename... A>
void TraceArguments(A... args) {
    tracer::Trace(entry, NewCallWith(entry, args...));
}

template <GlideEntry entry, typename... A>
void TraceName(A...) {
    tracer::Trace(entry, NewCall(entry));
}

template <typename T>
T Zero() {
    return T();
}

// A missing entry in the real library answers 0, like an unbound entry of the
// plug-in's own binding table.
#define TRACER_FORWARD(Ret, name, params, args)                                               \
    const auto real = reinterpret_cast<Ret(GLIDECALL*) params>(tracer::RealProc(GLIDE_##name)); \
    if (real == nullptr) return Zero<Ret>();                                                  \
    return real args;

}  // namespace

#define TRACER_DEFINE(trace, Ret, name, params, args) \
    TRACER_EXPORT Ret GLIDECALL name params {          \
        trace<GLIDE_##name> args;                      \
        TRACER_FORWARD(Ret, name, params, args)        \
    }
#define TRACER_DEFINE_ARGUMENTS(...) TRACER_DEFINE(TraceArguments, __VA_ARGS__)
#define TRACER_DEFINE_NAME(...) TRACER_DEFINE(TraceName, __VA_ARGS__)
TRACER_ARGUMENT_ENTRY_POINTS(TRACER_DEFINE_ARGUMENTS)
TRACER_NAME_ENTRY_POINTS(TRACER_DEFINE_NAME)
#undef TRACER_DEFINE_NAME
#undef TRACER_DEFINE_ARGUMENTS
#undef TRACER_DEFINE

// Points at records and vertices whose contents the text form prints.

namespace {

void TraceTexInfo(GlideEntry entry, StandinCall& call, const GrTexInfo* info) {
    if (info) call.texInfo = *info;
    tracer::Trace(entry, call);
}

}  // namespace

TRACER_EXPORT void GLIDECALL grTexSource(FxI32 tmu, FxU32 start, FxU32 evenOdd, GrTexInfo* info) {
    StandinCall call = NewCallWith(GLIDE_grTexSource, tmu, start, evenOdd, static_cast<const void*>(info));
    TraceTexInfo(GLIDE_grTexSource, call, info);
    TRACER_FORWARD(void, grTexSource, (FxI32, FxU32, FxU32, GrTexInfo*), (tmu, start, evenOdd, info))
}

TRACER_EXPORT FxU32 GLIDECALL grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) {
    StandinCall call = NewCallWith(GLIDE_grTexTextureMemRequired, evenOdd, static_cast<const void*>(info));
    TraceTexInfo(GLIDE_grTexTextureMemRequired, call, info);
    TRACER_FORWARD(FxU32, grTexTextureMemRequired, (FxU32, GrTexInfo*), (evenOdd, info))
}

TRACER_EXPORT void GLIDECALL grDrawPolygon(int count, const int* ilist, const GrVertex* vlist) {
    StandinCall call = NewCallWith(GLIDE_grDrawPolygon, FxI32{count}, static_cast<const void*>(ilist),
                                   static_cast<const void*>(vlist));
    AddPolygon(call, true, count, ilist, vlist);
    tracer::Trace(GLIDE_grDrawPolygon, call);
    TRACER_FORWARD(void, grDrawPolygon, (int, const int*, const GrVertex*), (count, ilist, vlist))
}

TRACER_EXPORT void GLIDECALL grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    StandinCall call = NewCallWith(GLIDE_grDrawTriangle, static_cast<const void*>(a), static_cast<const void*>(b),
                                   static_cast<const void*>(c));
    for (const GrVertex* v : {a, b, c}) AddVertex(call, v);
    tracer::Trace(GLIDE_grDrawTriangle, call);
    TRACER_FORWARD(void, grDrawTriangle, (const GrVertex*, const GrVertex*, const GrVertex*), (a, b, c))
}

TRACER_EXPORT void GLIDECALL grDrawLine(const GrVertex* a, const GrVertex* b) {
    StandinCall call = NewCallWith(GLIDE_grDrawLine, static_cast<const void*>(a), static_cast<const void*>(b));
    AddVertex(call, a);
    AddVertex(call, b);
    tracer::Trace(GLIDE_grDrawLine, call);
    TRACER_FORWARD(void, grDrawLine, (const GrVertex*, const GrVertex*), (a, b))
}

TRACER_EXPORT void GLIDECALL grDrawPolygonVertexList(int count, const GrVertex* vlist) {
    StandinCall call = NewCallWith(GLIDE_grDrawPolygonVertexList, FxI32{count}, static_cast<const void*>(vlist));
    AddPolygon(call, false, count, nullptr, vlist);
    tracer::Trace(GLIDE_grDrawPolygonVertexList, call);
    TRACER_FORWARD(void, grDrawPolygonVertexList, (int, const GrVertex*), (count, vlist))
}

TRACER_EXPORT FxBool GLIDECALL grLfbWriteRegion(FxI32 buffer, FxU32 x, FxU32 y, FxU32 format, FxU32 width,
                                                FxU32 height, FxI32 stride, const void* src) {
    const StandinCall call = NewCallWith(GLIDE_grLfbWriteRegion, buffer, x, y, format, width, height, stride, src);
    std::uint32_t hash = kPixelHashStart;
    const bool hashed = LfbBlockHashed(format, width, height, src);
    for (FxU32 row = 0; hashed && row < height; ++row) {
        hash = PixelHashBytes(hash, static_cast<const char*>(src) + static_cast<std::ptrdiff_t>(row) * stride,
                              width * 2);
    }
    tracer::Trace(GLIDE_grLfbWriteRegion, call, hashed ? &hash : nullptr);
    TRACER_FORWARD(FxBool, grLfbWriteRegion, (FxI32, FxU32, FxU32, FxU32, FxU32, FxU32, FxI32, const void*),
                   (buffer, x, y, format, width, height, stride, src))
}

TRACER_EXPORT void GLIDECALL grTexDownloadMipMapLevel(FxI32 tmu, FxU32 start, FxI32 thisLod, FxI32 largeLod,
                                                      FxI32 aspect, FxI32 format, FxU32 evenOdd, const void* data) {
    const StandinCall call =
        NewCallWith(GLIDE_grTexDownloadMipMapLevel, tmu, start, thisLod, largeLod, aspect, format, evenOdd, data);
    const std::uint32_t bytes = LevelBytes(thisLod, aspect, format);
    std::uint32_t hash = PixelHashBytes(kPixelHashStart, data, data ? bytes : 0);
    if (bytes % 2) hash = PixelHashBytes(hash, "", 1);  // the stand-in keeps whole 16-bit words
    tracer::Trace(GLIDE_grTexDownloadMipMapLevel, call, data && bytes ? &hash : nullptr);
    TRACER_FORWARD(void, grTexDownloadMipMapLevel, (FxI32, FxU32, FxI32, FxI32, FxI32, FxI32, FxU32, const void*),
                   (tmu, start, thisLod, largeLod, aspect, format, evenOdd, data))
}

// The entry points the plug-in calls keep the exact types it calls them through.
#define TRACER_CHECK_SIGNATURE(Ret, name, ...) \
    static_assert(std::is_same_v<decltype(&::name), GlideFn_##name>, #name " has the wrong signature");
GLIDE_CALLED_ENTRY_POINTS(TRACER_CHECK_SIGNATURE)
#undef TRACER_CHECK_SIGNATURE

// Every entry point takes as many argument bytes as its name says (the i686
// .def file maps "_grDrawLine@8" to the symbol grDrawLine@8 as well).
#define TRACER_CHECK_BYTES(name, bytes, role) \
    static_assert(GlideParamBytes(&::name) == bytes, #name " takes the wrong number of argument bytes");
GLIDE_ENTRY_POINTS(TRACER_CHECK_BYTES)
#undef TRACER_CHECK_BYTES
