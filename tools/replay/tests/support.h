// Helpers shared by the replay tests: parsing from a string and writing the
// small PNG files the tests read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script.h"
#include "support/files.h"

namespace replay_test {

inline std::filesystem::path WorkDir() { return test_files::FreshDir(REPLAY_WORK_DIR); }

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Parses `text` as "t.replay" with pictures taken from `dir`.
inline replay::Script Parse(const std::string& text, std::vector<replay::ScriptError>& errors,
                            const std::filesystem::path& dir = ".") {
    errors.clear();
    return replay::ParseScript(text, "t.replay", dir, errors);
}

// Hand-made PNG files, independent of the codec under test: chunks with a
// CRC-32 of their own, and image data in stored (uncompressed) deflate blocks
// with an Adler-32 of their own.
using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t Crc32(const Bytes& bytes, std::size_t from = 0) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutBe32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length, type, data and CRC.
inline Bytes Chunk(const std::string& type, const Bytes& data) {
    Bytes out;
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out, 4));
    return out;
}

inline Bytes Ihdr(std::uint32_t width, std::uint32_t height, int depth, int colourType, int interlace = 0) {
    Bytes data;
    PutBe32(data, width);
    PutBe32(data, height);
    data.insert(data.end(), {std::uint8_t(depth), std::uint8_t(colourType), 0, 0, std::uint8_t(interlace)});
    return Chunk("IHDR", data);
}

// A zlib stream of stored blocks holding `raw` as it is.
inline Bytes Stored(const Bytes& raw) {
    Bytes out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        out.push_back(at + n == raw.size() ? 1 : 0);  // BFINAL, BTYPE 00
        out.insert(out.end(), {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n), std::uint8_t(~n >> 8)});
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(out, b << 16 | a);
    return out;
}

// Signature, then the chunks as given.
inline Bytes PngFile(const std::vector<Bytes>& chunks) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Bytes& chunk : chunks) out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

enum PngKind { kPngRgb, kPngPalette };

// An 8-bit RGB picture, or a palette of `colours` RGB triplets
// with one index a pixel in `pixels`, stored at the smallest bit depth that
// holds every palette entry's index. Every row has filter type 0.
inline bool WritePng(const std::filesystem::path& path, int width, int height, PngKind kind, const Bytes& pixels,
                     const Bytes& colours = {}) {
    const int channels = kind == kPngRgb ? 3 : 1;
    if (pixels.size() != std::size_t(width) * height * channels) return false;
    int depth = 8;
    if (kind == kPngPalette)
        for (int d : {4, 2, 1})
            if (colours.size() / 3 <= (1u << d)) depth = d;
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        Bytes row((std::size_t(width) * channels * depth + 7) / 8, 0);
        for (int i = 0; i < width * channels; ++i) {
            const unsigned bit = unsigned(i * depth);
            row[bit / 8] |= static_cast<std::uint8_t>(pixels[std::size_t(y) * width * channels + i] << (8 - depth - bit % 8));
        }
        raw.insert(raw.end(), row.begin(), row.end());
    }
    const int colourType = kind == kPngRgb ? 2 : 3;
    std::vector<Bytes> chunks = {Ihdr(width, height, depth, colourType)};
    if (kind == kPngPalette) chunks.push_back(Chunk("PLTE", colours));
    chunks.push_back(Chunk("IDAT", Stored(raw)));
    chunks.push_back(Chunk("IEND", {}));
    WriteBytes(path, PngFile(chunks));
    return std::filesystem::file_size(path) > 0;
}

}  // namespace replay_test
