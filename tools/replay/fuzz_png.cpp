// libFuzzer target for the PNG decoder (built with -DVRASTEX_FUZZ=ON and clang;
// see CMakeLists.txt). Any input must be decoded or refused with a message,
// without a crash, a sanitizer report or a leak; a decoded picture must be
// consistent, and an RGB one must come back unchanged through the encoder.
//
// Random bytes seldom get past the CRCs and zlib, so the custom mutator
// works on the structure: it builds small pictures of every colour type, bit
// depth and row filter from scratch, or takes an input apart into chunks,
// mutates the header, the palette, the inflated rows or any chunk, and puts it
// back together with fresh zlib data and CRCs; now and then it leaves the
// damage in place so that the checks themselves are exercised.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "pictures.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
    std::string type;
    Bytes data;
};

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

void PutBe32(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The chunks of `data`, or false when it is no sequence of whole chunks.
bool Split(const std::uint8_t* data, std::size_t size, std::vector<Chunk>& chunks) {
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return false;
    for (std::size_t at = 8; at < size;) {
        if (size - at < 12) return false;
        const std::uint32_t length = Be32(data + at);
        if (length > size - at - 12) return false;
        chunks.push_back({std::string(reinterpret_cast<const char*>(data + at + 4), 4),
                          Bytes(data + at + 8, data + at + 8 + length)});
        at += 12 + std::size_t(length);
    }
    return true;
}

Bytes Join(const std::vector<Chunk>& chunks) {
    Bytes out(kSignature, kSignature + 8);
    for (const Chunk& chunk : chunks) {
        PutBe32(out, static_cast<std::uint32_t>(chunk.data.size()));
        const std::size_t start = out.size();
        out.insert(out.end(), chunk.type.begin(), chunk.type.end());
        out.insert(out.end(), chunk.data.begin(), chunk.data.end());
        PutBe32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
    }
    return out;
}

Bytes Deflate(const Bytes& raw, int level) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(size);
    if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK) return {};
    packed.resize(size);
    return packed;
}

Bytes Inflate(const Bytes& packed, std::size_t limit) {
    Bytes raw(limit);
    uLongf size = static_cast<uLongf>(limit);
    const int result = uncompress(raw.data(), &size, packed.data(), static_cast<uLong>(packed.size()));
    if (result != Z_OK && result != Z_BUF_ERROR) return {};
    raw.resize(size);
    return raw;
}

// A small picture of a random kind: header, maybe a palette, rows with random
// filter bytes (now and then an invalid one), split over one to three IDATs.
std::vector<Chunk> Generate(std::mt19937& random) {
    static const int kKinds[][2] = {{2, 8}, {6, 8}, {3, 1}, {3, 2}, {3, 4}, {3, 8}, {0, 8}, {2, 16}, {4, 8}};
    const auto& kind = kKinds[random() % std::size(kKinds)];
    const std::uint32_t width = 1 + random() % 17, height = 1 + random() % 9;
    Bytes header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), {std::uint8_t(kind[1]), std::uint8_t(kind[0]), 0, 0, std::uint8_t(random() % 8 == 0)});
    std::vector<Chunk> chunks = {{"IHDR", header}};
    if (kind[0] == 3) {
        Bytes palette(3 * (1 + random() % (1u << kind[1])));
        for (auto& b : palette) b = static_cast<std::uint8_t>(random());
        chunks.push_back({"PLTE", palette});
    }
    const int channels = kind[0] == 2 ? 3 : kind[0] == 6 ? 4 : kind[0] == 4 ? 2 : 1;
    const std::size_t rowBytes = (width * channels * kind[1] + 7) / 8;
    Bytes raw;
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(static_cast<std::uint8_t>(random() % 16 == 0 ? random() % 256 : random() % 5));
        for (std::size_t i = 0; i < rowBytes; ++i) raw.push_back(static_cast<std::uint8_t>(random()));
    }
    const Bytes packed = Deflate(raw, static_cast<int>(random() % 10));
    const std::size_t parts = 1 + random() % 3;
    for (std::size_t p = 0; p < parts; ++p)
        chunks.push_back({"IDAT", Bytes(packed.begin() + packed.size() * p / parts,
                                        packed.begin() + packed.size() * (p + 1) / parts)});
    chunks.push_back({"IEND", {}});
    return chunks;
}

