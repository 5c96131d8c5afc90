#include "scene/scene_list.h"

#include "glide/glide_binding.h"
#include "texture/slot_table.h"

namespace vrastex {

SceneList scene;

namespace {

// SelectBlendState, inlined into the flush loop itself.
[[gnu::always_inline]] inline void ApplyBlendState(std::int32_t blendMode, int textured) {
    struct Combine {
        FxI32 function, factor, local, other, invert;
    };
    struct BlendState {
        Combine color, alpha;
        FxI32 rgbSrc, rgbDst, alphaSrc, alphaDst;
    };
    // Colour: the other input (the iterated colour untextured, the texel
    // textured) scaled by the iterated colour, or by its complement.
    constexpr FxI32 kScale = GR_COMBINE_FUNCTION_SCALE_OTHER;
    constexpr FxI32 kLocal = GR_COMBINE_FUNCTION_LOCAL;
    constexpr Combine kIteratedColor = {kScale, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
                                        GR_COMBINE_OTHER_ITERATED, FXFALSE};
    constexpr Combine kTextureColor = {kScale, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
                                       GR_COMBINE_OTHER_TEXTURE, FXFALSE};
    constexpr Combine kTextureInverseColor = {kScale, GR_COMBINE_FACTOR_ONE_MINUS_LOCAL,
                                              GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE};
    // Alpha from the constant colour (additive) or the vertex alpha (mixing).
    constexpr Combine kConstantAlpha = {kLocal, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_CONSTANT,
                                        GR_COMBINE_OTHER_CONSTANT, FXFALSE};
    constexpr Combine kIteratedAlpha = {kScale, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT,
                                        GR_COMBINE_OTHER_ITERATED, FXFALSE};
    constexpr Combine kInverseAlpha = {kScale, GR_COMBINE_FACTOR_ONE_MINUS_LOCAL, GR_COMBINE_LOCAL_ITERATED,
                                       GR_COMBINE_OTHER_ITERATED, FXFALSE};
    // Additive modes scale by the vertex alpha onto the frame; the others mix.
    constexpr FxI32 kSrcAlpha = GR_BLEND_SRC_ALPHA, kOne = GR_BLEND_ONE, kZero = GR_BLEND_ZERO;
    constexpr FxI32 kOneMinusSrcAlpha = GR_BLEND_ONE_MINUS_SRC_ALPHA;
    static constexpr BlendState kUntexturedAdd = {kIteratedColor, kConstantAlpha, kSrcAlpha,
                                                  kSrcAlpha,      kOne,           kZero};
    static constexpr BlendState kUntexturedMix = {kIteratedColor,    kIteratedAlpha, kSrcAlpha,
                                                  kOneMinusSrcAlpha, kOne,           kZero};
    static constexpr BlendState kTexturedAdd = {kTextureColor, kConstantAlpha, kSrcAlpha,
                                                kSrcAlpha,     kOne,           kZero};
    static constexpr BlendState kTexturedInverse = {kTextureInverseColor, kInverseAlpha, kSrcAlpha,
                                                    kOneMinusSrcAlpha,    kOne,          kZero};
    static constexpr BlendState kTexturedMix = {kTextureColor,     kIteratedAlpha, kSrcAlpha,
                                                kOneMinusSrcAlpha, kOne,           kZero};

    // By textured flag, then by mode; modes outside 0..3 are drawn like 0.
    static constexpr const BlendState* kStates[2][4] = {
        {&kUntexturedMix, &kUntexturedAdd, &kUntexturedMix, &kUntexturedAdd},
        {&kTexturedMix, &kTexturedAdd, &kTexturedInverse, &kTexturedMix},
    };
    const auto mode = static_cast<std::uint32_t>(blendMode);
    const BlendState* state = kStates[textured != 0][mode < 4 ? mode : 0];

    const Combine& c = state->color;
    const Combine& a = state->alpha;
    glide::grColorCombine(c.function, c.factor, c.local, c.other, c.invert);
    glide::grAlphaCombine(a.function, a.factor, a.local, a.other, a.invert);
    glide::grAlphaBlendFunction(state->rgbSrc, state->rgbDst, state->alphaSrc, state->alphaDst);
}

}  // namespace

std::uint32_t SendRecords() {
    std::uint32_t total = 0;
    for (std::uint32_t i = 0; i < scene.count; ++i) {
        const std::int32_t slot = scene.textureSlots[i];
        const int textured = slot != kUntexturedSlot;
        ApplyBlendState(scene.blendModes[i], textured);
        if (textured) {
            TextureSlot& s = slotTable.slots[slot];
            glide::grTexSource(s.tmu, s.startAddress, static_cast<FxU32>(GR_MIPMAPLEVELMASK_BOTH), &s.info);
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

void SelectBlendState(std::int32_t blendMode, int textured) { ApplyBlendState(blendMode, textured); }

}  // namespace vrastex
