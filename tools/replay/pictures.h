// PNG files in and out, and the colour words the host hands over.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace replay {

// A PNG as read: either 8-bit RGB triplets (an RGB or RGBA file; alpha is
// dropped) or one palette index per pixel.
struct PngImage {
    int width = 0;
    int height = 0;
    bool palette = false;
    int bitDepth = 0;                       // of the file
    std::vector<std::uint8_t> pixels;       // RGB: 3 bytes a pixel; palette: 1 index a pixel
    std::vector<std::array<std::uint8_t, 3>> paletteEntries;
};

// Decoding and encoding are stb's (stb_image, stb_image_write), the same code
// on every platform, so every build reads and writes the same bytes. Reads
// whatever stb_image reads of PNG (any colour type and bit depth, interlaced
// or not) up to 8192 pixels on a side: palette pictures as indices, every
// other kind as 8-bit RGB (grey repeated, alpha dropped, 16-bit channels cut
// to their top byte).

// False with a message for a missing or unreadable file, a file that is no
// PNG, or one the decoder refuses.
bool ReadPng(const std::string& path, PngImage& image, std::string& error);

// The decoder on a file's bytes. On failure `image` is left empty.
bool DecodePng(const std::uint8_t* data, std::size_t size, PngImage& image, std::string& error);

// The file WritePngRgb writes, as bytes: 8-bit RGB, not interlaced, rows
// unfiltered, deflated by stb_image_write. The same pixels always give the
// same bytes.
std::vector<std::uint8_t> EncodePngRgb(int width, int height, const std::vector<std::uint8_t>& rgb);

// Writes 8-bit RGB rows to `path` through a temporary file that is renamed
// into place, so a failed write never leaves a partial PNG behind.
bool WritePngRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
                 std::string& error);

// 8-bit channels to the host colour word: red in bits 0-4, green 5-9, blue
// 10-14 (the top five bits of each channel), flag in bit 15.
std::uint16_t HostColour(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool flag);
// 8-bit channels to the 555 word BlitScreen reads: red in bits 10-14, blue in 0-4.
std::uint16_t Glide555(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// Every pixel of an RGB image as a host colour word, rows packed.
std::vector<std::uint16_t> HostColours(const PngImage& image, bool flag);
// Every pixel of an RGB image as a 555 word, rows packed.
std::vector<std::uint16_t> Glide555Colours(const PngImage& image);
// Palette entries as host colour words.
std::vector<std::uint16_t> PaletteColours(const PngImage& image, bool flag);

// Indices of a palette image packed as the host's indexed rows: bits 8, two
// pixels a 16-bit unit (one a byte); bits 4, four a unit, the first pixel of
// each byte in its low nibble. The width must be a multiple of the pixels per
// unit and, for 4 bits, every index below 16; otherwise false with a message.
bool PackIndices(const PngImage& image, int bits, std::vector<std::uint8_t>& bytes, std::string& error);

// RGB 565 read-back to 8-bit RGB by bit replication (31 -> 255, 63 -> 255).
std::vector<std::uint8_t> Rgb565ToRgb8(const std::uint16_t* pixels, std::size_t count);

}  // namespace replay
