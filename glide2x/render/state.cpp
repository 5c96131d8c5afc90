#include "render/state.h"

#include <algorithm>
#include <cstring>

#include "render/draw_queue.h"
#include "render/texel_cache.h"

namespace {

bool drawingOn = true;

}  // namespace

void SetDrawing(bool on) { drawingOn = on; }

bool Drawing() { return drawingOn; }

StandinDevice& Device() {
    static StandinDevice device = [] {
        StandinDevice d;
        d.state = DefaultRenderState(0, 0);
        for (StandinTexMemory& memory : d.texMemory) memory.limit = kDefaultTexMaxAddress + 8;
        return d;
    }();
    return device;
}

StandinRenderState DefaultRenderState(int screenWidth, int screenHeight) {
    StandinRenderState s;
    std::memset(&s, 0, sizeof s);
    s.colorCombine = {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
                      GR_COMBINE_OTHER_ITERATED, FXFALSE};
    s.alphaCombine = {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT,
                      GR_COMBINE_OTHER_CONSTANT, FXFALSE};
    s.rgbSrcFactor = GR_BLEND_ONE;
    s.rgbDstFactor = GR_BLEND_ZERO;
    s.alphaSrcFactor = GR_BLEND_ONE;
    s.alphaDstFactor = GR_BLEND_ZERO;
    s.constantColor = 0xFFFFFFFFu;
    s.chromakeyMode = GR_CHROMAKEY_DISABLE;
    s.chromakeyValue = 0;
    s.cullMode = GR_CULL_DISABLE;
    s.depthMask = FXFALSE;
    s.renderBuffer = GR_BUFFER_BACKBUFFER;
    s.gamma = 1.7f;
    s.clipMinX = 0;
    s.clipMinY = 0;
    s.clipMaxX = screenWidth;
    s.clipMaxY = screenHeight;
    for (StandinTmuState& tmu : s.tmu) {
        tmu.combine = {GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_ZERO,
                       GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE};
        tmu.clampS = GR_TEXTURECLAMP_CLAMP;
        tmu.clampT = GR_TEXTURECLAMP_CLAMP;
        tmu.minFilter = GR_TEXTUREFILTER_POINT_SAMPLED;
        tmu.magFilter = GR_TEXTUREFILTER_POINT_SAMPLED;
    }
    s.ditherMode = GR_DITHER_4x4;
    return s;
}

bool ResolutionSize(FxI32 resolution, int* width, int* height) {
    static constexpr int kSizes[16][2] = {
        {320, 200},  {320, 240},  {400, 256},   {512, 384},   {640, 200},   {640, 350},
        {640, 400},  {640, 480},  {800, 600},   {960, 720},   {856, 480},   {512, 256},
        {1024, 768}, {1280, 1024}, {1600, 1200}, {400, 300},
    };
    if (resolution < 0 || resolution > 15) return false;
    *width = kSizes[resolution][0];
    *height = kSizes[resolution][1];
    return true;
}

void UnpackColor(FxU32 color, FxI32 colorFormat, int* r, int* g, int* b, int* a) {
    const int b0 = color & 0xFF, b1 = (color >> 8) & 0xFF, b2 = (color >> 16) & 0xFF, b3 = color >> 24;
    switch (colorFormat) {
    case GR_COLORFORMAT_ABGR:  // 0xAABBGGRR
        *a = b3, *b = b2, *g = b1, *r = b0;
        break;
    case GR_COLORFORMAT_RGBA:  // 0xRRGGBBAA
        *r = b3, *g = b2, *b = b1, *a = b0;
        break;
    case GR_COLORFORMAT_BGRA:  // 0xBBGGRRAA
        *b = b3, *g = b2, *r = b1, *a = b0;
        break;
    default:  // GR_COLORFORMAT_ARGB: 0xAARRGGBB
        *a = b3, *r = b2, *g = b1, *b = b0;
        break;
    }
}

