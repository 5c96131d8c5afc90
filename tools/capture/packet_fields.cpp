#include "packet_fields.h"

namespace capture {

namespace {

using K = FieldKind;

constexpr FieldDef kPutDrawEnv[] = {{"xy", 0, K::Pair}, {"wh", 4, K::Pair}};
// The draw-mode and move packets start with the host's eight header bytes.
constexpr FieldDef kDoDrMode[] = {{"link", 0, K::U32}, {"pad4", 4, K::U32}, {"mode", 8, K::U16}};
constexpr FieldDef kDoDrMove[] = {{"link", 0, K::U32},  {"pad4", 4, K::U32},    {"target", 8, K::Pair},
                                  {"source", 12, K::Pair}, {"width", 16, K::S16}, {"height", 18, K::S16}};

constexpr FieldDef kDrawFlat[] = {{"link", 0, K::U32}, {"rgb", 4, K::Rgb},   {"code", 7, K::U8},
                                  {"xy0", 8, K::Pair}, {"xy1", 12, K::Pair}, {"xy2", 16, K::Pair},
                                  {"xy3", 20, K::Pair}};
constexpr FieldDef kDrawGouraud[] = {{"link", 0, K::U32},  {"rgb0", 4, K::Rgb},  {"code", 7, K::U8},
                                     {"xy0", 8, K::Pair},  {"rgb1", 12, K::Rgb}, {"pad15", 15, K::U8},
                                     {"xy1", 16, K::Pair}, {"rgb2", 20, K::Rgb}, {"pad23", 23, K::U8},
                                     {"xy2", 24, K::Pair}, {"rgb3", 28, K::Rgb}, {"pad31", 31, K::U8},
                                     {"xy3", 32, K::Pair}};
constexpr FieldDef kDrawTile[] = {
    {"link", 0, K::U32}, {"rgb", 4, K::Rgb}, {"code", 7, K::U8}, {"xy", 8, K::Pair}, {"wh", 12, K::Pair}};
constexpr FieldDef kDrawFlatTexture[] = {{"link", 0, K::U32},  {"rgb", 4, K::Rgb},    {"code", 7, K::U8},
                                         {"xy0", 8, K::Pair},  {"uv0", 12, K::Uv},    {"clut", 14, K::U16},
                                         {"xy1", 16, K::Pair}, {"uv1", 20, K::Uv},    {"page", 22, K::U16},
                                         {"xy2", 24, K::Pair}, {"uv2", 28, K::Uv},    {"pad30", 30, K::U16},
                                         {"xy3", 32, K::Pair}, {"uv3", 36, K::Uv},    {"pad38", 38, K::U16}};
constexpr FieldDef kDrawGouraudTexture[] = {
    {"link", 0, K::U32},  {"rgb0", 4, K::Rgb},   {"code", 7, K::U8},    {"xy0", 8, K::Pair},
    {"uv0", 12, K::Uv},   {"clut", 14, K::U16},  {"rgb1", 16, K::Rgb},  {"pad19", 19, K::U8},
    {"xy1", 20, K::Pair}, {"uv1", 24, K::Uv},    {"page", 26, K::U16},  {"rgb2", 28, K::Rgb},
    {"pad31", 31, K::U8}, {"xy2", 32, K::Pair},  {"uv2", 36, K::Uv},    {"pad38", 38, K::U16},
    {"rgb3", 40, K::Rgb}, {"pad43", 43, K::U8},  {"xy3", 44, K::Pair},  {"uv3", 48, K::Uv},
    {"pad50", 50, K::U16}};
constexpr FieldDef kDrawLineFlat[] = {{"link", 0, K::U32},  {"rgb", 4, K::Rgb},   {"code", 7, K::U8},
                                      {"xy0", 8, K::Pair},  {"xy1", 12, K::Pair}, {"xy2", 16, K::Pair},
                                      {"xy3", 20, K::Pair}};
constexpr FieldDef kDrawLineGouraud[] = {{"link", 0, K::U32}, {"rgb0", 4, K::Rgb},  {"code", 7, K::U8},
                                         {"xy0", 8, K::Pair}, {"rgb1", 12, K::Rgb}, {"pad15", 15, K::U8},
                                         {"xy1", 16, K::Pair}};
constexpr FieldDef kImageRectangle[] = {{"xy", 0, K::Pair}, {"wh", 4, K::Pair}};

// Shorter packets of a family use the first fields of the longer one's table.
constexpr PacketDef kPackets[kPacketTypeCount] = {
    {"PutDrawEnv", 8, kPutDrawEnv, 2},
    {"DoDrMode", 10, kDoDrMode, 3},
    {"DoDrMove", 20, kDoDrMove, 6},
    {"DrawFlat", 20, kDrawFlat, 6},
    {"DrawFlat4", 24, kDrawFlat, 7},
    {"DrawGouraud", 28, kDrawGouraud, 10},
    {"DrawGouraud4", 36, kDrawGouraud, 13},
    {"DrawTile", 16, kDrawTile, 5},
    {"DrawFlatTexture", 32, kDrawFlatTexture, 12},
    {"DrawFlatTexture4", 40, kDrawFlatTexture, 15},
    {"DrawGouraudTexture", 40, kDrawGouraudTexture, 16},
    {"DrawGouraudTexture4", 52, kDrawGouraudTexture, 21},
    {"DrawLineFlat2", 16, kDrawLineFlat, 5},
    {"DrawLineFlat4", 24, kDrawLineFlat, 7},
    {"DrawLineGouraud", 20, kDrawLineGouraud, 7},
    {"LoadImagePC", 8, kImageRectangle, 2},
};

}  // namespace

const PacketDef& Packet(PacketType type) { return kPackets[type]; }

}  // namespace capture
