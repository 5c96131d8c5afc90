// The Glide entry points with real behaviour: each records its call, then
// acts on the device model or answers from the script.
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "glide/glide_binding.h"
#include "model/record.h"
#include "model/script.h"
#include "model/validation.h"
#include "present/present.h"
#include "render/draw_queue.h"
#include "render/errors.h"
#include "render/raster.h"
#include "render/state.h"
#include "render/texture_layout.h"
#include "standin.h"

#define GLIDE_EXPORT(Ret) STANDIN_API Ret GLIDECALL

namespace {

// The call's record, filled in place in the log; the entry point adds what
// its pointers refer to and commits it.
template <typename... A>
StandinCall& Begin(GlideEntry entry, A... args) {
    // Lifecycle is checked by the entry point itself: Begin runs only while observed.
    StandinCall& call = StartCall(entry);
    (AddArgument(call, args), ...);
    return call;
}

// Records a call whose arguments need no copies.
template <typename... A>
void Record(GlideEntry entry, A... args) {
    CheckLifecycle(entry);
    if (CallsObserved()) CommitCall(Begin(entry, args...));
}

StandinRenderState& State() { return Device().state; }

// The TMU's rendering state, or null (and an error) for a TMU the state does
// not keep.
StandinTmuState* TmuState(const char* caller, FxI32 tmu) {
    if (tmu >= 0 && tmu < STANDIN_STATE_TMUS) return &State().tmu[tmu];
    ReportError(std::string(caller) + ": no TMU " + std::to_string(tmu));
    return nullptr;
}

// After a grSstWinOpen that failed, calls that need a window draw nothing but
// are no error: a caller may go on as if the window were there.
bool RequireWindow(const char* caller) {
    const StandinScreen& screen = Device().screen;
    if (screen.open) return true;
    if (!screen.openFailed) ReportError(std::string(caller) + ": no window open");
    return false;
}

void CopyTexInfo(StandinCall& call, const GrTexInfo* info) {
    if (info) call.texInfo = *info;
}

bool Is16BitLfbFormat(FxU32 format) {
    return format == GR_LFB_SRC_FMT_565 || format == GR_LFB_SRC_FMT_555 || format == GR_LFB_SRC_FMT_1555 ||
           (format >= GR_LFB_SRC_FMT_565_DEPTH && format <= GR_LFB_SRC_FMT_ZA16);
}

// Largest block whose pixels the log copies (4096 x 4096).
constexpr std::uint64_t kMaxCopiedPixels = 4096u * 4096u;

}  // namespace

GLIDE_EXPORT(void) grGlideInit(void) { Record(GLIDE_grGlideInit); }

GLIDE_EXPORT(void) grGlideShutdown(void) {
    Record(GLIDE_grGlideShutdown);
    PresentClose();
    CloseScreen();
}

GLIDE_EXPORT(FxBool) grSstQueryBoards(GrHwConfiguration* hw) {
    Record(GLIDE_grSstQueryBoards, static_cast<const void*>(hw));
    if (hw == nullptr) {
        ReportError("grSstQueryBoards: null configuration");
        return FXFALSE;
    }
    hw->num_sst = Script().boardCount;
    return FXTRUE;
}

GLIDE_EXPORT(FxBool) grSstQueryHardware(GrHwConfiguration* hw) {
    Record(GLIDE_grSstQueryHardware, static_cast<const void*>(hw));
    if (hw == nullptr) {
        ReportError("grSstQueryHardware: null configuration");
        return FXFALSE;
    }
    *hw = Script().hardware;
    return Script().hardwareResult;
}

GLIDE_EXPORT(void) grSstSelect(int which) {
    Record(GLIDE_grSstSelect, FxI32{which});
    if (which < 0 || which >= Script().hardware.num_sst) {
        ReportError("grSstSelect: no board " + std::to_string(which));
    }
}

