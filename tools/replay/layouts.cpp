#include "layouts.h"

#include "packet_fields.h"

namespace replay {

const char* WidthName(Width width) {
    switch (width) {
    case Width::U8: return "unsigned 8-bit";
    case Width::S16: return "signed 16-bit";
    case Width::U16: return "unsigned 16-bit";
    case Width::U32: return "unsigned 32-bit";
    case Width::S32: return "signed 32-bit";
    }
    return "?";
}

std::int64_t WidthMin(Width width) {
    switch (width) {
    case Width::S16: return -32768;
    case Width::S32: return -2147483648LL;
    default: return 0;
    }
}

std::int64_t WidthMax(Width width) {
    switch (width) {
    case Width::U8: return 255;
    case Width::S16: return 32767;
    case Width::U16: return 65535;
    case Width::U32: return 4294967295LL;
    case Width::S32: return 2147483647LL;
    }
    return 0;
}

int WidthBytes(Width width) {
    switch (width) {
    case Width::U8: return 1;
    case Width::S16:
    case Width::U16: return 2;
    default: return 4;
    }
}

namespace {

// The capture's packet tables name each field or group of fields as a script
// line gives it; here a pair, colour or texel entry becomes its members and
// a group of them under the entry's name, so the two tools read and write
// the same bytes under the same names. Members are the letters of the name
// with its suffix (xy0: x0, y0; rgb: r, g, b; wh: w, h), or for any other
// pair the name with _x and _y (target_x, target_y).
void AddEntry(Layout& layout, const capture::FieldDef& entry) {
    const std::string name = entry.name;
    const auto member = [&](const std::string& memberName, int offset, Width width) {
        layout.fields.push_back(Field{memberName, entry.offset + offset, width});
        return memberName;
    };
    const auto lettered = [&](const std::string& letters, Width width, int step) {
        const std::string suffix = name.substr(letters.size());
        std::vector<std::string> members;
        for (std::size_t i = 0; i < letters.size(); ++i)
            members.push_back(member(letters[i] + suffix, static_cast<int>(i) * step, width));
        layout.groups.push_back(Group{name, std::move(members)});
    };
    switch (entry.kind) {
    case capture::FieldKind::U8: member(name, 0, Width::U8); break;
    case capture::FieldKind::U16: member(name, 0, Width::U16); break;
    case capture::FieldKind::S16: member(name, 0, Width::S16); break;
    case capture::FieldKind::U32: member(name, 0, Width::U32); break;
    case capture::FieldKind::Rgb: lettered("rgb", Width::U8, 1); break;
    case capture::FieldKind::Uv: lettered("uv", Width::U8, 1); break;
    case capture::FieldKind::Pair:
        if (name.rfind("xy", 0) == 0 || name == "wh") {
            lettered(name.substr(0, 2), Width::S16, 2);
        } else {
            layout.groups.push_back(
                Group{name, {member(name + "_x", 0, Width::S16), member(name + "_y", 2, Width::S16)}});
        }
        break;
    }
}

std::vector<Layout> BuildLayouts() {
    std::vector<Layout> all;
    for (int type = 0; type < capture::kPacketTypeCount; ++type) {
        const capture::PacketDef& packet = capture::Packet(static_cast<capture::PacketType>(type));
        Layout layout{packet.exportName, packet.size, {}, {}};
        for (int i = 0; i < packet.fieldCount; ++i) AddEntry(layout, packet.fields[i]);
        all.push_back(std::move(layout));
    }
    return all;
}

const std::vector<Layout>& Layouts() {
    static const std::vector<Layout> layouts = BuildLayouts();
    return layouts;
}

std::vector<ExportDef> BuildExports() {
    const Param divisor{"divisor", Width::S32, true};
    auto none = [](const char* name, bool result = false) {
        return ExportDef{name, "", ArgStyle::None, {}, result, false};
    };
    auto packet = [](const char* name, bool draws, std::vector<Param> params = {}) {
        return ExportDef{name, "", ArgStyle::Packet, std::move(params), false, draws};
    };
    std::vector<ExportDef> all(kExportCount);
    all[kFxDetect] = none("fxDetect", true);
    all[kFxInit] = ExportDef{"fxInit",
                             "",
                             ArgStyle::Words,
                             {{"unused", Width::S32, false}, {"res", Width::S32, true}, {"point", Width::S32, false}},
                             true,
                             false};
    all[kFxShutdown] = none("fxShutdown", true);
    all[kFxGlideShutdown] = none("fxGlideShutdown");
    // The words the plug-in does not read, after the ones it does: a capture
    // gives them as the host passed them.
    auto unusedWords = [](std::vector<Param> params, int last, int skip1, int skip2) {
        for (int word = 1; word <= last; ++word)
            if (word != skip1 && word != skip2) params.push_back({"w" + std::to_string(word), Width::S32, false});
        return params;
    };
    all[kInitVariables] =
        ExportDef{"InitVariables", "", ArgStyle::Words, unusedWords({{"res", Width::S32, true}}, 33, 1, 3), false, false};
    all[kInitSurfaces] =
        ExportDef{"InitSurfaces", "", ArgStyle::Words, unusedWords({{"stride", Width::S32, true}}, 10, 4, 4), false, false};
    all[kCalcShifts] = ExportDef{"CalcShifts", "?CalcShifts@@YAXU_DDSURFACEDESC@@@Z", ArgStyle::Surface, {}, false, false};
    all[kInitGouraud] = ExportDef{"InitGouraud",
                                  "",
                                  ArgStyle::Words,
                                  {{"w1", Width::S32, false}, {"w2", Width::S32, false}},
                                  false,
                                  false};
    all[kFxStartFrame] = none("fxStartFrame");
    all[kFxEndFrame] = none("fxEndFrame");
    all[kFlip] = none("Flip");
    all[kClearScreen] = none("ClearScreen");
    all[kShowPage] = ExportDef{"ShowPage",
                               "",
                               ArgStyle::Words,
                               {{"left", Width::S32, true},
                                {"top", Width::S32, true},
                                {"right", Width::S32, true},
                                {"bottom", Width::S32, true},
                                {"slot", Width::U32, true}},
                               false,
                               false};
    all[kBlitScreen] = ExportDef{"BlitScreen",
                                 "",
                                 ArgStyle::Picture,
                                 {{"width", Width::S32, true}, {"height", Width::S32, true}},
                                 false,
                                 false};
    all[kPauseRender] = none("pause_render", true);
    all[kUnpauseRender] = none("unpause_render");
    all[kRenderScene] = none("RenderScene", true);
    all[kPutDrawEnv] = packet("PutDrawEnv", false);
    all[kDoDrMode] = packet("DoDrMode", false);
    all[kDrawFlat] = packet("DrawFlat", true);
    all[kDrawFlat4] = packet("DrawFlat4", true);
    all[kDrawGouraud] = packet("DrawGouraud", true);
    all[kDrawGouraud4] = packet("DrawGouraud4", true);
    all[kDrawTile] = packet("DrawTile", true);
    all[kDrawFlatTexture] = packet("DrawFlatTexture", true);
    all[kDrawFlatTexture4] = packet("DrawFlatTexture4", true);
    all[kDrawGouraudTexture] = packet("DrawGouraudTexture", true);
    all[kDrawGouraudTexture4] = packet("DrawGouraudTexture4", true);
    all[kDrawLineFlat2] = packet("DrawLineFlat2", true, {divisor});
    all[kDrawLineFlat4] = packet("DrawLineFlat4", true, {divisor});
    all[kDrawLineGouraud] = packet("DrawLineGouraud", true);
    all[kLoadImagePC] = ExportDef{"LoadImagePC", "", ArgStyle::Image, {}, true, false};
    all[kDoDrMove] = packet("DoDrMove", false);
    all[kLoadTextures] = none("LoadTextures");
    return all;
}

}  // namespace

const Layout* FindLayout(std::string_view name) {
    for (const Layout& layout : Layouts())
        if (layout.name == name) return &layout;
    return nullptr;
}

const Field* FindField(const Layout& layout, std::string_view name) {
    for (const Field& field : layout.fields)
        if (field.name == name) return &field;
    return nullptr;
}

const Group* FindGroup(const Layout& layout, std::string_view name) {
    for (const Group& group : layout.groups)
        if (group.name == name) return &group;
    return nullptr;
}

void WriteField(std::uint8_t* packet, const Field& field, std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    for (int i = 0; i < WidthBytes(field.width); ++i)
        packet[field.offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int64_t ReadField(const std::uint8_t* packet, const Field& field) {
    std::uint32_t bits = 0;
    for (int i = 0; i < WidthBytes(field.width); ++i)
        bits |= static_cast<std::uint32_t>(packet[field.offset + i]) << (8 * i);
    switch (field.width) {
    case Width::S16: return static_cast<std::int16_t>(bits);
    case Width::S32: return static_cast<std::int32_t>(bits);
    default: return bits;
    }
}

const std::vector<ExportDef>& Exports() {
    static const std::vector<ExportDef> exports = BuildExports();
    return exports;
}

int FindExport(std::string_view name) {
    const auto& all = Exports();
    for (int i = 0; i < kExportCount; ++i)
        if (all[i].name == name) return i;
    return -1;
}

}  // namespace replay
