// The 34 exports of the capture plug-in. Each writes its call into the capture
// (packets and every other byte the plug-in may read, as the host gave them,
// before the call), forwards the call unchanged to the real plug-in and writes
// the result as an "expect" line, so that a replay proves it got the same
// answers. Nothing the host sees changes: same results, same memory writes.
#include "exports/vrastex.h"

#include "capture_file.h"
#include "packet_fields.h"
#include "packet_line.h"
#include "real_plugin.h"
#include "staging_shadow.h"

using namespace capture;

namespace {

constexpr int kTableBytes = 512;  // a 256-entry colour table

// What the capture mirrors of the plug-in's state: where the staging surface
// is, which colour table is current and whether the pages are up to date.
struct Mirror {
    const std::uint16_t* staging;
    std::int64_t directStride;
    const std::uint8_t* table;  // current colour table, or null
    int tableEntries;
    std::int64_t tableName;        // the replay's name of the table upload: tN
    std::uint8_t tableSeen[kTableBytes];  // the table's bytes as the replay holds them
    bool pagesCurrent;
    std::int64_t uploads;
    std::int64_t flips;
};

Mirror mirror;

void Word(const char* key, std::int64_t value) {
    Char(' ');
    Text(key);
    Char('=');
    Decimal(value);
}

// "expect result=N": the real plug-in's answer, which the replay must match.
void Result(std::int64_t value) {
    Text("expect result=");
    Decimal(value);
    EndLine();
}

void Plain(const char* name) {
    if (!CaptureOn()) return;
    Text(name);
    EndLine();
}

// An export without arguments that answers: the call, then its answer.
template <typename Export>
auto AnsweredCall(const char* name, Export real) {
    Plain(name);
    const decltype(real()) result = real ? real() : 0;
    if (CaptureOn()) Result(result);
    return result;
}

// A packet export: the packet as the host gave it, then the call.
template <typename Export, typename Pointer>
void PacketCall(PacketType type, Export real, Pointer packet) {
    if (CaptureOn()) {
        WritePacket(type, static_cast<const std::uint8_t*>(packet));
        EndLine();
    }
    if (real) real(packet);
}

std::int32_t S16(const std::uint8_t* bytes, int offset) {
    return static_cast<std::int16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

void AllHostChanges() { RecordHostChanges(mirror.staging, 0, kStagingRows - 1); }

// Before an indexed upload: the table as the host holds it now, written into
// the replay's copy when it changed since the replay last got it.
void TableContents() {
    const int bytes = mirror.tableEntries * 2;
    bool same = true;
    for (int i = 0; i < bytes && same; ++i) same = mirror.table[i] == mirror.tableSeen[i];
    if (same) return;
    Text("set t");
    Decimal(mirror.tableName);
    Char(' ');
    BlobReference(mirror.table, static_cast<std::size_t>(bytes));
    EndLine();
    for (int i = 0; i < bytes; ++i) mirror.tableSeen[i] = mirror.table[i];
}

int CaptureTableUpload(const void* rectangle, const void* data, std::int32_t w) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::uint8_t header = bytes[-16];
    if (CaptureOn()) {
        ++mirror.uploads;
        WritePacket(kImageRectangle, static_cast<const std::uint8_t*>(rectangle));
        Word("header", header);
        Text(" name=t");
        Decimal(mirror.uploads);
        Char(' ');
        BlobReference(bytes, static_cast<std::size_t>(w) * 2);
        EndLine();
    }
    const int result = Real().LoadImagePC ? Real().LoadImagePC(rectangle, data) : 0;
    mirror.table = bytes;
    mirror.tableEntries = (header & 3) == 1 ? 256 : 16;
    mirror.tableName = mirror.uploads;
    for (int i = 0; i < kTableBytes; ++i) mirror.tableSeen[i] = i < w * 2 ? bytes[i] : 0;
    if (CaptureOn()) Result(result);
    return result;
}

}  // namespace

VRASTEX_API int fxDetect(void) { return AnsweredCall("fxDetect", Real().fxDetect); }

VRASTEX_API int fxInit(int unused, int resolutionIndex, int pointSampled) {
    if (CaptureOn()) {
        Text("fxInit");
        Word("unused", unused);
        Word("res", resolutionIndex);
        Word("point", pointSampled);
        EndLine();
    }
    const int result = Real().fxInit ? Real().fxInit(unused, resolutionIndex, pointSampled) : 0;
    if (CaptureOn()) Result(result);
    return result;
}

VRASTEX_API int fxShutdown(void) {
    const int result = AnsweredCall("fxShutdown", Real().fxShutdown);
    Flush();
    return result;
}

VRASTEX_API void fxGlideShutdown(void) {
    Plain("fxGlideShutdown");
    if (Real().fxGlideShutdown) Real().fxGlideShutdown();
    Flush();
}