GLIDE_EXPORT(FxBool)
grSstWinOpen(FxU32 hWnd, FxI32 resolution, FxI32 refresh, FxI32 colorFormat, FxI32 origin, int colorBuffers,
             int auxBuffers) {
    Record(GLIDE_grSstWinOpen, hWnd, resolution, refresh, colorFormat, origin, FxI32{colorBuffers},
           FxI32{auxBuffers});
    CheckEnum(GLIDE_grSstWinOpen, "resolution", resolution, GlideEnum::Resolution);
    CheckEnum(GLIDE_grSstWinOpen, "refresh", refresh, GlideEnum::Refresh);
    CheckEnum(GLIDE_grSstWinOpen, "colour format", colorFormat, GlideEnum::ColorFormat);
    CheckEnum(GLIDE_grSstWinOpen, "origin", origin, GlideEnum::Origin);
    if (ValidationOn() && (colorBuffers < 2 || colorBuffers > 3 || auxBuffers < 0 || auxBuffers > 1)) {
        ReportError("grSstWinOpen: " + std::to_string(colorBuffers) + " colour and " + std::to_string(auxBuffers) +
                    " aux buffers");
    }
    // An open while a window is open reopens it; one that fails leaves no window.
    const int result = Script().winOpenResult;
    if (!result) {
        CloseScreen();
        Device().screen.openFailed = true;
        return result;
    }
    int width, height;
    if (!ResolutionSize(resolution, &width, &height)) {
        ReportError("grSstWinOpen: no resolution " + std::to_string(resolution));
        return FXFALSE;
    }
    OpenScreen(width, height, colorFormat, origin, auxBuffers);
    // Handle 0 is the application's window, as Glide takes it.
    PresentOpen(hWnd, width, height, State().gamma);
    return result;
}

GLIDE_EXPORT(void) grSstWinClose(void) {
    Record(GLIDE_grSstWinClose);
    PresentClose();
    CloseScreen();
}

GLIDE_EXPORT(FxBool) grSstControl(FxU32 code) {
    Record(GLIDE_grSstControl, code);
    CheckEnum(GLIDE_grSstControl, "code", static_cast<FxI32>(code), GlideEnum::Control);
    return Script().controlResult;
}

GLIDE_EXPORT(void) grGlideGetState(GrState* state) {
    Record(GLIDE_grGlideGetState, static_cast<const void*>(state));
    if (state == nullptr) {
        ReportError("grGlideGetState: null state");
        return;
    }
    std::memset(state, 0, sizeof(GrState));
    std::memcpy(state, &State(), sizeof(StandinRenderState));
}

GLIDE_EXPORT(void) grGlideSetState(const GrState* state) {
    Record(GLIDE_grGlideSetState, static_cast<const void*>(state));
    if (state == nullptr) {
        ReportError("grGlideSetState: null state");
        return;
    }
    std::memcpy(&State(), state, sizeof(StandinRenderState));
    // The record carries the gamma, so the video output follows it.
    PresentGamma(State().gamma);
}

GLIDE_EXPORT(void) grRenderBuffer(FxI32 buffer) {
    Record(GLIDE_grRenderBuffer, buffer);
    CheckEnum(GLIDE_grRenderBuffer, "buffer", buffer, GlideEnum::ColorBuffer);
    if (buffer != GR_BUFFER_FRONTBUFFER && buffer != GR_BUFFER_BACKBUFFER) {
        ReportError("grRenderBuffer: not a colour buffer: " + std::to_string(buffer));
        return;
    }
    State().renderBuffer = buffer;
}

GLIDE_EXPORT(void) grCullMode(FxI32 mode) {
    Record(GLIDE_grCullMode, mode);
    CheckEnum(GLIDE_grCullMode, "mode", mode, GlideEnum::CullMode);
    State().cullMode = mode;
}

GLIDE_EXPORT(void) grTexClampMode(FxI32 tmu, FxI32 sMode, FxI32 tMode) {
    Record(GLIDE_grTexClampMode, tmu, sMode, tMode);
    CheckEnum(GLIDE_grTexClampMode, "tmu", tmu, GlideEnum::Tmu);
    CheckEnum(GLIDE_grTexClampMode, "s mode", sMode, GlideEnum::ClampMode);
    CheckEnum(GLIDE_grTexClampMode, "t mode", tMode, GlideEnum::ClampMode);
    if (StandinTmuState* t = TmuState("grTexClampMode", tmu)) {
        t->clampS = sMode;
        t->clampT = tMode;
    }
}

