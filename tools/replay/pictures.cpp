#include "pictures.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

// stb does the decoding and encoding: one implementation, compiled into this
// file alone, PNG only, no file access of its own.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 8192
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace replay {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Files larger than this are not read at all (an 8192 x 8192 RGBA picture
// stored without compression is 257 MiB).
constexpr std::uintmax_t kMaxFileBytes = 320u << 20;
constexpr int kPaletteColourType = 3;

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// stb turns palette pictures into colours, but uploads need the indices. So
// a copy of the file gets a 256-entry PLTE in which entry i is (i, i, i): its
// red channel is then the index, also beyond the file's own palette. The
// file's own entries go to `entries`. stb does not check chunk CRCs, so the
// new chunk carries none. False when the file has no PLTE chunk.
bool WithIndexPalette(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& copy,
                      std::vector<std::array<std::uint8_t, 3>>& entries) {
    for (std::size_t at = 8; size - at >= 12;) {
        const std::size_t length = Be32(data + at);
        if (size - at - 12 < length) return false;
        if (std::memcmp(data + at + 4, "PLTE", 4) == 0) {
            const std::uint8_t* body = data + at + 8;
            for (std::size_t i = 0; i + 2 < length && entries.size() < 256; i += 3)
                entries.push_back({body[i], body[i + 1], body[i + 2]});
            copy.assign(data, data + at);
            PutBe32(copy, 3 * 256);
            copy.insert(copy.end(), {'P', 'L', 'T', 'E'});
            for (int i = 0; i < 256; ++i) copy.insert(copy.end(), 3, static_cast<std::uint8_t>(i));
            PutBe32(copy, 0);
            copy.insert(copy.end(), data + at + 12 + length, data + size);
            return true;
        }
        at += length + 12;
    }
    return false;
}

}  // namespace

bool DecodePng(const std::uint8_t* data, std::size_t size, PngImage& image, std::string& error) {
    image = PngImage{};
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) {
        error = "no PNG signature";
        return false;
    }
    if (size > std::size_t(INT_MAX)) {
        error = "file too large";
        return false;
    }
    // The header chunk comes first: bit depth at byte 24, colour type at 25.
    const bool header = size >= 33 && std::memcmp(data + 12, "IHDR", 4) == 0;
    const bool palette = header && data[25] == kPaletteColourType;
    std::vector<std::uint8_t> copy;
    if (palette && !WithIndexPalette(data, size, copy, image.paletteEntries)) {
        error = "palette picture without a PLTE chunk";
        return false;
    }
    const std::uint8_t* source = palette ? copy.data() : data;
    const int length = static_cast<int>(palette ? copy.size() : size);
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgb = stbi_load_from_memory(source, length, &width, &height, &channels, 3);
    if (rgb == nullptr) {
        error = std::string("cannot decode: ") + stbi_failure_reason();
        image = PngImage{};
        return false;
    }
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    if (palette) {
        image.pixels.resize(pixels);
        for (std::size_t i = 0; i < pixels; ++i) image.pixels[i] = rgb[3 * i];
        // Entries beyond what the bit depth can index are dropped.
        image.paletteEntries.resize(std::min<std::size_t>(image.paletteEntries.size(), std::size_t(1) << data[24]));
    } else {
        image.pixels.assign(rgb, rgb + 3 * pixels);
    }
    stbi_image_free(rgb);
    image.width = width;
    image.height = height;
    image.palette = palette;
    image.bitDepth = header ? data[24] : 8;
    return true;
}