VRASTEX_API void InitVariables(void* stagingSurface, int w2, void* pageBuffer, int w4, int w5, int w6, int w7,
                               int w8, int w9, int w10, int w11, int w12, int w13, int w14, int w15, int w16,
                               int w17, int w18, int w19, int w20, int w21, int w22, int w23, int w24, int w25,
                               int w26, int w27, int w28, int w29, int w30, int w31, int w32, int w33,
                               int resolutionIndex) {
    if (CaptureOn()) {
        // Words 1 and 3 are the host's addresses: the replay hands over its own.
        Text("InitVariables");
        Word("res", resolutionIndex);
        const int words[] = {w2,  w4,  w5,  w6,  w7,  w8,  w9,  w10, w11, w12, w13, w14, w15, w16, w17, w18,
                             w19, w20, w21, w22, w23, w24, w25, w26, w27, w28, w29, w30, w31, w32, w33};
        for (int i = 0; i < 31; ++i) {
            if (words[i] == 0) continue;
            Text(" w");
            Decimal(i == 0 ? 2 : i + 3);
            Char('=');
            Decimal(words[i]);
        }
        EndLine();
    }
    if (Real().InitVariables)
        Real().InitVariables(stagingSurface, w2, pageBuffer, w4, w5, w6, w7, w8, w9, w10, w11, w12, w13, w14, w15,
                             w16, w17, w18, w19, w20, w21, w22, w23, w24, w25, w26, w27, w28, w29, w30, w31, w32,
                             w33, resolutionIndex);
    mirror.staging = static_cast<const std::uint16_t*>(stagingSurface);
}

VRASTEX_API void InitSurfaces(int w1, int w2, int w3, int stride, int w5, int w6, int w7, int w8, int w9, int w10) {
    if (CaptureOn()) {
        Text("InitSurfaces");
        Word("stride", stride);
        const int words[] = {w1, w2, w3, 0, w5, w6, w7, w8, w9, w10};
        for (int i = 0; i < 10; ++i) {
            if (words[i] == 0) continue;
            Text(" w");
            Decimal(i + 1);
            Char('=');
            Decimal(words[i]);
        }
        EndLine();
    }
    if (Real().InitSurfaces) Real().InitSurfaces(w1, w2, w3, stride, w5, w6, w7, w8, w9, w10);
    mirror.directStride = stride;
}

// The surface description is passed by value and read by no plug-in: the
// replay passes a zeroed one.
VRASTEX_API void CalcShifts(DDSURFACEDESC surface) {
    Plain("CalcShifts");
    if (Real().CalcShifts) Real().CalcShifts(surface);
}

VRASTEX_API void InitGouraud(int w1, int w2) {
    if (CaptureOn()) {
        Text("InitGouraud");
        Word("w1", w1);
        Word("w2", w2);
        EndLine();
    }
    if (Real().InitGouraud) Real().InitGouraud(w1, w2);
}

VRASTEX_API void fxStartFrame(void) {
    Plain("fxStartFrame");
    if (Real().fxStartFrame) Real().fxStartFrame();
}

VRASTEX_API void fxEndFrame(void) {
    Plain("fxEndFrame");
    if (Real().fxEndFrame) Real().fxEndFrame();
}

VRASTEX_API void Flip(void) {
    Plain("Flip");
    if (Real().Flip) Real().Flip();
    ++mirror.flips;
    if (CaptureOn()) {
        Text("# frame ");
        Decimal(mirror.flips);
        EndLine();
    }
    // Everything up to a shown frame reaches the disk, even if the host dies.
    Flush();
}

VRASTEX_API void ClearScreen(void) {
    Plain("ClearScreen");
    if (Real().ClearScreen) Real().ClearScreen();
}

VRASTEX_API void ShowPage(int left, int top, int right, int bottom, unsigned slot) {
    if (CaptureOn()) {
        Text("ShowPage");
        Word("left", left);
        Word("top", top);
        Word("right", right);
        Word("bottom", bottom);
        Word("slot", slot);
        EndLine();
    }
    if (Real().ShowPage) Real().ShowPage(left, top, right, bottom, slot);
}

// The picture's rows at their 8192-byte pitch: width pixels of each of height
// rows, up to the largest picture a replay holds (4096 x 2048).
VRASTEX_API void BlitScreen(const void* picture, int width, int height) {
    if (CaptureOn()) {
        Text("BlitScreen");
        Word("width", width);
        Word("height", height);
        const int columns = width < 0 ? 0 : width > 4096 ? 4096 : width;
        const int rows = height < 0 ? 0 : height > 2048 ? 2048 : height;
        if (columns > 0 && rows > 0) {
            Char(' ');
            const std::uint64_t start = BlobStart();
            for (int row = 0; row < rows; ++row)
                BlobPut(static_cast<const std::uint8_t*>(picture) + static_cast<std::int64_t>(row) * 8192,
                        static_cast<std::size_t>(columns) * 2);
            BlobEnd(start);
        }
        EndLine();
    }
    if (Real().BlitScreen) Real().BlitScreen(picture, width, height);
}

VRASTEX_API int pause_render(void) {
    const int result = AnsweredCall("pause_render", Real().pause_render);
    Flush();
    return result;
}

// Resuming cuts every page from the staging surface again.
VRASTEX_API void unpause_render(void) {
    if (CaptureOn()) AllHostChanges();
    Plain("unpause_render");
    if (Real().unpause_render) Real().unpause_render();
}

