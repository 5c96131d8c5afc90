#include "model/trace_format.h"

#include "glide/decimal_text.h"
#include "glide/glide_binding.h"
#include "render/texture_layout.h"

namespace {

bool SameText(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// How each argument prints, for the entry points with real behaviour: d signed
// decimal, u unsigned decimal, x hexadecimal, c a colour (8 hex digits), f a
// float, p a pointer (never printed: what it points to follows the
// arguments). Null for the entry points that only log their name.
const char* ArgKinds(int entry) {
    switch (entry) {
    case GLIDE_grGlideInit: return "";
    case GLIDE_grGlideShutdown: return "";
    case GLIDE_grSstQueryBoards: return "p";
    case GLIDE_grSstQueryHardware: return "p";
    case GLIDE_grSstSelect: return "d";
    case GLIDE_grSstWinOpen: return "udddddd";
    case GLIDE_grSstWinClose: return "";
    case GLIDE_grSstControl: return "u";
    case GLIDE_grGlideGetState: return "p";
    case GLIDE_grGlideSetState: return "p";
    case GLIDE_grRenderBuffer: return "d";
    case GLIDE_grCullMode: return "d";
    case GLIDE_grTexClampMode: return "ddd";
    case GLIDE_grTexFilterMode: return "ddd";
    case GLIDE_grTexCombine: return "ddddddd";
    case GLIDE_grBufferClear: return "cux";
    case GLIDE_grBufferSwap: return "d";
    case GLIDE_grBufferNumPending: return "";
    case GLIDE_grChromakeyMode: return "d";
    case GLIDE_grChromakeyValue: return "c";
    case GLIDE_grGammaCorrectionValue: return "f";
    case GLIDE_grTexSource: return "dxup";
    case GLIDE_grDrawPolygon: return "dpp";
    case GLIDE_grDrawTriangle: return "ppp";
    case GLIDE_grColorCombine: return "ddddd";
    case GLIDE_grAlphaCombine: return "ddddd";
    case GLIDE_grAlphaBlendFunction: return "dddd";
    case GLIDE_grConstantColorValue: return "c";
    case GLIDE_grDepthMask: return "d";
    case GLIDE_grLfbWriteRegion: return "duuuuudp";
    case GLIDE_grLfbReadRegion: return "duuuuup";
    case GLIDE_grSstScreenWidth: return "";
    case GLIDE_grSstScreenHeight: return "";
    case GLIDE_grDrawLine: return "pp";
    case GLIDE_grDrawPolygonVertexList: return "dp";
    case GLIDE_grTexMinAddress: return "d";
    case GLIDE_grTexMaxAddress: return "d";
    case GLIDE_grTexTextureMemRequired: return "up";
    case GLIDE_grTexDownloadMipMapLevel: return "dxddddup";
    default: return nullptr;
    }
}

// A bounded writer: past the end it drops characters, so a line is cut, never
// written beyond its buffer.
struct Line {
    char* out;
    int size;
    int length;
};

void Put(Line& line, char c) {
    if (line.length < line.size - 1) line.out[line.length] = c;
    ++line.length;
}

void Put(Line& line, const char* text) {
    while (*text) Put(line, *text++);
}

void PutDecimal(Line& line, std::int64_t value) {
    char digits[24];
    vrastex::FormatDecimal(value, digits);
    Put(line, digits);
}

void PutHex(Line& line, std::uint32_t value, int minDigits) {
    Put(line, "0x");
    int digits = 1;
    while (digits < 8 && (value >> (4 * digits))) ++digits;
    for (int pad = minDigits - digits; pad > 0; --pad) Put(line, '0');
    for (int i = digits - 1; i >= 0; --i) Put(line, "0123456789abcdef"[(value >> (4 * i)) & 0xF]);
}

void PutFloat(Line& line, float value) {
    char text[16];
    const int length = FormatShortestFloat(value, text);
    for (int i = 0; i < length; ++i) Put(line, text[i]);
}

void PutVertex(Line& line, const GrVertex& v) {
    const float fields[] = {v.x, v.y, v.z, v.r, v.g, v.b, v.ooz, v.a, v.oow,
                            v.tmuvtx[0].sow, v.tmuvtx[0].tow, v.tmuvtx[0].oow};
    Put(line, '(');
    for (unsigned i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        if (i) Put(line, ',');
        PutFloat(line, fields[i]);
    }
    // The second TMU's triple only when any of its bits is set, which keeps
    // the common single-TMU line short.
    const GrTmuVertex& t1 = v.tmuvtx[1];
    const float second[] = {t1.sow, t1.tow, t1.oow};
    bool any = false;
    for (float f : second) any = any || __builtin_bit_cast(std::uint32_t, f) != 0;
    if (any) {
        for (float f : second) {
            Put(line, ',');
            PutFloat(line, f);
        }
    }
    Put(line, ')');
}

void PutTexInfo(Line& line, const StandinCall& call, int pointerArg) {
    Put(line, " info=");
    if (call.args[pointerArg] == 0) {
        Put(line, "null");
        return;
    }
    const GrTexInfo& info = call.texInfo;
    Put(line, '(');
    PutDecimal(line, info.smallLod);
    Put(line, ',');
    PutDecimal(line, info.largeLod);
    Put(line, ',');
    PutDecimal(line, info.aspectRatio);
    Put(line, ',');
    PutDecimal(line, info.format);
    Put(line, ')');
}

void PutPixels(Line& line, const char* label, const std::uint32_t* hash) {
    Put(line, ' ');
    Put(line, label);
    Put(line, '=');
    if (hash == nullptr) {
        Put(line, "null");
    } else {
        PutHex(line, *hash, 8);
    }
}

void PutVertices(Line& line, const StandinCall& call, const int* labels) {
    const int copies = call.vertexCount < STANDIN_MAX_VERTICES ? call.vertexCount : STANDIN_MAX_VERTICES;
    for (int i = 0; i < copies; ++i) {
        Put(line, " v");
        PutDecimal(line, labels ? labels[i] : i);
        Put(line, '=');
        PutVertex(line, call.vertices[i]);
    }
}

}  // namespace

StandinCall NewCall(GlideEntry entry) {
    StandinCall call{};
    const char* name = glidePlainNames[entry];
    for (int i = 0; i < STANDIN_NAME_SIZE - 1 && name[i]; ++i) call.name[i] = name[i];
    return call;
}

void AddInt(StandinCall& call, std::int32_t value) {
    if (call.argCount < STANDIN_MAX_ARGS) call.args[call.argCount++] = value;
}

void AddUnsigned(StandinCall& call, std::uint32_t value) { AddInt(call, static_cast<std::int32_t>(value)); }

void AddPointer(StandinCall& call, const void* pointer) {
    if (call.argCount < STANDIN_MAX_ARGS) {
        call.args[call.argCount++] = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(pointer));
    }
}

