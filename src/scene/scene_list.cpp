#include "scene/scene_list.h"

#include "glide/glide_binding.h"
#include "texture/slot_table.h"

namespace vrastex {

SceneList scene;

namespace {

std::uint32_t SendRecords() {
    std::uint32_t total = 0;
    for (std::uint32_t i = 0; i < scene.count; ++i) {
        const std::int32_t slot = scene.textureSlots[i];
        if (slot != kUntexturedSlot) {
            SelectBlendState(scene.blendModes[i], 1);
            TextureSlot& s = slotTable.slots[slot];
            glide::grTexSource(s.tmu, s.startAddress, static_cast<FxU32>(GR_MIPMAPLEVELMASK_BOTH),
                               &s.info);
        } else {
            SelectBlendState(scene.blendModes[i], 0);
        }
        const SceneRecord& record = scene.records[i];
        if (record.vertexCount == 2)
            glide::grDrawLine(&record.vertices[0], &record.vertices[1]);
        else
            glide::grDrawPolygonVertexList(static_cast<int>(record.vertexCount), &record.vertices[0]);
        total += static_cast<std::uint32_t>(static_cast<std::int32_t>(record.vertexCount));
    }
    scene.count = 0;
    return total;
}

}  // namespace

void ReserveRecords(int needed) {
    if (scene.count + static_cast<std::uint32_t>(needed) > kSceneCapacity)
        scene.verticesSentEarly += SendRecords();
}

SceneRecord& NextRecord() {
    ReserveRecords(1);
    return scene.records[scene.count];
}

void AppendRecord(std::int32_t blendMode, std::int32_t textureSlot) {
    scene.blendModes[scene.count] = blendMode;
    scene.textureSlots[scene.count] = textureSlot;
    ++scene.count;
}

std::uint32_t RenderScene() {
    std::uint32_t total = scene.verticesSentEarly;
    scene.verticesSentEarly = 0;
    if (scene.count == 0) return total;
    return total + SendRecords();
}

void EmptySceneList() {
    scene.count = 0;
    scene.verticesSentEarly = 0;
}

void SelectBlendState(std::int32_t blendMode, int textured) {
    struct Combine {
        FxI32 function, factor, local, other, invert;
    };
    struct BlendState {
        Combine color, alpha;
        FxI32 rgbSrc, rgbDst, alphaSrc, alphaDst;
    };
    // Additive modes scale by the vertex alpha onto the frame; the others mix.
    constexpr BlendState kUntexturedAdd = {{3, 1, 0, 0, 0}, {1, 0, 1, 2, 0}, 1, 1, 4, 0};
    constexpr BlendState kUntexturedMix = {{3, 1, 0, 0, 0}, {3, 8, 1, 0, 0}, 1, 5, 4, 0};
    constexpr BlendState kTexturedAdd = {{3, 1, 0, 1, 0}, {1, 0, 1, 2, 0}, 1, 1, 4, 0};
    constexpr BlendState kTexturedInverse = {{3, 9, 0, 1, 0}, {3, 9, 0, 0, 0}, 1, 5, 4, 0};
    constexpr BlendState kTexturedMix = {{3, 1, 0, 1, 0}, {3, 8, 1, 0, 0}, 1, 5, 4, 0};

    const BlendState* state;
    if (!textured)
        state = (blendMode == 1 || blendMode == 3) ? &kUntexturedAdd : &kUntexturedMix;
    else if (blendMode == 1)
        state = &kTexturedAdd;
    else if (blendMode == 2)
        state = &kTexturedInverse;
    else
        state = &kTexturedMix;

    const Combine& c = state->color;
    const Combine& a = state->alpha;
    glide::grColorCombine(c.function, c.factor, c.local, c.other, c.invert);
    glide::grAlphaCombine(a.function, a.factor, a.local, a.other, a.invert);
    glide::grAlphaBlendFunction(state->rgbSrc, state->rgbDst, state->alphaSrc, state->alphaDst);
}

}  // namespace vrastex