VRASTEX_API unsigned RenderScene(void) { return AnsweredCall("RenderScene", Real().RenderScene); }

VRASTEX_API void PutDrawEnv(const void* record) { PacketCall(kPutDrawEnvPacket, Real().PutDrawEnv, record); }
VRASTEX_API void DoDrMode(const void* packet) { PacketCall(kDoDrModePacket, Real().DoDrMode, packet); }

VRASTEX_API void DrawFlat(const void* packet) { PacketCall(kDrawFlatPacket, Real().DrawFlat, packet); }
VRASTEX_API void DrawFlat4(const void* packet) { PacketCall(kDrawFlat4Packet, Real().DrawFlat4, packet); }
VRASTEX_API void DrawGouraud(const void* packet) { PacketCall(kDrawGouraudPacket, Real().DrawGouraud, packet); }
VRASTEX_API void DrawGouraud4(const void* packet) { PacketCall(kDrawGouraud4Packet, Real().DrawGouraud4, packet); }
VRASTEX_API void DrawTile(const void* packet) { PacketCall(kDrawTilePacket, Real().DrawTile, packet); }

// Textured packets on page 12 get their u, v rewritten by the plug-in; they
// are recorded before the call, as the host gave them.
VRASTEX_API void DrawFlatTexture(void* packet) { PacketCall(kDrawFlatTexturePacket, Real().DrawFlatTexture, packet); }
VRASTEX_API void DrawFlatTexture4(void* packet) { PacketCall(kDrawFlatTexture4Packet, Real().DrawFlatTexture4, packet); }
VRASTEX_API void DrawGouraudTexture(void* packet) { PacketCall(kDrawGouraudTexturePacket, Real().DrawGouraudTexture, packet); }
VRASTEX_API void DrawGouraudTexture4(void* packet) { PacketCall(kDrawGouraudTexture4Packet, Real().DrawGouraudTexture4, packet); }

namespace {

// The flat lines take their oow divisor after the packet.
template <typename Export>
void LineCall(PacketType type, Export real, const void* packet, int oowDivisor) {
    if (CaptureOn()) {
        WritePacket(type, static_cast<const std::uint8_t*>(packet));
        Word("divisor", oowDivisor);
        EndLine();
    }
    if (real) real(packet, oowDivisor);
}

}  // namespace

VRASTEX_API void DrawLineFlat2(const void* packet, int oowDivisor) {
    LineCall(kDrawLineFlat2Packet, Real().DrawLineFlat2, packet, oowDivisor);
}
VRASTEX_API void DrawLineFlat4(const void* packet, int oowDivisor) {
    LineCall(kDrawLineFlat4Packet, Real().DrawLineFlat4, packet, oowDivisor);
}

VRASTEX_API void DrawLineGouraud(const void* packet) { PacketCall(kDrawLineGouraudPacket, Real().DrawLineGouraud, packet); }

// An upload: the rectangle and the data it covers; before an indexed one the
// current colour table's contents; around it the staging rows it may write,
// so that host changes there are recorded first and the plug-in's writes are
// not mistaken for the host's later.
VRASTEX_API int LoadImagePC(const void* rectangle, const void* data) {
    const auto* rect = static_cast<const std::uint8_t*>(rectangle);
    const std::int32_t x = S16(rect, 0), y = S16(rect, 2), w = S16(rect, 4), h = S16(rect, 6);
    if (h == 1 && (w == 16 || w == 256)) return CaptureTableUpload(rectangle, data, w);

    const bool screenPage = x == 0 && (y == 0 || y == 256);
    const bool indexed = !screenPage && mirror.table != nullptr;
    const RowRange rows = indexed ? IndexedUploadRows(y, h) : DirectUploadRows(x, y, w, h, mirror.directStride);
    if (CaptureOn()) {
        RecordHostChanges(mirror.staging, rows.first, rows.last);
        if (indexed && mirror.staging != nullptr) TableContents();
        ++mirror.uploads;
        WritePacket(kImageRectangle, rect);
        if (w > 0 && h > 0) {
            Char(' ');
            BlobReference(data, static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 2);
        }
        EndLine();
    }
    const int result = Real().LoadImagePC ? Real().LoadImagePC(rectangle, data) : 0;
    if (CaptureOn()) TakeRows(mirror.staging, rows.first, rows.last);
    if (indexed) mirror.pagesCurrent = false;
    if (CaptureOn()) Result(result);
    return result;
}

VRASTEX_API void DoDrMove(const void* packet) { PacketCall(kDoDrMovePacket, Real().DoDrMove, packet); }

// The pages are cut from the staging surface only when an indexed upload has
// happened since the last load; the current colour table is forgotten always.
VRASTEX_API void LoadTextures(void) {
    if (CaptureOn() && !mirror.pagesCurrent) AllHostChanges();
    Plain("LoadTextures");
    if (Real().LoadTextures) Real().LoadTextures();
    mirror.pagesCurrent = true;
    mirror.table = nullptr;
}
