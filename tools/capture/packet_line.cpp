#include "packet_line.h"

#include "capture_file.h"

namespace capture {

namespace {

std::int64_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::int64_t S16(const std::uint8_t* p) { return static_cast<std::int16_t>(U16(p)); }

}  // namespace

void WritePacket(PacketType type, const std::uint8_t* packet) {
    const PacketDef& def = Packet(type);
    Text(def.exportName);
    for (int f = 0; f < def.fieldCount; ++f) {
        const FieldDef& field = def.fields[f];
        const std::uint8_t* p = packet + field.offset;
        std::int64_t values[3];
        int count = 1;
        switch (field.kind) {
        case FieldKind::U8: values[0] = p[0]; break;
        case FieldKind::U16: values[0] = U16(p); break;
        case FieldKind::S16: values[0] = S16(p); break;
        case FieldKind::U32: values[0] = U16(p) | (U16(p + 2) << 16); break;
        case FieldKind::Rgb: values[0] = p[0], values[1] = p[1], values[2] = p[2], count = 3; break;
        case FieldKind::Uv: values[0] = p[0], values[1] = p[1], count = 2; break;
        case FieldKind::Pair: values[0] = S16(p), values[1] = S16(p + 2), count = 2; break;
        }
        bool zero = true;
        for (int i = 0; i < count; ++i) zero = zero && values[i] == 0;
        // The replay needs an upload's rectangle in full.
        if (zero && type != kImageRectangle) continue;
        Char(' ');
        Text(field.name);
        Char('=');
        // Page, colour-table and mode words read best as the bits they are.
        if (field.kind == FieldKind::U16) Hex(static_cast<std::uint64_t>(values[0]));
        for (int i = 0; i < count && field.kind != FieldKind::U16; ++i) {
            if (i > 0) Char(',');
            Decimal(values[i]);
        }
    }
}

}  // namespace capture
