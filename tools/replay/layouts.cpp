#include "layouts.h"

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

// Builders that keep the tables below close to the packet tables they copy.
struct LayoutBuilder {
    Layout layout;

    LayoutBuilder(std::string name, int size) { layout = Layout{std::move(name), size, {}, {}}; }
    LayoutBuilder& F(const std::string& name, int offset, Width width) {
        layout.fields.push_back(Field{name, offset, width});
        return *this;
    }
    LayoutBuilder& G(const std::string& name, std::vector<std::string> members) {
        layout.groups.push_back(Group{name, std::move(members)});
        return *this;
    }
    // The common header: link word, colour (suffix "" or "0"), code byte.
    LayoutBuilder& Header(const std::string& suffix) {
        F("link", 0, Width::U32);
        Colour(suffix, 4);
        return F("code", 7, Width::U8);
    }
    LayoutBuilder& Colour(const std::string& suffix, int offset) {
        F("r" + suffix, offset, Width::U8).F("g" + suffix, offset + 1, Width::U8).F("b" + suffix, offset + 2, Width::U8);
        return G("rgb" + suffix, {"r" + suffix, "g" + suffix, "b" + suffix});
    }
    LayoutBuilder& Point(const std::string& suffix, int offset) {
        F("x" + suffix, offset, Width::S16).F("y" + suffix, offset + 2, Width::S16);
        return G("xy" + suffix, {"x" + suffix, "y" + suffix});
    }
    LayoutBuilder& Tex(const std::string& suffix, int offset) {
        F("u" + suffix, offset, Width::U8).F("v" + suffix, offset + 1, Width::U8);
        return G("uv" + suffix, {"u" + suffix, "v" + suffix});
    }
    // x, y, w, h as four signed 16-bit values from `offset`.
    LayoutBuilder& Rect(int offset) {
        Point("", offset);
        F("w", offset + 4, Width::S16).F("h", offset + 6, Width::S16);
        return G("wh", {"w", "h"});
    }
};

std::vector<Layout> BuildLayouts() {
    std::vector<Layout> all;
    all.push_back(LayoutBuilder("PutDrawEnv", 8).Rect(0).layout);
    // Fields named padN cover bytes the plug-in leaves unread, so that a
    // capture can give every byte of a packet as the host had it.
    all.push_back(LayoutBuilder("DoDrMode", 12).F("link", 0, Width::U32).F("pad4", 4, Width::U32).F("mode", 8, Width::U16).layout);
    all.push_back(LayoutBuilder("DoDrMove", 20)
                      .F("link", 0, Width::U32)
                      .F("pad4", 4, Width::U32)
                      .F("target_x", 8, Width::S16)
                      .F("target_y", 10, Width::S16)
                      .F("source_x", 12, Width::S16)
                      .F("source_y", 14, Width::S16)
                      .F("width", 16, Width::S16)
                      .F("height", 18, Width::S16)
                      .G("target", {"target_x", "target_y"})
                      .G("source", {"source_x", "source_y"})
                      .layout);
    all.push_back(LayoutBuilder("LoadImagePC", 8).Rect(0).layout);

    all.push_back(LayoutBuilder("DrawFlat", 20).Header("").Point("0", 8).Point("1", 12).Point("2", 16).layout);
    all.push_back(LayoutBuilder("DrawFlat4", 24)
                      .Header("")
                      .Point("0", 8)
                      .Point("1", 12)
                      .Point("2", 16)
                      .Point("3", 20)
                      .layout);
    all.push_back(LayoutBuilder("DrawGouraud", 28)
                      .Header("0")
                      .Point("0", 8)
                      .Colour("1", 12)
                      .F("pad15", 15, Width::U8)
                      .Point("1", 16)
                      .Colour("2", 20)
                      .F("pad23", 23, Width::U8)
                      .Point("2", 24)
                      .layout);
    all.push_back(LayoutBuilder("DrawGouraud4", 36)
                      .Header("0")
                      .Point("0", 8)
                      .Colour("1", 12)
                      .F("pad15", 15, Width::U8)
                      .Point("1", 16)
                      .Colour("2", 20)
                      .F("pad23", 23, Width::U8)
                      .Point("2", 24)
                      .Colour("3", 28)
                      .F("pad31", 31, Width::U8)
                      .Point("3", 32)
                      .layout);
    all.push_back(LayoutBuilder("DrawTile", 16).Header("").Rect(8).layout);

    auto flatTexture = [](const std::string& name, int size) {
        LayoutBuilder b(name, size);
        b.Header("").Point("0", 8).Tex("0", 12).F("clut", 14, Width::U16);
        b.Point("1", 16).Tex("1", 20).F("page", 22, Width::U16);
        b.Point("2", 24).Tex("2", 28).F("pad30", 30, Width::U16);
        return b;
    };
    all.push_back(flatTexture("DrawFlatTexture", 32).layout);
    all.push_back(flatTexture("DrawFlatTexture4", 40).Point("3", 32).Tex("3", 36).F("pad38", 38, Width::U16).layout);

    auto gouraudTexture = [](const std::string& name, int size) {
        LayoutBuilder b(name, size);
        b.Header("0").Point("0", 8).Tex("0", 12).F("clut", 14, Width::U16);
        b.Colour("1", 16).F("pad19", 19, Width::U8).Point("1", 20).Tex("1", 24).F("page", 26, Width::U16);
        b.Colour("2", 28).F("pad31", 31, Width::U8).Point("2", 32).Tex("2", 36).F("pad38", 38, Width::U16);
        return b;
    };
    all.push_back(gouraudTexture("DrawGouraudTexture", 40).layout);
    all.push_back(gouraudTexture("DrawGouraudTexture4", 52)
                      .Colour("3", 40)
                      .F("pad43", 43, Width::U8)
                      .Point("3", 44)
                      .Tex("3", 48)
                      .F("pad50", 50, Width::U16)
                      .layout);

    all.push_back(LayoutBuilder("DrawLineFlat2", 16).Header("").Point("0", 8).Point("1", 12).layout);
    all.push_back(LayoutBuilder("DrawLineFlat4", 24)
                      .Header("")
                      .Point("0", 8)
                      .Point("1", 12)
                      .Point("2", 16)
                      .Point("3", 20)
                      .layout);
    all.push_back(
        LayoutBuilder("DrawLineGouraud", 20).Header("0").Point("0", 8).Colour("1", 12).F("pad15", 15, Width::U8).Point("1", 16).layout);
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
