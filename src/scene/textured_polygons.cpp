#include "scene/textured_polygons.h"

#include "scene/clip.h"
#include "scene/record_writer.h"
#include "scene/shade.h"
#include "texture/host_memory.h"
#include "texture/page_cache.h"
#include "texture/staging.h"

namespace vrastex {

namespace {

constexpr int kRedirectedSlot = 12;
constexpr int kLastSlot = 17;

// Where the fields of a textured packet lie. Vertex k starts at
// 4 + stride * k with its colour (Gouraud) or unused colour slot (flat), then
// x, y at +4, +6 and u, v at +8, +9.
struct TexturedLayout {
    int vertexCount;
    int stride;
    bool ownColors;  // a colour per vertex, else bytes 4-6 for all
    int pageWordOffset;
    bool placeholderTest;  // all x of -1 marks an empty packet
    bool colorTableRule;
};

constexpr TexturedLayout kFlatTexture = {3, 8, false, 22, true, false};
constexpr TexturedLayout kFlatTexture4 = {4, 8, false, 22, true, true};
constexpr TexturedLayout kGouraudTexture = {3, 12, true, 26, false, false};
constexpr TexturedLayout kGouraudTexture4 = {4, 12, true, 26, false, false};

constexpr int VertexOffset(const TexturedLayout& layout, int k) { return 4 + layout.stride * k; }

bool IsPlaceholder(const void* packet, const TexturedLayout& layout) {
    for (int k = 0; k < layout.vertexCount; ++k)
        if (ReadS16(packet, VertexOffset(layout, k) + 4) != -1) return false;
    return true;
}

// Page 12's bottom quarter is drawn from elsewhere, cell by cell. The cell is
// the one under vertex 0; every vertex is moved into the cell's source and
// the packet keeps the moved coordinates. Returns the slot to draw from.
int ApplyRedirect(void* packet, const TexturedLayout& layout) {
    const int u0 = ReadU8(packet, VertexOffset(layout, 0) + 8);
    const int v0 = ReadU8(packet, VertexOffset(layout, 0) + 9);
    const int cell = ((v0 >> 5) - 6) * 8 + (u0 >> 5);
    // Above row 192 no cell applies: the packet draws from page 12 itself.
    if (cell < 0) return kRedirectedSlot;
    const RedirectCell& redirect = staging.redirects[cell];
    for (int k = 0; k < layout.vertexCount; ++k) {
        const int at = VertexOffset(layout, k) + 8;
        const int u = ReadU8(packet, at);
        const int v = ReadU8(packet, at + 1);
        WriteU8(packet, at, static_cast<std::uint8_t>(redirect.sourceU + (u & 31)));
        WriteU8(packet, at + 1, static_cast<std::uint8_t>(redirect.sourceV + (v & 31)));
    }
    return redirect.sourceSlot;
}

// One instance per packet layout, so that every field offset is a constant.
template <const TexturedLayout& layout>
void DrawTextured(void* packet) {
    const std::uint16_t pageWord = ReadU16(packet, layout.pageWordOffset);
    const std::uint8_t code = ReadU8(packet, 7);
    drawState.blendMode = BlendModeOf(pageWord);
    drawState.fullBright = code & kCodeFullBright;

    int slot = SlotForPageWord(pageWord);
    if (slot < 0 || slot > kLastSlot) return;
    if (layout.placeholderTest && IsPlaceholder(packet, layout)) return;
    if (slot == kRedirectedSlot) {
        slot = ApplyRedirect(packet, layout);
        // A cell whose source slot lies outside 0..17 names no page: the packet is dropped.
        if (slot < 0 || slot > kLastSlot) return;
    }

    constexpr const int* walk = layout.vertexCount == 4 ? kQuadWalk : kTriangleWalk;
    const auto fetch = [&](auto k) {
        constexpr int at = VertexOffset(layout, walk[k]);
        constexpr int colorAt = layout.ownColors ? at : 4;
        return PacketVertex{ReadS16(packet, at + 4), ReadS16(packet, at + 6), ReadU8(packet, at + 8),
                            ReadU8(packet, at + 9), ReadU8(packet, colorAt), ReadU8(packet, colorAt + 1),
                            ReadU8(packet, colorAt + 2)};
    };
    Transparency look = TransparencyFor(code);
    if (layout.colorTableRule && !(code & kCodeSemiTransparent)) {
        // Opaque quads on colour tables 2..13 are drawn see-through.
        const int table = ReadU16(packet, 14) & 0x000F;
        if (table > 1 && table < 14) look = {100, 3};
    }
    AppendPacketPolygon<true, layout.vertexCount>(fetch, look, slot, kPageTScale[slot]);
}

}  // namespace

int SlotForPageWord(std::uint16_t pageWord) {
    const int column = pageWord & 0x000F;
    const int row = ((pageWord & 0x0010) ? 1 : 0) + ((pageWord & 0x0800) ? 2 : 0);
    return column - 5 + 11 * row;
}

void DrawFlatTexture(void* packet) { DrawTextured<kFlatTexture>(packet); }
void DrawFlatTexture4(void* packet) { DrawTextured<kFlatTexture4>(packet); }
void DrawGouraudTexture(void* packet) { DrawTextured<kGouraudTexture>(packet); }
void DrawGouraudTexture4(void* packet) { DrawTextured<kGouraudTexture4>(packet); }

}  // namespace vrastex
