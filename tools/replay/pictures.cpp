#include "pictures.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace replay {

namespace {

// Pictures larger than this are refused before any memory is taken for them.
constexpr png_uint_32 kMaxSide = 8192;

struct ReadContext {
    char message[200];
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* context = static_cast<ReadContext*>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof context->message, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The libpng part alone: it returns through longjmp on a decoding error, so it
// keeps no object with a destructor of its own; everything it fills belongs to
// the caller.
bool DecodePng(std::FILE* file, PngImage* image, std::vector<png_bytep>* rows, ReadContext* context) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, context, OnPngError, OnPngWarning);
    if (png == nullptr) {
        std::snprintf(context->message, sizeof context->message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(context->message, sizeof context->message, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (width > kMaxSide || height > kMaxSide) {
        std::snprintf(context->message, sizeof context->message, "picture of %ux%u is larger than %ux%u",
                      unsigned(width), unsigned(height), unsigned(kMaxSide), unsigned(kMaxSide));
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        image->palette = true;
        png_colorp entries = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &entries, &count);
        for (int i = 0; i < count; ++i)
            image->paletteEntries.push_back({entries[i].red, entries[i].green, entries[i].blue});
        png_set_packing(png);  // one index a byte whatever the bit depth
    } else if (colourType == PNG_COLOR_TYPE_RGB || colourType == PNG_COLOR_TYPE_RGB_ALPHA) {
        image->palette = false;
        png_set_strip_16(png);
        png_set_strip_alpha(png);
    } else {
        std::snprintf(context->message, sizeof context->message,
                      "grey-scale picture; an RGB or a palette picture is needed");
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const std::size_t pixelBytes = image->palette ? 1 : 3;
    if (rowBytes != pixelBytes * width) {
        std::snprintf(context->message, sizeof context->message, "unexpected row size");
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->bitDepth = bitDepth;
    image->pixels.assign(rowBytes * height, 0);
    rows->resize(height);
    for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = image->pixels.data() + y * rowBytes;
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

bool ReadPng(const std::string& path, PngImage& image, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    unsigned char signature[8] = {};
    const bool isPng = std::fread(signature, 1, 8, file) == 8 && png_sig_cmp(signature, 0, 8) == 0;
    if (!isPng) {
        std::fclose(file);
        error = path + " is not a PNG file";
        return false;
    }
    std::rewind(file);
    image = PngImage{};
    std::vector<png_bytep> rows;
    ReadContext context{};
    const bool ok = DecodePng(file, &image, &rows, &context);
    std::fclose(file);
    if (!ok) {
        error = path + ": " + context.message;
        image = PngImage{};
    }
    return ok;
}

bool WritePngRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
                 std::string& error) {
    if (width <= 0 || height <= 0 || rgb.size() != std::size_t(width) * std::size_t(height) * 3) {
        error = "cannot write " + path + ": empty or inconsistent picture";
        return false;
    }
    const std::string part = path + ".part";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, part.c_str(), 0, rgb.data(), 0, nullptr)) {
        error = "cannot write " + part + ": " + image.message;
        png_image_free(&image);
        std::error_code ignored;
        std::filesystem::remove(part, ignored);
        return false;
    }
    std::error_code code;
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