std::uint16_t Rgb565(int r, int g, int b) {
    return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

std::uint16_t Rgb555To565(std::uint16_t pixel) {
    const unsigned r5 = (pixel >> 10) & 0x1F, g5 = (pixel >> 5) & 0x1F, b5 = pixel & 0x1F;
    const unsigned g6 = (g5 << 1) | (g5 >> 4);
    return static_cast<std::uint16_t>((r5 << 11) | (g6 << 5) | b5);
}

void OpenScreen(int width, int height, FxI32 colorFormat, FxI32 origin, int auxBuffers) {
    FinishDrawing();
    StandinScreen& screen = Device().screen;
    screen.open = true;
    screen.openFailed = false;
    screen.width = width;
    screen.height = height;
    screen.colorFormat = colorFormat;
    screen.origin = origin;
    screen.frontIndex = 0;
    // With drawing off no pixel is ever touched, so no buffer is kept.
    const std::size_t pixels =
        Drawing() ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) : 0;
    screen.color[0].assign(pixels, 0);
    screen.color[1].assign(pixels, 0);
    if (auxBuffers > 0) {
        screen.aux.assign(pixels, 0);
    } else {
        screen.aux.clear();
    }
    Device().state = DefaultRenderState(width, height);
}

void CloseScreen() {
    FinishDrawing();
    StandinScreen& screen = Device().screen;
    screen.open = false;
    screen.openFailed = false;
    screen.width = 0;
    screen.height = 0;
    screen.frontIndex = 0;
    screen.color[0].clear();
    screen.color[1].clear();
    screen.aux.clear();
}

int ColorBufferIndex(FxI32 buffer) {
    const StandinScreen& screen = Device().screen;
    if (buffer == GR_BUFFER_FRONTBUFFER) return screen.frontIndex;
    if (buffer == GR_BUFFER_BACKBUFFER) return 1 - screen.frontIndex;
    return -1;
}

void ClearBuffers(FxU32 color, FxU16 depth) {
    FinishDrawing();
    StandinScreen& screen = Device().screen;
    const StandinRenderState& s = Device().state;
    if (!screen.open) return;
    // The clip window, in the window's own origin, cut to the screen.
    const int x0 = std::max(0, s.clipMinX), x1 = std::min(screen.width, s.clipMaxX);
    int y0 = std::max(0, s.clipMinY), y1 = std::min(screen.height, s.clipMaxY);
    if (screen.origin == GR_ORIGIN_LOWER_LEFT) {  // row 0 of the window is the bottom row
        const int top = screen.height - y1, bottom = screen.height - y0;
        y0 = top;
        y1 = bottom;
    }
    if (x0 >= x1 || y0 >= y1) return;
    int r, g, b, a;
    UnpackColor(color, screen.colorFormat, &r, &g, &b, &a);
    const std::uint16_t pixel = Rgb565(r, g, b);
    const int target = ColorBufferIndex(s.renderBuffer);
    for (int y = y0; y < y1; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * screen.width;
        if (target >= 0) {
            std::uint16_t* line = screen.color[target].data() + row;
            std::fill(line + x0, line + x1, pixel);
        }
        if (!screen.aux.empty()) {
            std::uint16_t* line = screen.aux.data() + row;
            std::fill(line + x0, line + x1, depth);
        }
    }
}

void SwapBuffers() {
    FinishDrawing();
    StandinScreen& screen = Device().screen;
    if (screen.open) screen.frontIndex = 1 - screen.frontIndex;
}

