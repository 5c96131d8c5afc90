#include "scene/shade.h"

#include "scene/arithmetic.h"
#include "scene/clip.h"
#include "scene/draw_state.h"

namespace vrastex {

namespace {

std::int32_t ShadeChannel(std::int32_t channel) {
    float value = static_cast<float>(channel);
    if (drawState.fullBright) {
        value = 255.0f;
    } else {
        value = value * 2.0f;
        if (value > 255.0f) value = 255.0f;
    }
    return TruncateToInt(value);
}

// A coordinate above the mean steps down, any other (equal included) up.
std::int32_t PullToward(float mean, std::int32_t coordinate) {
    const double step = mean - static_cast<float>(coordinate) < 0.0f ? -1.0 : 1.0;
    return TruncateToInt(static_cast<double>(coordinate) + step);
}

}  // namespace

void ShadeVertex(std::int32_t& r, std::int32_t& g, std::int32_t& b) {
    r = ShadeChannel(r);
    g = ShadeChannel(g);
    b = ShadeChannel(b);
}

void PullTexCoords(int count) {
    if (count <= 0) return;
    double sumU = 0.0;
    double sumV = 0.0;
    for (int i = 0; i < count; ++i) {
        sumU += clipFinal.vertices[i].u;
        sumV += clipFinal.vertices[i].v;
    }
    const float meanU = static_cast<float>(static_cast<double>(static_cast<float>(sumU)) / count);
    const float meanV = static_cast<float>(static_cast<double>(static_cast<float>(sumV)) / count);
    for (int i = 0; i < count; ++i) {
        ClipVertex& vertex = clipFinal.vertices[i];
        vertex.u = PullToward(meanU, vertex.u);
        vertex.v = PullToward(meanV, vertex.v);
    }
}

}  // namespace vrastex
