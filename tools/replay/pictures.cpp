#include "pictures.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace replay {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Pictures larger than this are refused before any memory is taken for them.
constexpr std::uint32_t kMaxSide = 8192;
// Files larger than this are not read at all (an 8192 x 8192 RGBA picture
// stored without compression is 257 MiB).
constexpr std::uintmax_t kMaxFileBytes = 320u << 20;
// Size of the writer's IDAT chunks.
constexpr std::size_t kIdatBytes = 65536;
constexpr int kDeflateLevel = 6;
// Deflate cannot shrink data by more than 1032 to 1 (a 258-byte match in two
// bits), so image data shorter than this fraction of the rows is cut short.
constexpr std::size_t kMaxDeflateRatio = 1032;

enum ColourType { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// CRC-32 of a chunk's type and data, as zlib computes it.
std::uint32_t ChunkCrc(const std::uint8_t* typeAndData, std::size_t size) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most a uInt at a time.
    while (size > 0) {
        const uInt part = static_cast<uInt>(std::min<std::size_t>(size, std::numeric_limits<uInt>::max()));
        crc = crc32(crc, typeAndData, part);
        typeAndData += part;
        size -= part;
    }
    return static_cast<std::uint32_t>(crc);
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t size) {
    PutBe32(out, static_cast<std::uint32_t>(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0) out.insert(out.end(), data, data + size);
    PutBe32(out, ChunkCrc(out.data() + start, size + 4));
}

std::uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Undoes one row's filter in place. `previous` is the row above, unfiltered
// (all zero for the first row); `bpp` the bytes of a whole pixel, at least 1.
bool Unfilter(int type, std::uint8_t* row, const std::uint8_t* previous, std::size_t size, std::size_t bpp) {
    switch (type) {
    case 0: return true;
    case 1:
        for (std::size_t i = bpp; i < size; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
        return true;
    case 2:
        for (std::size_t i = 0; i < size; ++i) row[i] = static_cast<std::uint8_t>(row[i] + previous[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned left = i >= bpp ? row[i - bpp] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + ((left + previous[i]) >> 1));
        }
        return true;
    case 4:
        for (std::size_t i = 0; i < size; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int upperLeft = i >= bpp ? previous[i - bpp] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + Paeth(left, previous[i], upperLeft));
        }
        return true;
    default: return false;
    }
}

struct Header {
    std::uint32_t width = 0, height = 0;
    int depth = 0, colourType = 0;
};

bool CheckHeader(const std::uint8_t* data, std::uint32_t size, Header& header, std::string& error) {
    if (size != 13) {
        error = "IHDR chunk of " + std::to_string(size) + " bytes, not 13";
        return false;
    }
    header.width = Be32(data);
    header.height = Be32(data + 4);
    header.depth = data[8];
    header.colourType = data[9];
    const int compression = data[10], filter = data[11], interlace = data[12];
    const int d = header.depth;
    bool valid = false;
    switch (header.colourType) {
    case kGrey: valid = d == 1 || d == 2 || d == 4 || d == 8 || d == 16; break;
    case kPalette: valid = d == 1 || d == 2 || d == 4 || d == 8; break;
    case kRgb:
    case kGreyAlpha:
    case kRgba: valid = d == 8 || d == 16; break;
    default: break;
    }
    if (!valid) {
        error = "invalid colour type " + std::to_string(header.colourType) + " with bit depth " + std::to_string(d);
    } else if (header.width == 0 || header.height == 0 || header.width > 0x7FFFFFFFu ||
               header.height > 0x7FFFFFFFu) {
        error = "invalid picture size " + std::to_string(header.width) + "x" + std::to_string(header.height);
    } else if (compression != 0 || filter != 0 || interlace > 1) {
        error = "invalid compression, filter or interlace method in IHDR";
    } else if (header.colourType == kGrey || header.colourType == kGreyAlpha) {
        error = "grey-scale picture; an RGB or a palette picture is needed";
    } else if (d == 16) {
        error = "16-bit channels; an 8-bit RGB, RGBA or palette picture is needed";
    } else if (interlace == 1) {
        error = "interlaced picture; save it without interlacing";
    } else if (header.width > kMaxSide || header.height > kMaxSide) {
        error = "picture of " + std::to_string(header.width) + "x" + std::to_string(header.height) +
                " is larger than " + std::to_string(kMaxSide) + "x" + std::to_string(kMaxSide);
    } else {
        return true;
    }
    return false;
}

struct Span {
    const std::uint8_t* data;
    std::size_t size;
};

// Inflates the IDAT data into `raw`, which must come out exactly `size`
// bytes long; `raw` has room for one byte more, so that surplus data shows.
bool Inflate(const std::vector<Span>& idat, std::uint8_t* raw, std::size_t size, std::string& error) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        error = "cannot start zlib";
        return false;
    }
    stream.next_out = raw;
    stream.avail_out = static_cast<uInt>(size + 1);
    int result = Z_OK;
    for (const Span& span : idat) {
        stream.next_in = const_cast<Bytef*>(span.data);
        stream.avail_in = static_cast<uInt>(span.size);
        while (stream.avail_in > 0 && stream.avail_out > 0) {
            result = inflate(&stream, Z_NO_FLUSH);
            if (result != Z_OK) break;
        }
        if (result != Z_OK || stream.avail_out == 0) break;
    }
    const std::size_t produced = size + 1 - stream.avail_out;
    const char* message = stream.msg;
    inflateEnd(&stream);
    if (produced > size) {
        error = "more image data than the picture's rows hold";
    } else if (result == Z_STREAM_END && produced == size) {
        return true;
    } else if (result == Z_STREAM_END || (result == Z_OK && produced < size)) {
        error = "image data ends early (" + std::to_string(produced) + " of " + std::to_string(size) +
                " bytes); the file is cut short";
    } else if (result == Z_OK) {
        error = "image data ends without the end of its compressed stream";
    } else {
        error = std::string("corrupt image data: ") + (message ? message : zError(result));
    }
    return false;
}