void AddFloat(StandinCall& call, float value) {
    if (call.argCount < STANDIN_MAX_ARGS) {
        call.floatArgs[call.argCount] = value;
        call.args[call.argCount++] = __builtin_bit_cast(std::uint32_t, value);
    }
}

void AddVertex(StandinCall& call, const GrVertex* vertex) {
    if (call.vertexCount < STANDIN_MAX_VERTICES) call.vertices[call.vertexCount] = vertex ? *vertex : GrVertex{};
    ++call.vertexCount;
}

void AddPolygon(StandinCall& call, bool indexed, int count, const int* ilist, const GrVertex* vlist) {
    if (vlist && (ilist || !indexed)) {
        for (int i = 0; i < count && i < STANDIN_MAX_VERTICES; ++i) {
            if (indexed) call.indices[i] = ilist[i];
            AddVertex(call, &vlist[indexed ? ilist[i] : i]);
        }
    }
    call.vertexCount = count > 0 ? count : 0;
}

int TraceEntryOf(const char* name) {
    for (int i = 0; i < GLIDE_ENTRY_COUNT; ++i) {
        if (SameText(glidePlainNames[i], name)) return i;
    }
    return -1;
}

int FormatTraceLine(int entry, const StandinCall& call, const std::uint32_t* pixelHash, char* out, int size) {
    Line line{out, size, 0};
    for (int i = 0; i < STANDIN_NAME_SIZE && call.name[i]; ++i) Put(line, call.name[i]);
    const char* kinds = entry >= 0 && entry < GLIDE_ENTRY_COUNT ? ArgKinds(entry) : nullptr;
    for (int i = 0; kinds && kinds[i] && i < call.argCount; ++i) {
        const std::uint32_t low = static_cast<std::uint32_t>(call.args[i]);
        switch (kinds[i]) {
        case 'd': Put(line, ' '); PutDecimal(line, static_cast<std::int32_t>(low)); break;
        case 'u': Put(line, ' '); PutDecimal(line, low); break;
        case 'x': Put(line, ' '); PutHex(line, low, 0); break;
        case 'c': Put(line, ' '); PutHex(line, low, 8); break;
        case 'f': Put(line, ' '); PutFloat(line, call.floatArgs[i]); break;
        default: break;  // pointers
        }
    }
    if (kinds) {
        switch (entry) {
        case GLIDE_grTexSource: PutTexInfo(line, call, 3); break;
        case GLIDE_grTexTextureMemRequired: PutTexInfo(line, call, 1); break;
        case GLIDE_grLfbWriteRegion: PutPixels(line, "pixels", pixelHash); break;
        case GLIDE_grTexDownloadMipMapLevel: PutPixels(line, "texels", pixelHash); break;
        case GLIDE_grDrawLine:
        case GLIDE_grDrawTriangle:
        case GLIDE_grDrawPolygonVertexList: PutVertices(line, call, nullptr); break;
        case GLIDE_grDrawPolygon: {
            const int copies = call.vertexCount < STANDIN_MAX_VERTICES ? call.vertexCount : STANDIN_MAX_VERTICES;
            Put(line, " ilist=(");
            for (int i = 0; i < copies; ++i) {
                if (i) Put(line, ',');
                PutDecimal(line, call.indices[i]);
            }
            Put(line, ')');
            PutVertices(line, call, call.indices);
            break;
        }
        default: break;
        }
    }
    if (size > 0) out[line.length < size ? line.length : size - 1] = '\0';
    return line.length < size ? line.length : size - 1;
}