bool WriteColorRegion(FxI32 buffer, FxU32 x, FxU32 y, FxU32 format, FxU32 w, FxU32 h, FxI32 stride,
                      const void* src) {
    FinishDrawing();
    StandinScreen& screen = Device().screen;
    const int target = ColorBufferIndex(buffer);
    if (!screen.open || target < 0) return false;
    if (format != GR_LFB_SRC_FMT_565 && format != GR_LFB_SRC_FMT_555 && format != GR_LFB_SRC_FMT_1555) return false;
    if (src == nullptr) return true;
    const FxU32 width = static_cast<FxU32>(screen.width), height = static_cast<FxU32>(screen.height);
    const FxU32 columns = x < width ? std::min(w, width - x) : 0;
    const FxU32 rows = y < height ? std::min(h, height - y) : 0;
    const auto* base = static_cast<const unsigned char*>(src);
    for (FxU32 row = 0; row < rows; ++row) {
        const unsigned char* line = base + static_cast<std::ptrdiff_t>(row) * stride;
        std::uint16_t* out = screen.color[target].data() + static_cast<std::size_t>(y + row) * width + x;
        for (FxU32 col = 0; col < columns; ++col) {
            std::uint16_t pixel;
            std::memcpy(&pixel, line + 2 * col, 2);
            out[col] = format == GR_LFB_SRC_FMT_565 ? pixel : Rgb555To565(pixel);
        }
    }
    return true;
}

void SetTexMemoryLimit(int tmu, std::uint32_t maxAddress) {
    if (tmu < 0 || tmu >= STANDIN_MEMORY_TMUS) return;
    FinishDrawing();
    ForgetDecodedTexels(tmu, 0, 0);
    std::uint64_t limit = static_cast<std::uint64_t>(maxAddress) + 8;
    if (limit > STANDIN_TEX_MEMORY_CAP) limit = STANDIN_TEX_MEMORY_CAP;
    StandinTexMemory& memory = Device().texMemory[tmu];
    memory.limit = static_cast<std::uint32_t>(limit);
    // The bytes stay allocated at the largest size seen (tests and fuzz
    // inputs switch sizes all the time); what falls outside the new limit
    // reads as 0 should the limit grow again.
    if (!memory.bytes.empty() && memory.bytes.size() < memory.limit) memory.bytes.resize(memory.limit, 0);
    if (memory.written > memory.limit) {
        std::memset(memory.bytes.data() + memory.limit, 0, memory.written - memory.limit);
        memory.written = memory.limit;
    }
}

std::uint32_t WriteTexMemory(int tmu, std::uint32_t address, const void* data, std::uint32_t size) {
    if (tmu < 0 || tmu >= STANDIN_MEMORY_TMUS) return 0;
    // Draws recorded before the download sample the texels they were given.
    FinishDrawing();
    ForgetDecodedTexels(tmu, address, size == 0 ? 1 : size);
    StandinTexMemory& memory = Device().texMemory[tmu];
    if (address >= memory.limit) return 0;
    const std::uint32_t count = std::min(size, memory.limit - address);
    if (memory.bytes.size() < memory.limit) memory.bytes.resize(memory.limit, 0);
    std::memcpy(memory.bytes.data() + address, data, count);
    memory.written = std::max(memory.written, address + count);
    return count;
}

std::uint32_t ReadTexMemory(int tmu, std::uint32_t address, void* out, std::uint32_t size) {
    if (tmu < 0 || tmu >= STANDIN_MEMORY_TMUS) return 0;
    const StandinTexMemory& memory = Device().texMemory[tmu];
    if (address >= memory.limit) return 0;
    const std::uint32_t count = std::min(size, memory.limit - address);
    if (memory.bytes.empty()) {
        std::memset(out, 0, count);
    } else {
        std::memcpy(out, memory.bytes.data() + address, count);
    }
    return count;
}

void ClearTexMemory() {
    FinishDrawing();
    for (int tmu = 0; tmu < STANDIN_MEMORY_TMUS; ++tmu) ForgetDecodedTexels(tmu, 0, 0);
    // Only what was written is cleared: a reset stays cheap when little was.
    for (StandinTexMemory& memory : Device().texMemory) {
        const std::size_t written = std::min<std::size_t>(memory.written, memory.bytes.size());
        if (written) std::memset(memory.bytes.data(), 0, written);
        memory.written = 0;
    }
}
