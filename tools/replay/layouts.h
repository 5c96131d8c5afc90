// What vrastex-replay knows about the plug-in's interface: the 34 exports with
// their arguments, and the byte layouts of the records and packets the host
// hands over. Everything here is plain data; parsing lives in script.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace replay {

// Declared width and signedness of a field or argument.
enum class Width { U8, S16, U16, U32, S32 };

const char* WidthName(Width width);  // "unsigned 8-bit", ...
std::int64_t WidthMin(Width width);
std::int64_t WidthMax(Width width);
int WidthBytes(Width width);

struct Field {
    std::string name;
    int offset;
    Width width;
};

// Shorthand for several fields set from one comma list: rgb0=1,2,3.
struct Group {
    std::string name;
    std::vector<std::string> members;
};

// One host record or packet type, named after the export that reads it.
struct Layout {
    std::string name;
    int size;  // bytes the tool allocates for one packet
    std::vector<Field> fields;
    std::vector<Group> groups;
};

const Layout* FindLayout(std::string_view name);
const Field* FindField(const Layout& layout, std::string_view name);
const Group* FindGroup(const Layout& layout, std::string_view name);

// Little-endian store and load; the value must be in range for the field.
void WriteField(std::uint8_t* packet, const Field& field, std::int64_t value);
std::int64_t ReadField(const std::uint8_t* packet, const Field& field);

// The exports, in the order of the binding table.
enum ExportId {
    kFxDetect,
    kFxInit,
    kFxShutdown,
    kFxGlideShutdown,
    kInitVariables,
    kInitSurfaces,
    kCalcShifts,
    kInitGouraud,
    kFxStartFrame,
    kFxEndFrame,
    kFlip,
    kClearScreen,
    kShowPage,
    kBlitScreen,
    kPauseRender,
    kUnpauseRender,
    kRenderScene,
    kPutDrawEnv,
    kDoDrMode,
    kDrawFlat,
    kDrawFlat4,
    kDrawGouraud,
    kDrawGouraud4,
    kDrawTile,
    kDrawFlatTexture,
    kDrawFlatTexture4,
    kDrawGouraudTexture,
    kDrawGouraudTexture4,
    kDrawLineFlat2,
    kDrawLineFlat4,
    kDrawLineGouraud,
    kLoadImagePC,
    kDoDrMove,
    kLoadTextures,
    kExportCount
};

// How a script line gives an export its arguments.
enum class ArgStyle {
    None,     // no arguments
    Words,    // 32-bit words, by name or position
    Packet,   // one packet (fields by name, or @NAME), plus any words
    Image,    // LoadImagePC: rectangle plus pixel data
    Picture,  // BlitScreen: picture plus width and height
    Surface,  // CalcShifts: a zeroed DDSURFACEDESC
};

struct Param {
    std::string name;
    Width width;
    bool required;
};

struct ExportDef {
    std::string name;
    std::string decoratedName;  // tried first when looking the export up, if not empty
    ArgStyle style;
    std::vector<Param> params;  // the words a script gives, in positional order
    bool hasResult;
    bool draws;  // a Draw* export: may append scene records
};

const std::vector<ExportDef>& Exports();  // indexed by ExportId
int FindExport(std::string_view name);    // ExportId or -1

}  // namespace replay
