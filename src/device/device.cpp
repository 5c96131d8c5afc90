#include "device/device.h"

#include "glide/glide_binding.h"
#include "glide/glide_diagnostics.h"
#include "scene/scene_list.h"
#include "scene/screen_position.h"
#include "texture/host_memory.h"
#include "texture/slot_table.h"

namespace vrastex {

DeviceState device = {
    .glideBound = 0,
    .hardwareQueryPending = 1,
    .glideResolution = 0,
    .hwConfig = {},
};

namespace {

constexpr Resolution kResolutions[6] = {
    {GR_RESOLUTION_320x200, 320, 200},  {GR_RESOLUTION_512x384, 512, 384},
    {GR_RESOLUTION_640x400, 640, 400},  {GR_RESOLUTION_640x480, 640, 480},
    {GR_RESOLUTION_800x600, 800, 600},  {GR_RESOLUTION_1024x768, 1024, 768},
};

int EnsureBound() {
    if (!device.glideBound) {
        if (!BindGlide()) return 0;
        device.glideBound = 1;
    }
    return 1;
}

// TMU count of the first board; -1 for a board type the plug-in cannot drive.
int TmuCountOfFirstBoard(const GrHwConfiguration& config) {
    const GrSstEntry& board = config.SSTs[0];
    switch (board.type) {
        case GR_SSTTYPE_VOODOO: return board.sstBoard.VoodooConfig.nTexelfx;
        case GR_SSTTYPE_SST96: return board.sstBoard.SST96Config.nTexelfx;
        case GR_SSTTYPE_AT3D: return 1;
        case GR_SSTTYPE_Voodoo2: return board.sstBoard.Voodoo2Config.nTexelfx;
        default: return -1;
    }
}

}  // namespace

Resolution ResolutionForIndex(int index) {
    if (index < 0 || index > 5) return kResolutions[3];
    return kResolutions[index];
}

int DetectCard() {
    if (!EnsureBound()) return 0;
    glide::grSstQueryBoards(&device.hwConfig);
    if (device.hwConfig.num_sst == 0) return ExplainGlideFailure(kGlideNoBoardDetected);
    return 1;
}

int OpenCard(int resolutionIndex, int pointSampled) {
    if (!EnsureBound()) return 0;
    // Stored before any check: a failed open still decides what resume reopens.
    device.glideResolution = ResolutionForIndex(resolutionIndex).glideResolution;

    if (device.hardwareQueryPending) {
        glide::grGlideInit();
        if (!glide::grSstQueryHardware(&device.hwConfig)) return ExplainGlideFailure(kGlideNoBoardQueried);
        int tmus = TmuCountOfFirstBoard(device.hwConfig);
        if (tmus < 0) return ExplainGlideFailure(kGlideBoardType, device.hwConfig.SSTs[0].type);
        slotTable.tmuCount = tmus;
        device.hardwareQueryPending = 0;
    }

    glide::grSstSelect(0);
    if (!glide::grSstWinOpen(0u, device.glideResolution, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                             GR_ORIGIN_UPPER_LEFT, 2, 1))
        return ExplainGlideFailure(kGlideWindow, ResolutionForIndex(resolutionIndex).width,
                                   ResolutionForIndex(resolutionIndex).height);

    const FxI32 filter = pointSampled ? GR_TEXTUREFILTER_POINT_SAMPLED : GR_TEXTUREFILTER_BILINEAR;
    glide::grRenderBuffer(GR_BUFFER_BACKBUFFER);
    glide::grCullMode(GR_CULL_NEGATIVE);
    glide::grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
    glide::grTexFilterMode(GR_TMU0, filter, filter);
    glide::grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                        GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    // Clear, swap, clear: both colour buffers start black.
    glide::grBufferClear(0u, FxU8{0}, FxU16{0});
    glide::grBufferSwap(0);
    glide::grBufferClear(0u, FxU8{0}, FxU16{0});
    glide::grChromakeyMode(GR_CHROMAKEY_ENABLE);
    glide::grChromakeyValue(0u);
    glide::grGammaCorrectionValue(1.0f);
    return 1;
}

int CloseCard() {
    ResetTexMemory();
    glide::grSstWinClose();
    return 1;
}

void ShutdownGlide() {
    // The binding runs again whatever the bound flag says. When it fails the
    // table may hold a mix of entries, so grGlideShutdown is only called
    // through a complete binding.
    if (BindGlide()) glide::grGlideShutdown();
}

void SetHostMemory(void* staging, void* pageBuffer, int resolutionIndex) {
    hostMemory.staging = static_cast<std::uint16_t*>(staging);
    hostMemory.pageBuffer = static_cast<std::uint16_t*>(pageBuffer);
    const Resolution res = ResolutionForIndex(resolutionIndex);
    screenScale.x = static_cast<double>(res.width) * 0.003125;
    screenScale.y = static_cast<double>(res.height) * 0.00390625;
    EmptySceneList();
}

void SetDirectStride(int stride) { hostMemory.directStride = stride; }

void FlipBuffers() {
    while (glide::grBufferNumPending() > 0) {
    }
    glide::grBufferSwap(0);
    glide::grBufferClear(0u, FxU8{0}, FxU16{0xFFFF});
}

void ClearBackBuffer() { glide::grBufferClear(0u, FxU8{0}, FxU16{0}); }

}  // namespace vrastex
