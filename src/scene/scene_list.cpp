#include "scene/scene_list.h"

#include "glide/glide_binding.h"
#include "texture/slot_table.h"

namespace vrastex {

SceneList scene;

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
        const GrVertex* vertices = scene.records[i].vertices;
        const std::int16_t count = scene.vertexCounts[i];
        if (count == 2)
            glide::grDrawLine(&vertices[0], &vertices[1]);
        else
            glide::grDrawPolygonVertexList(static_cast<int>(count), &vertices[0]);
        total += static_cast<std::uint32_t>(static_cast<std::int32_t>(count));
    }
    scene.count = 0;
    return total;
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
