#include "present/picture.h"

#include <algorithm>
#include <cmath>

PictureFit FitPicture(int frameWidth, int frameHeight, int windowWidth, int windowHeight) {
    int scale = 1;
    if (frameWidth > 0 && frameHeight > 0)
        scale = std::max(1, std::min(windowWidth / frameWidth, windowHeight / frameHeight));
    const int width = frameWidth * scale, height = frameHeight * scale;
    return PictureFit{scale, (windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

void BuildGammaTable(float gamma, std::uint8_t table[256]) {
    const bool identity = !(gamma > 0.0f) || !std::isfinite(gamma) || gamma == 1.0f;
    for (int i = 0; i < 256; ++i) {
        if (identity) {
            table[i] = static_cast<std::uint8_t>(i);
            continue;
        }
        const double v = 255.0 * std::pow(i / 255.0, 1.0 / gamma) + 0.5;
        table[i] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(v), 0, 255));
    }
}

bool GammaIsIdentity(const std::uint8_t table[256]) {
    for (int i = 0; i < 256; ++i)
        if (table[i] != i) return false;
    return true;
}

void ComposePicture(const std::uint16_t* frame, int frameWidth, int frameHeight, const std::uint8_t gamma[256],
                    const PictureFit& fit, std::uint32_t* out, int windowWidth, int windowHeight, int pitch) {
    const int s = fit.scale;
    for (int y = 0; y < windowHeight; ++y) {
        std::uint32_t* row = out + std::size_t(y) * std::size_t(pitch);
        const int fy = y - fit.y;
        if (fy < 0 || fy >= fit.height) {
            std::fill(row, row + windowWidth, 0u);
            continue;
        }
        const std::uint16_t* src = frame + std::size_t(fy / s) * std::size_t(frameWidth);
        const int x0 = std::max(0, fit.x), x1 = std::min(windowWidth, fit.x + fit.width);
        std::fill(row, row + x0, 0u);
        for (int x = x0; x < x1; ++x) row[x] = Rgb565ToXrgb(src[(x - fit.x) / s], gamma);
        std::fill(row + std::max(x0, x1), row + windowWidth, 0u);
    }
    (void)frameHeight;
}