std::uint32_t PixelHashBytes(std::uint32_t hash, const void* bytes, std::uint32_t count) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (std::uint32_t i = 0; i < count; ++i) {
        hash ^= p[i];
        hash *= 16777619u;
    }
    return hash;
}

bool LfbBlockHashed(FxU32 format, FxU32 width, FxU32 height, const void* src) {
    const bool format16 = format == GR_LFB_SRC_FMT_565 || format == GR_LFB_SRC_FMT_555 || format == 2 /* 1555 */ ||
                          (format >= 0xC && format <= 0xF);  // the depth formats and ZA16
    const std::uint64_t count = std::uint64_t{width} * height;
    return src && format16 && count > 0 && count <= 4096u * 4096u;
}

std::uint32_t LevelBytes(FxI32 lod, FxI32 aspect, FxI32 format) {
    int width = 0, height = 0;
    if (!LevelDimensions(lod, aspect, &width, &height)) return 0;
    return static_cast<std::uint32_t>(width * height * TexelBytes(format));
}

// --- Shortest float ----------------------------------------------------------
// Steele & White / Burger & Dybvig free-format digit generation on exact
// integers: r / s is the value, m- and m+ the distances to the halfway points
// towards its neighbours, all scaled by powers of 2 and 10. 192 bits hold
// every scaled value of a float.

namespace {

struct Big {
    std::uint32_t limb[6];  // least significant first
};

Big BigOf(std::uint64_t value, int shift) {
    Big b{};
    b.limb[0] = static_cast<std::uint32_t>(value);
    b.limb[1] = static_cast<std::uint32_t>(value >> 32);
    const int words = shift / 32, bits = shift % 32;
    for (int i = 5; i >= 0; --i) {
        std::uint64_t v = i - words >= 0 ? std::uint64_t{b.limb[i - words]} << bits : 0;
        if (bits && i - words - 1 >= 0) v |= b.limb[i - words - 1] >> (32 - bits);
        b.limb[i] = static_cast<std::uint32_t>(v);
    }
    return b;
}

void MulSmall(Big& b, std::uint32_t m) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : b.limb) {
        const std::uint64_t v = std::uint64_t{limb} * m + carry;
        limb = static_cast<std::uint32_t>(v);
        carry = v >> 32;
    }
}

Big Add(const Big& a, const Big& b) {
    Big sum{};
    std::uint64_t carry = 0;
    for (int i = 0; i < 6; ++i) {
        const std::uint64_t v = std::uint64_t{a.limb[i]} + b.limb[i] + carry;
        sum.limb[i] = static_cast<std::uint32_t>(v);
        carry = v >> 32;
    }
    return sum;
}

void Sub(Big& a, const Big& b) {  // a >= b
    std::int64_t borrow = 0;
    for (int i = 0; i < 6; ++i) {
        const std::int64_t v = std::int64_t{a.limb[i]} - b.limb[i] - borrow;
        a.limb[i] = static_cast<std::uint32_t>(v);
        borrow = v < 0;
    }
}

int Compare(const Big& a, const Big& b) {
    for (int i = 5; i >= 0; --i) {
        if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
    }
    return 0;
}

int PutText(char* out, const char* text) {
    int n = 0;
    while (text[n]) out[n] = text[n], ++n;
    return n;
}

}  // namespace