// libFuzzer's own mutation of one byte string, grown by up to 64 bytes.
void MutateBytes(Bytes& bytes) {
    const std::size_t size = bytes.size();
    bytes.resize(size + 64);
    bytes.resize(LLVMFuzzerMutate(bytes.data(), size, bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    replay::PngImage image;
    std::string error;
    if (!replay::DecodePng(data, size, image, error)) {
        if (error.empty() || !image.pixels.empty() || image.width != 0) __builtin_trap();
        return 0;
    }
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    if (image.width <= 0 || image.height <= 0 || image.width > 8192 || image.height > 8192) __builtin_trap();
    if (image.pixels.size() != count * (image.palette ? 1 : 3)) __builtin_trap();
    if (image.palette) {
        const std::size_t limit = std::size_t(1) << image.bitDepth;
        if (image.paletteEntries.empty() || image.paletteEntries.size() > limit) __builtin_trap();
        for (std::uint8_t index : image.pixels)
            if (index >= limit) __builtin_trap();
    } else {
        if (image.bitDepth != 8 || !image.paletteEntries.empty()) __builtin_trap();
        const Bytes png = replay::EncodePngRgb(image.width, image.height, image.pixels);
        replay::PngImage again;
        if (!replay::DecodePng(png.data(), png.size(), again, error) || again.pixels != image.pixels) __builtin_trap();
    }
    return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    std::mt19937 random(seed);
    std::vector<Chunk> chunks;
    if (random() % 8 == 0 || !Split(data, size, chunks) || chunks.empty()) {
        chunks = Generate(random);
    } else {
        switch (random() % 4) {
        case 0:  // the rows, inflated, mutated and deflated again into one IDAT
        case 1: {
            Bytes packed;
            std::size_t first = chunks.size();
            for (std::size_t i = 0; i < chunks.size(); ++i)
                if (chunks[i].type == "IDAT") {
                    first = std::min(first, i);
                    packed.insert(packed.end(), chunks[i].data.begin(), chunks[i].data.end());
                }
            if (first == chunks.size()) break;
            Bytes raw = Inflate(packed, maxSize * 4);
            MutateBytes(raw);
            std::erase_if(chunks, [](const Chunk& c) { return c.type == "IDAT"; });
            chunks.insert(chunks.begin() + std::ptrdiff_t(std::min(first, chunks.size())),
                          {"IDAT", Deflate(raw, static_cast<int>(random() % 10))});
            break;
        }
        case 2: {  // one chunk's data (IHDR and PLTE most often)
            Chunk& chunk = chunks[random() % 2 == 0 ? random() % std::min<std::size_t>(2, chunks.size())
                                                    : random() % chunks.size()];
            MutateBytes(chunk.data);
            break;
        }
        default: {  // the chunk list: drop, duplicate or rename one chunk
            const std::size_t i = random() % chunks.size();
            const unsigned what = random() % 3;
            if (what == 0) chunks.erase(chunks.begin() + std::ptrdiff_t(i));
            else if (what == 1) chunks.insert(chunks.begin() + std::ptrdiff_t(random() % chunks.size()), chunks[i]);
            else chunks[i].type[random() % 4] ^= 0x20;
            break;
        }
        }
    }
    Bytes out = Join(chunks);
    // Now and then plain byte damage on top, CRCs and all.
    if (random() % 8 == 0 && !out.empty()) {
        const std::size_t used = out.size();
        out.resize(std::max(used, maxSize));
        out.resize(LLVMFuzzerMutate(out.data(), used, out.size()));
    }
    if (out.size() > maxSize) out.resize(maxSize);
    std::memcpy(data, out.data(), out.size());
    return out.size();
}