GLIDE_EXPORT(void) grTexFilterMode(FxI32 tmu, FxI32 minFilter, FxI32 magFilter) {
    Record(GLIDE_grTexFilterMode, tmu, minFilter, magFilter);
    CheckEnum(GLIDE_grTexFilterMode, "tmu", tmu, GlideEnum::Tmu);
    CheckEnum(GLIDE_grTexFilterMode, "minification filter", minFilter, GlideEnum::FilterMode);
    CheckEnum(GLIDE_grTexFilterMode, "magnification filter", magFilter, GlideEnum::FilterMode);
    if (StandinTmuState* t = TmuState("grTexFilterMode", tmu)) {
        t->minFilter = minFilter;
        t->magFilter = magFilter;
    }
}

GLIDE_EXPORT(void)
grTexCombine(FxI32 tmu, FxI32 rgbFunction, FxI32 rgbFactor, FxI32 alphaFunction, FxI32 alphaFactor,
             FxBool rgbInvert, FxBool alphaInvert) {
    Record(GLIDE_grTexCombine, tmu, rgbFunction, rgbFactor, alphaFunction, alphaFactor, rgbInvert, alphaInvert);
    CheckEnum(GLIDE_grTexCombine, "tmu", tmu, GlideEnum::Tmu);
    CheckEnum(GLIDE_grTexCombine, "rgb function", rgbFunction, GlideEnum::CombineFunction);
    CheckEnum(GLIDE_grTexCombine, "rgb factor", rgbFactor, GlideEnum::TexCombineFactor);
    CheckEnum(GLIDE_grTexCombine, "alpha function", alphaFunction, GlideEnum::CombineFunction);
    CheckEnum(GLIDE_grTexCombine, "alpha factor", alphaFactor, GlideEnum::TexCombineFactor);
    CheckEnum(GLIDE_grTexCombine, "rgb invert", rgbInvert, GlideEnum::Bool);
    CheckEnum(GLIDE_grTexCombine, "alpha invert", alphaInvert, GlideEnum::Bool);
    if (StandinTmuState* t = TmuState("grTexCombine", tmu)) {
        t->combine = {rgbFunction, rgbFactor, alphaFunction, alphaFactor, rgbInvert, alphaInvert};
    }
}

GLIDE_EXPORT(void) grBufferClear(FxU32 color, FxU8 alpha, FxU16 depth) {
    Record(GLIDE_grBufferClear, color, FxI32{alpha}, FxI32{depth});
    if (RequireWindow("grBufferClear") && Drawing()) ClearBuffers(color, depth);
}

GLIDE_EXPORT(void) grBufferSwap(int interval) {
    Record(GLIDE_grBufferSwap, FxI32{interval});
    if (ValidationOn() && (interval < 0 || interval > 255)) {
        ReportError("grBufferSwap: swap interval " + std::to_string(interval));
    }
    FinishDrawing();  // the front buffer is complete before it is shown
    if (!RequireWindow("grBufferSwap")) return;
    SwapBuffers();
    // Presentation: the finished frame, now the front buffer, goes to the window.
    const StandinScreen& screen = Device().screen;
    if (Drawing() && !screen.color[screen.frontIndex].empty())
        PresentFrame(screen.color[screen.frontIndex].data(), screen.width, screen.height, interval);
}

GLIDE_EXPORT(int) grBufferNumPending(void) {
    Record(GLIDE_grBufferNumPending);
    StandinScript& script = Script();
    if (script.pendingNext < script.pending.size()) return script.pending[script.pendingNext++];
    return PresentPending();
}

GLIDE_EXPORT(void) grChromakeyMode(FxI32 mode) {
    Record(GLIDE_grChromakeyMode, mode);
    CheckEnum(GLIDE_grChromakeyMode, "mode", mode, GlideEnum::ChromakeyMode);
    State().chromakeyMode = mode;
}

GLIDE_EXPORT(void) grChromakeyValue(FxU32 value) {
    Record(GLIDE_grChromakeyValue, value);
    State().chromakeyValue = value;
}

GLIDE_EXPORT(void) grGammaCorrectionValue(float value) {
    Record(GLIDE_grGammaCorrectionValue, value);
    if (ValidationOn() && !(value > 0.0f && value <= 20.0f)) {
        ReportError("grGammaCorrectionValue: gamma " + std::to_string(value));
    }
    State().gamma = value;
    PresentGamma(value);
}