// Unfilters the rows in place and fills image.pixels.
bool DecodeRows(const Header& header, std::vector<std::uint8_t>& raw, PngImage& image, std::string& error) {
    const std::size_t channels = header.colourType == kRgb ? 3 : header.colourType == kRgba ? 4 : 1;
    const std::size_t bitsPerPixel = channels * std::size_t(header.depth);
    const std::size_t rowBytes = (header.width * bitsPerPixel + 7) / 8;
    const std::size_t bpp = std::max<std::size_t>(1, bitsPerPixel / 8);
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    const std::size_t outChannels = header.colourType == kPalette ? 1 : 3;
    image.pixels.resize(std::size_t(header.width) * header.height * outChannels);
    std::uint8_t* out = image.pixels.data();
    for (std::size_t y = 0; y < header.height; ++y) {
        std::uint8_t* line = raw.data() + y * (rowBytes + 1);
        std::uint8_t* row = line + 1;
        const std::uint8_t* previous = y == 0 ? zeros.data() : row - (rowBytes + 1);
        if (!Unfilter(line[0], row, previous, rowBytes, bpp)) {
            error = "unknown row filter " + std::to_string(line[0]) + " in row " + std::to_string(y);
            return false;
        }
        if (header.colourType == kPalette) {
            const unsigned depth = static_cast<unsigned>(header.depth), mask = (1u << depth) - 1;
            for (std::size_t x = 0; x < header.width; ++x) {
                const std::size_t bit = x * depth;
                *out++ = static_cast<std::uint8_t>((row[bit / 8] >> (8 - depth - bit % 8)) & mask);
            }
        } else {
            for (std::size_t x = 0; x < header.width; ++x, out += 3) std::memcpy(out, row + x * channels, 3);
        }
    }
    return true;
}

}  // namespace