bool ReadPng(const std::string& path, PngImage& image, std::string& error) {
    image = PngImage{};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    bool tooLarge = false;
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        if (bytes.size() + got > kMaxFileBytes) {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        error = "cannot read " + path;
        return false;
    }
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
        error = path + " is not a PNG file";
        return false;
    }
    if (tooLarge) {
        error = path + ": file larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB";
        return false;
    }
    if (!DecodePng(bytes.data(), bytes.size(), image, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<std::uint8_t> EncodePngRgb(int width, int height, const std::vector<std::uint8_t>& rgb) {
    // Unfiltered rows: the Windows check's pixel diff reads them back as they are.
    stbi_write_force_png_filter = 0;
    std::vector<std::uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    };
    if (!stbi_write_png_to_func(append, &png, width, height, 3, rgb.data(), width * 3)) return {};
    return png;
}

bool WritePngRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
                 std::string& error) {
    if (width <= 0 || height <= 0 || width > STBI_MAX_DIMENSIONS || height > STBI_MAX_DIMENSIONS ||
        rgb.size() != std::size_t(width) * std::size_t(height) * 3) {
        error = "cannot write " + path + ": empty, oversized or inconsistent picture";
        return false;
    }
    const std::vector<std::uint8_t> png = EncodePngRgb(width, height, rgb);
    if (png.empty()) {
        error = "cannot write " + path + ": the encoder failed";
        return false;
    }
    const std::string part = path + ".part";
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + part + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code code;
    if (!written || !closed) {
        error = "cannot write " + part + ": " + std::strerror(errno);
        std::filesystem::remove(part, code);
        return false;
    }
    std::filesystem::rename(part, path, code);
    if (code) {
        error = "cannot rename " + part + " to " + path + ": " + code.message();
        std::filesystem::remove(part, code);
        return false;
    }
    return true;
}

std::uint16_t HostColour(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool flag) {
    return static_cast<std::uint16_t>((r >> 3) | ((g >> 3) << 5) | ((b >> 3) << 10) | (flag ? 0x8000 : 0));
}

std::uint16_t Glide555(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

std::vector<std::uint16_t> HostColours(const PngImage& image, bool flag) {
    std::vector<std::uint16_t> words(image.pixels.size() / 3);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = HostColour(image.pixels[3 * i], image.pixels[3 * i + 1], image.pixels[3 * i + 2], flag);
    return words;
}

std::vector<std::uint16_t> Glide555Colours(const PngImage& image) {
    std::vector<std::uint16_t> words(image.pixels.size() / 3);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = Glide555(image.pixels[3 * i], image.pixels[3 * i + 1], image.pixels[3 * i + 2]);
    return words;
}

std::vector<std::uint16_t> PaletteColours(const PngImage& image, bool flag) {
    std::vector<std::uint16_t> words;
    for (const auto& entry : image.paletteEntries) words.push_back(HostColour(entry[0], entry[1], entry[2], flag));
    return words;
}

bool PackIndices(const PngImage& image, int bits, std::vector<std::uint8_t>& bytes, std::string& error) {
    const int perUnit = bits == 4 ? 4 : 2;
    if (image.width % perUnit != 0) {
        error = "a " + std::to_string(bits) + "-bit upload needs a width that is a multiple of " +
                std::to_string(perUnit) + " pixels, the picture is " + std::to_string(image.width) + " wide";
        return false;
    }
    bytes.clear();
    if (bits == 8) {
        bytes = image.pixels;
        return true;
    }
    bytes.reserve(image.pixels.size() / 2);
    for (std::size_t i = 0; i < image.pixels.size(); i += 2) {
        const std::uint8_t first = image.pixels[i];
        const std::uint8_t second = image.pixels[i + 1];
        if (first > 15 || second > 15) {
            const std::size_t at = first > 15 ? i : i + 1;
            error = "index " + std::to_string(std::max(first, second)) + " at pixel (" +
                    std::to_string(at % image.width) + ", " + std::to_string(at / image.width) +
                    ") does not fit a 4-bit upload";
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(first | (second << 4)));
    }
    return true;
}

std::vector<std::uint8_t> Rgb565ToRgb8(const std::uint16_t* pixels, std::size_t count) {
    std::vector<std::uint8_t> rgb(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned r = (pixels[i] >> 11) & 31, g = (pixels[i] >> 5) & 63, b = pixels[i] & 31;
        rgb[3 * i] = static_cast<std::uint8_t>((r << 3) | (r >> 2));
        rgb[3 * i + 1] = static_cast<std::uint8_t>((g << 2) | (g >> 4));
        rgb[3 * i + 2] = static_cast<std::uint8_t>((b << 3) | (b >> 2));
    }
    return rgb;
}

}  // namespace replay