GLIDE_EXPORT(void) grTexSource(FxI32 tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
    CheckLifecycle(GLIDE_grTexSource);
    CheckEnum(GLIDE_grTexSource, "tmu", tmu, GlideEnum::Tmu);
    CheckEnum(GLIDE_grTexSource, "evenOdd", static_cast<FxI32>(evenOdd), GlideEnum::EvenOdd);
    // A slot that never held a download reaches Glide all zero, as the plug-in
    // it replaces sends it: address 0, LOD 256, aspect 8x1, format 0. A real
    // TMU's memory starts at 0, so only a scripted grTexMinAddress above 0
    // would question it.
    const bool neverLoadedSlot = startAddress == 0 && info && info->smallLod == 0 && info->largeLod == 0 &&
                                 info->aspectRatio == 0 && info->format == 0;
    if (CheckTexInfo(GLIDE_grTexSource, info) && !neverLoadedSlot) {
        CheckTexturePlacement(GLIDE_grTexSource, tmu, startAddress,
                              TextureMemRequired(evenOdd, info->smallLod, info->largeLod, info->aspectRatio,
                                                 info->format));
    }
    if (CallsObserved()) {
        StandinCall& call =
            Begin(GLIDE_grTexSource, tmu, startAddress, evenOdd, static_cast<const void*>(info));
        CopyTexInfo(call, info);
        CommitCall(call);
    }
    StandinTmuState* t = TmuState("grTexSource", tmu);
    if (t == nullptr) return;
    if (info == nullptr) {
        ReportError("grTexSource: null texture info");
        return;
    }
    t->source = {startAddress, evenOdd, info->smallLod, info->largeLod, info->aspectRatio, info->format};
}

GLIDE_EXPORT(void) grDrawPolygon(int count, const int* ilist, const GrVertex* vlist) {
    CheckLifecycle(GLIDE_grDrawPolygon);
    CheckPolygonCount(GLIDE_grDrawPolygon, count);
    if (ilist && vlist && count > 0 && count <= STANDIN_MAX_VERTICES) {
        CheckMemory(GLIDE_grDrawPolygon, "index list", ilist, sizeof(int) * static_cast<std::uint64_t>(count));
        for (int i = 0; i < count; ++i) {
            if (ValidationOn() && (ilist[i] < 0 || ilist[i] >= STANDIN_MAX_VERTICES)) {
                ReportError("grDrawPolygon: index " + std::to_string(ilist[i]));
                continue;
            }
            CheckVertex(GLIDE_grDrawPolygon, "vertex", &vlist[ilist[i]]);
        }
    }
    if (CallsObserved()) {
        StandinCall& call = Begin(GLIDE_grDrawPolygon, FxI32{count}, static_cast<const void*>(ilist),
                                  static_cast<const void*>(vlist));
        AddPolygon(call, true, count, ilist, vlist);
        CommitCall(call);
    }
    const bool lists = !(count > 0 && (ilist == nullptr || vlist == nullptr));
    if (!lists) ReportError("grDrawPolygon: null list");
    if (RequireWindow("grDrawPolygon") && lists && Drawing()) DrawFanCall("grDrawPolygon", count, ilist, vlist);
}

GLIDE_EXPORT(void) grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    CheckLifecycle(GLIDE_grDrawTriangle);
    CheckVertex(GLIDE_grDrawTriangle, "a", a);
    CheckVertex(GLIDE_grDrawTriangle, "b", b);
    CheckVertex(GLIDE_grDrawTriangle, "c", c);
    if (CallsObserved()) {
        StandinCall& call = Begin(GLIDE_grDrawTriangle, static_cast<const void*>(a),
                                  static_cast<const void*>(b), static_cast<const void*>(c));
        AddVertex(call, a);
        AddVertex(call, b);
        AddVertex(call, c);
        CommitCall(call);
    }
    if (!a || !b || !c) ReportError("grDrawTriangle: null vertex");
    if (RequireWindow("grDrawTriangle") && a && b && c && Drawing()) DrawTriangleCall("grDrawTriangle", *a, *b, *c);
}