int FormatShortestFloat(float value, char* out) {
    const std::uint32_t bits = __builtin_bit_cast(std::uint32_t, value);
    const bool negative = bits >> 31;
    const std::uint32_t exponentField = (bits >> 23) & 0xFF;
    const std::uint32_t fraction = bits & 0x7FFFFF;
    if (exponentField == 0xFF) {
        if (fraction) return PutText(out, negative ? "-nan" : "nan");
        return PutText(out, negative ? "-inf" : "inf");
    }
    int length = 0;
    if (negative) out[length++] = '-';
    if (exponentField == 0 && fraction == 0) {
        out[length++] = '0';
        return length;
    }
    const std::uint32_t f = exponentField ? fraction | 0x800000u : fraction;
    const int e = exponentField ? static_cast<int>(exponentField) - 150 : -149;
    // The neighbour below is closer at a power of two (except next to the
    // subnormals); the bounds belong to the float when its mantissa is even,
    // as a reader rounds ties to even.
    const bool unequalGaps = fraction == 0 && exponentField > 1;
    const bool inclusive = (f & 1) == 0;
    Big r, s, mPlus, mMinus;
    if (e >= 0) {
        r = BigOf(f, e + (unequalGaps ? 2 : 1));
        s = BigOf(unequalGaps ? 4 : 2, 0);
        mPlus = BigOf(1, e + (unequalGaps ? 1 : 0));
        mMinus = BigOf(1, e);
    } else {
        r = BigOf(f, unequalGaps ? 2 : 1);
        s = BigOf(1, (unequalGaps ? 2 : 1) - e);
        mPlus = BigOf(unequalGaps ? 2 : 1, 0);
        mMinus = BigOf(1, 0);
    }
    auto aboveOne = [&](const Big& high) {  // high / s reaches the next decade
        const int c = Compare(high, s);
        return inclusive ? c >= 0 : c > 0;
    };
    int k = 0;  // value = 0.d1 d2 ... x 10^k
    while (aboveOne(Add(r, mPlus))) {
        MulSmall(s, 10);
        ++k;
    }
    for (;;) {
        Big high = Add(r, mPlus);
        MulSmall(high, 10);
        if (aboveOne(high)) break;
        MulSmall(r, 10);
        MulSmall(mPlus, 10);
        MulSmall(mMinus, 10);
        --k;
    }
    char digits[12];
    int n = 0;
    for (;;) {
        MulSmall(r, 10);
        MulSmall(mPlus, 10);
        MulSmall(mMinus, 10);
        int digit = 0;
        while (Compare(r, s) >= 0) {
            Sub(r, s);
            ++digit;
        }
        const int lowCompare = Compare(r, mMinus);
        const bool low = inclusive ? lowCompare <= 0 : lowCompare < 0;
        const bool high = aboveOne(Add(r, mPlus));
        if (!low && !high && n < 10) {
            digits[n++] = static_cast<char>('0' + digit);
            continue;
        }
        if (low && high) {  // both neighbours qualify: the nearer one
            const int c = Compare(Add(r, r), s);
            if (c > 0 || (c == 0 && digit % 2)) ++digit;
        } else if (high) {
            ++digit;
        }
        digits[n++] = static_cast<char>('0' + digit);
        break;
    }
    const int x = k - 1;  // exponent of the scientific form
    const int tail = k - n;  // value = digits x 10^tail
    const int absX = x < 0 ? -x : x;
    const int scientificLength = n + (n > 1) + 2 + (absX >= 100 ? 3 : 2);
    const int fixedLength = tail >= 0 ? n + tail : (x >= 0 ? n + 1 : n + 1 - x);
    if (fixedLength <= scientificLength) {
        if (tail >= 0) {
            // An integer: its exact digits (below 10^14 here, so 64 bits hold it).
            const std::uint64_t whole = e >= 0 ? std::uint64_t{f} << e : std::uint64_t{f} >> -e;
            char reversed[20];
            int count = 0;
            for (std::uint64_t v = whole; v || !count; v /= 10) reversed[count++] = static_cast<char>('0' + v % 10);
            while (count) out[length++] = reversed[--count];
        } else if (x >= 0) {
            for (int i = 0; i < n; ++i) {
                if (i == x + 1) out[length++] = '.';
                out[length++] = digits[i];
            }
        } else {
            out[length++] = '0';
            out[length++] = '.';
            for (int i = 0; i < -x - 1; ++i) out[length++] = '0';
            for (int i = 0; i < n; ++i) out[length++] = digits[i];
        }
        return length;
    }
    out[length++] = digits[0];
    if (n > 1) {
        out[length++] = '.';
        for (int i = 1; i < n; ++i) out[length++] = digits[i];
    }
    out[length++] = 'e';
    out[length++] = x < 0 ? '-' : '+';
    if (absX >= 100) out[length++] = static_cast<char>('0' + absX / 100);
    out[length++] = static_cast<char>('0' + absX / 10 % 10);
    out[length++] = static_cast<char>('0' + absX % 10);
    return length;
}