bool DecodePng(const std::uint8_t* data, std::size_t size, PngImage& image, std::string& error) {
    image = PngImage{};
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) {
        error = "no PNG signature";
        return false;
    }
    Header header;
    bool haveHeader = false, haveEnd = false;
    enum { kBeforeData, kInData, kAfterData } dataState = kBeforeData;
    std::vector<Span> idat;
    std::size_t idatBytes = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::size_t at = 8;
    auto fail = [&](std::string message) {
        error = std::move(message);
        image = PngImage{};
        return false;
    };
    while (!haveEnd) {
        if (size - at < 12) {
            return fail(at == size ? "the file ends before its IEND chunk; it is cut short"
                                   : "the file ends inside a chunk header; it is cut short");
        }
        const std::uint32_t length = Be32(data + at);
        const std::uint8_t* type = data + at + 4;
        const std::uint8_t* body = data + at + 8;
        char name[5] = {};
        for (int i = 0; i < 4; ++i) {
            const bool letter = (type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z');
            if (!letter) return fail("corrupt chunk type at byte " + std::to_string(at + 4));
            name[i] = static_cast<char>(type[i]);
        }
        const std::string chunk = name;
        if (length > 0x7FFFFFFFu) return fail(chunk + " chunk with an invalid length");
        if (size - at - 12 < length) return fail("the file ends inside the " + chunk + " chunk; it is cut short");
        if (ChunkCrc(type, std::size_t(length) + 4) != Be32(body + length))
            return fail("CRC error in the " + chunk + " chunk at byte " + std::to_string(at));
        at += std::size_t(length) + 12;

        if (!haveHeader && chunk != "IHDR") return fail("the first chunk is " + chunk + ", not IHDR");
        if (dataState == kInData && chunk != "IDAT") dataState = kAfterData;
        if (chunk == "IHDR") {
            if (haveHeader) return fail("a second IHDR chunk");
            if (!CheckHeader(body, length, header, error)) return fail(error);
            haveHeader = true;
        } else if (chunk == "PLTE") {
            if (!palette.empty()) return fail("a second PLTE chunk");
            if (dataState != kBeforeData) return fail("PLTE chunk after the image data");
            if (length == 0 || length % 3 != 0 || length > 3 * 256)
                return fail("PLTE chunk of " + std::to_string(length) + " bytes");
            for (std::uint32_t i = 0; i < length; i += 3) palette.push_back({body[i], body[i + 1], body[i + 2]});
        } else if (chunk == "IDAT") {
            if (dataState == kAfterData) return fail("IDAT chunks that do not follow one another");
            if (header.colourType == kPalette && palette.empty()) return fail("palette picture without a PLTE chunk");
            dataState = kInData;
            idat.push_back({body, length});
            idatBytes += length;
        } else if (chunk == "IEND") {
            haveEnd = true;
        } else if (name[0] >= 'A' && name[0] <= 'Z') {
            return fail("unknown critical chunk " + chunk);
        }  // other ancillary chunks are skipped
    }
    if (idat.empty()) return fail("no image data (IDAT chunk)");

    const std::size_t channels = header.colourType == kRgb ? 3 : header.colourType == kRgba ? 4 : 1;
    const std::size_t rowBytes = (header.width * channels * std::size_t(header.depth) + 7) / 8;
    const std::size_t rawBytes = header.height * (rowBytes + 1);
    if (idatBytes < rawBytes / kMaxDeflateRatio)
        return fail("image data of " + std::to_string(idatBytes) + " bytes is too short for a " +
                    std::to_string(header.width) + "x" + std::to_string(header.height) + " picture");
    std::vector<std::uint8_t> raw(rawBytes + 1);
    if (!Inflate(idat, raw.data(), rawBytes, error) || !DecodeRows(header, raw, image, error)) return fail(error);
    image.width = static_cast<int>(header.width);
    image.height = static_cast<int>(header.height);
    image.bitDepth = header.depth;
    image.palette = header.colourType == kPalette;
    if (image.palette) {
        // Entries beyond what the bit depth can index are dropped.
        palette.resize(std::min<std::size_t>(palette.size(), std::size_t(1) << header.depth));
        image.paletteEntries = std::move(palette);
    }
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
    const std::size_t rowBytes = std::size_t(width) * 3;
    std::vector<std::uint8_t> raw;
    raw.reserve((rowBytes + 1) * std::size_t(height));
    for (std::size_t y = 0; y < std::size_t(height); ++y) {
        raw.push_back(0);  // filter type 0: the row as it is
        raw.insert(raw.end(), rgb.begin() + y * rowBytes, rgb.begin() + (y + 1) * rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), kDeflateLevel) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::vector<std::uint8_t> png(kSignature, kSignature + 8);
    std::vector<std::uint8_t> header;
    PutBe32(header, static_cast<std::uint32_t>(width));
    PutBe32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, kRgb, 0, 0, 0});  // depth, colour type, compression, filter, interlace
    PutChunk(png, "IHDR", header.data(), header.size());
    for (std::size_t at = 0; at < packed.size(); at += kIdatBytes)
        PutChunk(png, "IDAT", packed.data() + at, std::min(kIdatBytes, packed.size() - at));
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}

bool WritePngRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
                 std::string& error) {
    if (width <= 0 || height <= 0 || std::uint32_t(width) > kMaxSide || std::uint32_t(height) > kMaxSide ||
        rgb.size() != std::size_t(width) * std::size_t(height) * 3) {
        error = "cannot write " + path + ": empty, oversized or inconsistent picture";
        return false;
    }
    const std::vector<std::uint8_t> png = EncodePngRgb(width, height, rgb);
    if (png.empty()) {
        error = "cannot write " + path + ": zlib failed";
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