GLIDE_EXPORT(void) grColorCombine(FxI32 function, FxI32 factor, FxI32 local, FxI32 other, FxBool invert) {
    Record(GLIDE_grColorCombine, function, factor, local, other, invert);
    CheckEnum(GLIDE_grColorCombine, "function", function, GlideEnum::CombineFunction);
    CheckEnum(GLIDE_grColorCombine, "factor", factor, GlideEnum::CombineFactor);
    CheckEnum(GLIDE_grColorCombine, "local", local, GlideEnum::CombineLocal);
    CheckEnum(GLIDE_grColorCombine, "other", other, GlideEnum::CombineOther);
    CheckEnum(GLIDE_grColorCombine, "invert", invert, GlideEnum::Bool);
    State().colorCombine = {function, factor, local, other, invert};
}

GLIDE_EXPORT(void) grAlphaCombine(FxI32 function, FxI32 factor, FxI32 local, FxI32 other, FxBool invert) {
    Record(GLIDE_grAlphaCombine, function, factor, local, other, invert);
    CheckEnum(GLIDE_grAlphaCombine, "function", function, GlideEnum::CombineFunction);
    CheckEnum(GLIDE_grAlphaCombine, "factor", factor, GlideEnum::CombineFactor);
    CheckEnum(GLIDE_grAlphaCombine, "local", local, GlideEnum::CombineLocal);
    CheckEnum(GLIDE_grAlphaCombine, "other", other, GlideEnum::CombineOther);
    CheckEnum(GLIDE_grAlphaCombine, "invert", invert, GlideEnum::Bool);
    State().alphaCombine = {function, factor, local, other, invert};
}

GLIDE_EXPORT(void) grAlphaBlendFunction(FxI32 rgbSrc, FxI32 rgbDst, FxI32 alphaSrc, FxI32 alphaDst) {
    Record(GLIDE_grAlphaBlendFunction, rgbSrc, rgbDst, alphaSrc, alphaDst);
    CheckEnum(GLIDE_grAlphaBlendFunction, "rgb source factor", rgbSrc, GlideEnum::BlendFactor);
    CheckEnum(GLIDE_grAlphaBlendFunction, "rgb destination factor", rgbDst, GlideEnum::BlendFactor);
    CheckEnum(GLIDE_grAlphaBlendFunction, "alpha source factor", alphaSrc, GlideEnum::BlendFactor);
    CheckEnum(GLIDE_grAlphaBlendFunction, "alpha destination factor", alphaDst, GlideEnum::BlendFactor);
    StandinRenderState& s = State();
    s.rgbSrcFactor = rgbSrc;
    s.rgbDstFactor = rgbDst;
    s.alphaSrcFactor = alphaSrc;
    s.alphaDstFactor = alphaDst;
}

GLIDE_EXPORT(void) grConstantColorValue(FxU32 color) {
    Record(GLIDE_grConstantColorValue, color);
    State().constantColor = color;
}

GLIDE_EXPORT(void) grDepthMask(FxBool enable) {
    Record(GLIDE_grDepthMask, enable);
    CheckEnum(GLIDE_grDepthMask, "enable", enable, GlideEnum::Bool);
    State().depthMask = enable;
}

GLIDE_EXPORT(FxBool)
grLfbWriteRegion(FxI32 buffer, FxU32 x, FxU32 y, FxU32 format, FxU32 width, FxU32 height, FxI32 stride,
                 const void* src) {
    CheckLifecycle(GLIDE_grLfbWriteRegion);
    CheckEnum(GLIDE_grLfbWriteRegion, "buffer", buffer, GlideEnum::ColorBuffer);
    CheckEnum(GLIDE_grLfbWriteRegion, "source format", static_cast<FxI32>(format), GlideEnum::LfbSourceFormat);
    CheckLfbRegion(GLIDE_grLfbWriteRegion, x, y, width, height, stride);
    if (width > 0 && height > 0 && stride >= 0) {
        CheckMemory(GLIDE_grLfbWriteRegion, "source",
                    src, std::uint64_t{height - 1} * static_cast<std::uint64_t>(stride) + 2 * std::uint64_t{width});
    }
    if (CallsObserved()) {
        StandinCall& call = Begin(GLIDE_grLfbWriteRegion, buffer, x, y, format, width, height, stride, src);
        std::vector<std::uint16_t> pixels;
        const std::uint64_t count = std::uint64_t{width} * height;
        if (src && Drawing() && Is16BitLfbFormat(format) && count > 0 && count <= kMaxCopiedPixels) {
            pixels.resize(static_cast<std::size_t>(count));
            const auto* base = static_cast<const unsigned char*>(src);
            for (FxU32 row = 0; row < height; ++row) {
                std::memcpy(&pixels[std::size_t{row} * width], base + static_cast<std::ptrdiff_t>(row) * stride,
                            std::size_t{width} * 2);
            }
        }
        CommitCall(call, std::move(pixels));
    }
    if (!RequireWindow("grLfbWriteRegion")) return FXFALSE;
    if (!Drawing()) return FXTRUE;
    if (!WriteColorRegion(buffer, x, y, format, width, height, stride, src)) {
        ReportError("grLfbWriteRegion: buffer " + std::to_string(buffer) + " with source format " +
                    std::to_string(format) + " is not modelled");
        return FXFALSE;
    }
    return FXTRUE;
}

