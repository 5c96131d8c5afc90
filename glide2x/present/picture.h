// How a frame fills a window: the largest whole scale that fits, nearest
// neighbour, centred with black bars; the gamma table applied on the way out
// as the card's video output applies it.
#pragma once

#include <cstdint>

struct PictureFit {
    int scale;   // whole factor, at least 1 (a window smaller than the frame crops it)
    int x, y;    // where the scaled frame's top-left corner lands (negative when cropped)
    int width, height;  // the scaled frame's size
};

PictureFit FitPicture(int frameWidth, int frameHeight, int windowWidth, int windowHeight);

// out = round(255 * (in / 255) ^ (1 / gamma)); gamma 1 (or anything not
// positive and finite) is the identity.
void BuildGammaTable(float gamma, std::uint8_t table[256]);
bool GammaIsIdentity(const std::uint8_t table[256]);

// 565 to 8 bits by repeating the top bits: r8 = (r5 << 3) | (r5 >> 2),
// g8 = (g6 << 2) | (g6 >> 4), b8 as r8.
inline std::uint32_t Rgb565ToXrgb(std::uint16_t p, const std::uint8_t gamma[256]) {
    const unsigned r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return std::uint32_t(gamma[(r << 3) | (r >> 2)]) << 16 | std::uint32_t(gamma[(g << 2) | (g >> 4)]) << 8 |
           gamma[(b << 3) | (b >> 2)];
}

// The whole window image (XRGB 8888, `pitch` pixels a row): the frame at
// `fit`, black around it.
void ComposePicture(const std::uint16_t* frame, int frameWidth, int frameHeight, const std::uint8_t gamma[256],
                    const PictureFit& fit, std::uint32_t* out, int windowWidth, int windowHeight, int pitch);