GLIDE_EXPORT(FxU32) grSstScreenWidth(void) {
    Record(GLIDE_grSstScreenWidth);
    const FxU32 width = Script().screenWidthOverride;
    return width ? width : static_cast<FxU32>(Device().screen.width);
}

GLIDE_EXPORT(FxU32) grSstScreenHeight(void) {
    Record(GLIDE_grSstScreenHeight);
    const FxU32 height = Script().screenHeightOverride;
    return height ? height : static_cast<FxU32>(Device().screen.height);
}

GLIDE_EXPORT(void) grDrawLine(const GrVertex* a, const GrVertex* b) {
    CheckLifecycle(GLIDE_grDrawLine);
    CheckVertex(GLIDE_grDrawLine, "a", a);
    CheckVertex(GLIDE_grDrawLine, "b", b);
    if (CallsObserved()) {
        StandinCall& call = Begin(GLIDE_grDrawLine, static_cast<const void*>(a), static_cast<const void*>(b));
        AddVertex(call, a);
        AddVertex(call, b);
        CommitCall(call);
    }
    if (!a || !b) ReportError("grDrawLine: null vertex");
    if (RequireWindow("grDrawLine") && a && b && Drawing()) DrawLineCall("grDrawLine", *a, *b);
}

GLIDE_EXPORT(void) grDrawPolygonVertexList(int count, const GrVertex* vlist) {
    CheckLifecycle(GLIDE_grDrawPolygonVertexList);
    CheckPolygonCount(GLIDE_grDrawPolygonVertexList, count);
    if (vlist && count > 0 && count <= STANDIN_MAX_VERTICES) {
        for (int i = 0; i < count; ++i) CheckVertex(GLIDE_grDrawPolygonVertexList, "vertex", &vlist[i]);
    }
    if (CallsObserved()) {
        StandinCall& call =
            Begin(GLIDE_grDrawPolygonVertexList, FxI32{count}, static_cast<const void*>(vlist));
        AddPolygon(call, false, count, nullptr, vlist);
        CommitCall(call);
    }
    if (count > 0 && vlist == nullptr) ReportError("grDrawPolygonVertexList: null list");
    if (RequireWindow("grDrawPolygonVertexList") && vlist && Drawing()) {
        DrawFanCall("grDrawPolygonVertexList", count, nullptr, vlist);
    }
}

GLIDE_EXPORT(FxU32) grTexMinAddress(FxI32 tmu) {
    Record(GLIDE_grTexMinAddress, tmu);
    CheckEnum(GLIDE_grTexMinAddress, "tmu", tmu, GlideEnum::Tmu);
    return tmu >= 0 && tmu < STANDIN_MEMORY_TMUS ? Script().texMinAddress[tmu] : 0;
}

GLIDE_EXPORT(FxU32) grTexMaxAddress(FxI32 tmu) {
    Record(GLIDE_grTexMaxAddress, tmu);
    CheckEnum(GLIDE_grTexMaxAddress, "tmu", tmu, GlideEnum::Tmu);
    return tmu >= 0 && tmu < STANDIN_MEMORY_TMUS ? Script().texMaxAddress[tmu] : 0;
}

GLIDE_EXPORT(FxU32) grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) {
    CheckLifecycle(GLIDE_grTexTextureMemRequired);
    CheckEnum(GLIDE_grTexTextureMemRequired, "evenOdd", static_cast<FxI32>(evenOdd), GlideEnum::EvenOdd);
    CheckTexInfo(GLIDE_grTexTextureMemRequired, info);
    if (CallsObserved()) {
        StandinCall& call = Begin(GLIDE_grTexTextureMemRequired, evenOdd, static_cast<const void*>(info));
        CopyTexInfo(call, info);
        CommitCall(call);
    }
    if (info == nullptr) {
        ReportError("grTexTextureMemRequired: null texture info");
        return 0;
    }
    return TextureMemRequired(evenOdd, info->smallLod, info->largeLod, info->aspectRatio, info->format);
}

GLIDE_EXPORT(void)
grTexDownloadMipMapLevel(FxI32 tmu, FxU32 startAddress, FxI32 thisLod, FxI32 largeLod, FxI32 aspect,
                         FxI32 format, FxU32 evenOdd, const void* data) {
    int width = 0, height = 0;
    const bool validLevel = LevelDimensions(thisLod, aspect, &width, &height);
    const std::uint32_t bytes =
        validLevel ? static_cast<std::uint32_t>(width * height * TexelBytes(format)) : 0;
    const GlideEntry entry = GLIDE_grTexDownloadMipMapLevel;
    CheckLifecycle(entry);
    CheckEnum(entry, "tmu", tmu, GlideEnum::Tmu);
    CheckEnum(entry, "thisLod", thisLod, GlideEnum::Lod);
    CheckEnum(entry, "largeLod", largeLod, GlideEnum::Lod);
    CheckEnum(entry, "aspect", aspect, GlideEnum::Aspect);
    CheckEnum(entry, "format", format, GlideEnum::TexFormat);
    CheckEnum(entry, "evenOdd", static_cast<FxI32>(evenOdd), GlideEnum::EvenOdd);
    if (validLevel && LodSize(largeLod) != 0 && thisLod >= largeLod) {
        const std::uint64_t levelEnd = LevelOffset(evenOdd, thisLod, largeLod, aspect, format) + std::uint64_t{bytes};
        CheckTexturePlacement(entry, tmu, startAddress, levelEnd);
        CheckMemory(entry, "data", data, bytes);
    }
    if (CallsObserved()) {
        StandinCall& call = Begin(GLIDE_grTexDownloadMipMapLevel, tmu, startAddress, thisLod, largeLod,
                                  aspect, format, evenOdd, data);
        std::vector<std::uint16_t> texels;
        if (data && bytes && Drawing()) {
            texels.assign((bytes + 1) / 2, 0);  // 8-bit texels go two to a word, the first in the low byte
            std::memcpy(texels.data(), data, bytes);
        }
        CommitCall(call, std::move(texels));
    }
    const std::string caller = "grTexDownloadMipMapLevel";
    if (!validLevel || LodSize(largeLod) == 0 || thisLod < largeLod) {
        ReportError(caller + ": no level " + std::to_string(thisLod) + " below " + std::to_string(largeLod) +
                    " with aspect " + std::to_string(aspect));
        return;
    }
    if (tmu < 0 || tmu >= STANDIN_MEMORY_TMUS) {
        ReportError(caller + ": no TMU " + std::to_string(tmu));
        return;
    }
    if (!LevelSelected(thisLod, evenOdd)) return;  // the level is not part of the mipmap
    if (data == nullptr) {
        ReportError(caller + ": null data");
        return;
    }
    const std::uint32_t address = startAddress + LevelOffset(evenOdd, thisLod, largeLod, aspect, format);
    // Placement against grTexMinAddress, grTexMaxAddress and the 2 MiB line is the validation layer's.
    if (WriteTexMemory(tmu, address, data, bytes) != bytes) {
        ReportError(caller + ": level lies outside texture memory");
    }
}

// Each definition must have the exact type the binding calls it through.
#define STANDIN_CHECK_SIGNATURE(Ret, name, ...) \
    static_assert(std::is_same_v<decltype(&::name), GlideFn_##name>, #name " has the wrong signature");
GLIDE_CALLED_ENTRY_POINTS(STANDIN_CHECK_SIGNATURE)
#undef STANDIN_CHECK_SIGNATURE
