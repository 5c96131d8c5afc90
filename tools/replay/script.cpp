#include "script.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include "pictures.h"

namespace replay {

bool ParseNumber(std::string_view text, std::int64_t& value) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    // Saturates instead of wrapping, so a huge value is reported as out of range.
    std::uint64_t magnitude = 0;
    bool saturated = false;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        if (magnitude > (std::uint64_t(1) << 62) / 8) saturated = true;
        else magnitude = magnitude * base + digit;
    }
    if (saturated || magnitude > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        magnitude = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

std::string FormatError(const std::string& fileName, const ScriptError& error) {
    return fileName + ":" + std::to_string(error.line) + ": " + error.message;
}

namespace {

struct LogicalLine {
    int line;
    std::string text;
};

// Cuts comments, joins lines that end in a backslash, drops blank lines.
// Quotes protect '#' inside a value; a quote never spans lines.
std::vector<LogicalLine> SplitLines(std::string_view text) {
    std::vector<LogicalLine> lines;
    std::string pending;
    int pendingLine = 0;
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(start, end - start);
        ++number;
        bool quoted = false;
        std::size_t cut = raw.size();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '"') quoted = !quoted;
            else if (raw[i] == '#' && !quoted) {
                cut = i;
                break;
            }
        }
        std::string_view body = raw.substr(0, cut);
        while (!body.empty() && std::isspace(static_cast<unsigned char>(body.back()))) body.remove_suffix(1);
        const bool continues = !body.empty() && body.back() == '\\';
        if (continues) body.remove_suffix(1);
        if (pending.empty()) pendingLine = number;
        pending.append(body);
        pending.push_back(' ');
        if (!continues) {
            if (pending.find_first_not_of(" \t\r\v\f") != std::string::npos) lines.push_back({pendingLine, pending});
            pending.clear();
        }
        if (end == text.size()) break;
        start = end + 1;
    }
    if (pending.find_first_not_of(" \t\r\v\f") != std::string::npos) lines.push_back({pendingLine, pending});
    return lines;
}

// Whitespace-separated tokens; double quotes group and are removed.
bool Tokenize(const std::string& text, std::vector<std::string>& tokens, std::string& error) {
    tokens.clear();
    std::string current;
    bool inToken = false, quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inToken = true;
        } else if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
            if (inToken) tokens.push_back(current);
            current.clear();
            inToken = false;
        } else {
            current.push_back(c);
            inToken = true;
        }
    }
    if (quoted) {
        error = "unterminated quote";
        return false;
    }
    if (inToken) tokens.push_back(current);
    return true;
}

bool IsName(std::string_view name) {
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string RangeText(Width width) {
    return std::string(WidthName(width)) + " (" + std::to_string(WidthMin(width)) + ".." +
           std::to_string(WidthMax(width)) + ")";
}

// Thrown inside one line's parse; caught per line so the rest is still checked.
struct LineError {
    std::string message;
};

[[noreturn]] void Fail(std::string message) { throw LineError{std::move(message)}; }

std::int64_t Number(std::string_view key, std::string_view text) {
    std::int64_t value;
    if (!ParseNumber(text, value))
        Fail("malformed number '" + std::string(text) + "' in " + std::string(key) + "=");
    return value;
}

std::int64_t Checked(std::string_view key, std::string_view text, Width width) {
    const std::int64_t value = Number(key, text);
    if (value < WidthMin(width) || value > WidthMax(width))
        Fail(std::string(key) + "=" + std::string(text) + " is out of range for its field, " + RangeText(width));
    return value;
}

// Longest list a script may write out or repeat into: a whole staging surface.
constexpr std::int64_t kMaxListValues = std::int64_t(kStagingWidth) * kStagingHeight;

// A comma list; an element V*N stands for N copies of V.
std::vector<std::int64_t> List(std::string_view key, std::string_view text, Width width) {
    std::vector<std::int64_t> values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string_view item = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        std::int64_t repeat = 1;
        const std::size_t star = item.find('*');
        if (star != std::string_view::npos) {
            repeat = Number(key, item.substr(star + 1));
            if (repeat < 0) Fail("repeat count in " + std::string(key) + "= must not be negative");
            item = item.substr(0, star);
        }
        if (repeat > kMaxListValues - static_cast<std::int64_t>(values.size()))
            Fail(std::string(key) + "= holds more than " + std::to_string(kMaxListValues) + " values");
        const std::int64_t value = Checked(key, item, width);
        values.insert(values.end(), static_cast<std::size_t>(repeat), value);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return values;
}

struct Arg {
    std::string key;  // empty for a positional value
    std::string value;
};

class Parser {
public:
    Parser(const std::string& fileName, const std::filesystem::path& baseDir, std::vector<ScriptError>& errors)
        : errors_(errors), baseDir_(baseDir) {
        script_.fileName = fileName;
    }

    Script Run(std::string_view text) {
        for (const LogicalLine& line : SplitLines(text)) {
            if (static_cast<int>(errors_.size()) >= kMaxErrors) break;
            line_ = line.line;
            try {
                ParseLine(line.text);
            } catch (const LineError& error) {
                errors_.push_back({line_, error.message});
            }
        }
        return std::move(script_);
    }

private:
    std::vector<ScriptError>& errors_;
    std::filesystem::path baseDir_;
    Script script_;
    int line_ = 0;
    // What the host has handed over so far, followed line by line so that an
    // upload that would write outside the tool's memory is refused up front.
    bool resultSeen_ = false;
    std::map<std::string, int> named_;  // packet or upload name -> block
    std::ifstream blobs_;               // the data FILE
    std::string blobName_;

    void ParseLine(const std::string& text) {
        std::vector<std::string> tokens;
        std::string error;
        if (!Tokenize(text, tokens, error)) Fail(error);
        const std::string& verb = tokens[0];
        std::vector<std::string> rest(tokens.begin() + 1, tokens.end());
        if (verb == "packet") return DefinePacket(rest);
        if (verb == "set") return SetPacket(rest);
        if (verb == "show") return ShowPacket(rest);
        if (verb == "expect") return Expect(rest);
        if (verb == "data") return DataFile(rest);
        if (verb == "staging") return Staging(rest);
        const int id = FindExport(verb);
        if (id < 0) {
            for (const ExportDef& def : Exports())
                if (Lower(def.name) == Lower(verb))
                    Fail("unknown export or command '" + verb + "' (did you mean " + def.name + "?)");
            Fail("unknown export or command '" + verb + "'");
        }
        Call(id, rest);
    }

    static std::vector<Arg> SplitArgs(const std::vector<std::string>& tokens) {
        std::vector<Arg> args;
        for (const std::string& token : tokens) {
            const std::size_t eq = token.find('=');
            if (eq == std::string::npos) args.push_back({"", token});
            else args.push_back({token.substr(0, eq), token.substr(eq + 1)});
        }
        return args;
    }

    // Applies key=value to the fields of `layout`: a field, or a group with
    // one value per member. Returns false when the key names neither.
    static bool FieldArg(const Layout& layout, const Arg& arg, std::vector<FieldValue>& out,
                         std::set<std::string>& seen) {
        std::vector<const Field*> targets;
        if (const Field* field = FindField(layout, arg.key)) targets.push_back(field);
        else if (const Group* group = FindGroup(layout, arg.key)) {
            for (const std::string& member : group->members) targets.push_back(FindField(layout, member));
        } else {
            return false;
        }
        std::vector<std::string_view> parts;
        std::string_view value = arg.value;
        for (std::size_t start = 0;;) {
            const std::size_t comma = value.find(',', start);
            parts.push_back(value.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        if (parts.size() != targets.size())
            Fail(arg.key + "= takes " + std::to_string(targets.size()) + (targets.size() == 1 ? " value" : " values") +
                 ", got " + std::to_string(parts.size()));
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const Field* field = targets[i];
            if (!seen.insert(field->name).second) Fail(field->name + " is given twice");
            const std::string key = targets.size() == 1 ? arg.key : arg.key + "(" + field->name + ")";
            out.push_back({field, Checked(key, parts[i], field->width)});
        }
        return true;
    }

    int NewBlock(std::size_t size, int offset, const Layout* layout, std::string name = {}) {
        Block block;
        block.bytes.resize(size);
        block.offset = offset;
        block.layout = layout;
        block.name = std::move(name);
        script_.blocks.push_back(std::move(block));
        return static_cast<int>(script_.blocks.size()) - 1;
    }

    int Named(const std::string& name) {
        const auto found = named_.find(name);
        if (found == named_.end()) Fail("no packet named '" + name + "' is defined above");
        return found->second;
    }

    // Words given by name or in order; absent optional ones are 0.
    std::vector<std::int32_t> Words(const ExportDef& def, const std::vector<Arg>& args) {
        std::vector<std::optional<std::int64_t>> values(def.params.size());
        std::size_t next = 0;
        for (const Arg& arg : args) {
            std::size_t index;
            if (arg.key.empty()) {
                if (next >= def.params.size())
                    Fail("too many arguments for " + def.name + ": '" + arg.value + "'");
                index = next++;
            } else {
                index = def.params.size();
                for (std::size_t i = 0; i < def.params.size(); ++i)
                    if (def.params[i].name == arg.key) index = i;
                if (index == def.params.size()) Fail("unknown argument '" + arg.key + "' for " + def.name);
            }
            const Param& param = def.params[index];
            if (values[index]) Fail(param.name + " is given twice");
            values[index] = Checked(param.name, arg.value, param.width);
        }
        std::vector<std::int32_t> words;
        for (std::size_t i = 0; i < def.params.size(); ++i) {
            if (!values[i] && def.params[i].required)
                Fail(def.name + ": missing required argument " + def.params[i].name + "=");
            words.push_back(static_cast<std::int32_t>(values[i].value_or(0)));
        }
        return words;
    }

    void Call(int id, const std::vector<std::string>& tokens) {
        const ExportDef& def = Exports()[id];
        Command command;
        command.line = line_;
        command.exportId = id;
        switch (def.style) {
        case ArgStyle::None:
        case ArgStyle::Surface:
            if (!tokens.empty()) Fail(def.name + " takes no arguments");
            break;
        case ArgStyle::Words: command.words = Words(def, SplitArgs(tokens)); break;
        case ArgStyle::Packet: PacketCall(def, tokens, command); break;
        case ArgStyle::Image: Upload(tokens, command); break;
        case ArgStyle::Picture: Picture(def, tokens, command); break;
        }
        Track(id, command);
        if (def.hasResult) resultSeen_ = true;
        script_.commands.push_back(std::move(command));
    }

    // The staging surface is as wide as the widest stride the script hands
    // over, so that no direct upload the plug-in allows can leave it.
    void Track(int id, const Command& command) {
        if (id != kInitSurfaces) return;
        const std::int64_t stride = command.words[0];
        if (stride > kMaxStride)
            Fail("InitSurfaces stride=" + std::to_string(stride) + " is wider than the tool's staging surface can be (" +
                 std::to_string(kMaxStride) + " pixels)");
        else
            script_.stagingStride = std::max(script_.stagingStride, stride);
    }

    void PacketCall(const ExportDef& def, const std::vector<std::string>& tokens, Command& command) {
        const Layout* layout = FindLayout(def.name);
        std::vector<Arg> args = SplitArgs(tokens);
        std::vector<Arg> words;
        std::vector<FieldValue> fields;
        std::set<std::string> seen;
        int named = -1;
        for (const Arg& arg : args) {
            if (arg.key.empty() && !arg.value.empty() && arg.value[0] == '@') {
                if (named >= 0) Fail("only one @packet per call");
                named = Named(arg.value.substr(1));
                const Block& block = script_.blocks[named];
                if (block.layout != layout)
                    Fail("packet '" + block.name + "' is " +
                         (block.layout ? "a " + block.layout->name + " packet" : "an upload's data") + ", not " +
                         def.name);
            } else if (arg.key.empty() || !FieldArg(*layout, arg, fields, seen)) {
                bool isParam = false;
                for (const Param& param : def.params) isParam |= param.name == arg.key;
                if (!arg.key.empty() && !isParam) Fail("unknown field '" + arg.key + "' for " + def.name);
                if (arg.key.empty() && def.params.empty())
                    Fail("'" + arg.value + "' is not a field=value for " + def.name);
                words.push_back(arg);
            }
        }
        command.words = Words(def, words);
        if (named >= 0) {
            command.block = named;
            command.writes = std::move(fields);
        } else {
            command.block = NewBlock(layout->size, 0, layout);
            for (const FieldValue& value : fields)
                WriteField(script_.blocks[command.block].bytes.data(), *value.field, value.value);
        }
    }

    std::filesystem::path PicturePath(const std::string& value) {
        if (value.empty()) Fail("png= needs a file name");
        std::filesystem::path path(value);
        return path.is_absolute() ? path : baseDir_ / path;
    }

    PngImage LoadPng(const std::string& value) {
        PngImage image;
        std::string error;
        if (!ReadPng(PicturePath(value).string(), image, error)) Fail("png=" + value + ": " + error);
        return image;
    }

    // The keys of one LoadImagePC line.
    struct UploadArgs {
        std::vector<FieldValue> fields;  // x, y, w, h
        std::map<std::string, std::string> options;

        std::optional<std::int64_t> Given(const char* name) const {
            for (const FieldValue& value : fields)
                if (value.field->name == name) return value.value;
            return std::nullopt;
        }
        const std::string* Option(const char* key) const {
            const auto found = options.find(key);
            return found == options.end() ? nullptr : &found->second;
        }
    };

    // The upload as the plug-in gets it: rectangle, header byte, data bytes
    // (little-endian, as the plug-in reads them).
    struct UploadData {
        std::int64_t x = 0, y = 0, w = 0, h = 0;
        std::int64_t header = 0;
        std::vector<std::uint8_t> bytes;

        void PutWords(const std::vector<std::uint16_t>& words) {
            for (std::uint16_t word : words) {
                bytes.push_back(static_cast<std::uint8_t>(word));
                bytes.push_back(static_cast<std::uint8_t>(word >> 8));
            }
        }
    };

    static bool Flag(const UploadArgs& args) {
        return args.Option("flag") && Checked("flag", *args.Option("flag"), Width::U8) == 1;
    }

    static std::vector<std::uint16_t> WordList(const std::string& list) {
        std::vector<std::uint16_t> words;
        for (std::int64_t value : List("words", list, Width::U16)) words.push_back(static_cast<std::uint16_t>(value));
        return words;
    }

    // LoadImagePC: a rectangle and its data, or a colour table.
    void Upload(const std::vector<std::string>& tokens, Command& command) {
        const Layout* rect = FindLayout("LoadImagePC");
        UploadArgs args;
        std::set<std::string> seen;
        for (const Arg& arg : SplitArgs(tokens)) {
            if (arg.key.empty()) Fail("'" + arg.value + "' is not a key=value for LoadImagePC");
            if (FieldArg(*rect, arg, args.fields, seen)) continue;
            static const std::set<std::string> known = {"words", "bytes", "fill", "png",  "bits",
                                                        "flag",  "table", "header", "blob", "name"};
            if (!known.count(arg.key)) Fail("unknown field '" + arg.key + "' for LoadImagePC");
            if (!args.options.emplace(arg.key, arg.value).second) Fail(arg.key + " is given twice");
        }
        int sources = 0;
        for (const char* key : {"words", "bytes", "fill", "png", "blob"}) sources += args.Option(key) != nullptr;
        if (sources > 1) Fail("give the pixel data once: words=, bytes=, fill=, png= or blob=");
        if (const std::string* flag = args.Option("flag")) {
            if (Checked("flag", *flag, Width::U8) > 1) Fail("flag= is 0 or 1");
            if (!args.Option("png")) Fail("flag= applies to colours taken from a png=");
        }
        if (args.Option("bits") && !args.Option("png")) Fail("bits= applies to a palette png=");

        UploadData upload;
        if (args.Option("table")) {
            TableUpload(args, upload);
        } else {
            if (!args.Given("x")) Fail("LoadImagePC: missing required argument x=");
            if (!args.Given("y")) Fail("LoadImagePC: missing required argument y=");
            upload.x = *args.Given("x");
            upload.y = *args.Given("y");
            if (args.Option("png")) PngUpload(args, upload);
            else InlineUpload(args, upload);
        }
        if (const std::string* value = args.Option("header")) upload.header = Checked("header", *value, Width::U8);

        command.block = NewBlock(rect->size, 0, rect);
        std::uint8_t* rectBytes = script_.blocks[command.block].bytes.data();
        WriteField(rectBytes, *FindField(*rect, "x"), upload.x);
        WriteField(rectBytes, *FindField(*rect, "y"), upload.y);
        WriteField(rectBytes, *FindField(*rect, "w"), upload.w);
        WriteField(rectBytes, *FindField(*rect, "h"), upload.h);
        const std::size_t size = kUploadHeader + std::max<std::size_t>(upload.bytes.size(), kUploadMinimum);
        std::string name;
        if (const std::string* value = args.Option("name")) {
            if (!IsName(*value)) Fail("name=" + *value + ": a name is letters, digits and _");
            name = *value;
        }
        command.data = NewBlock(size, kUploadHeader, nullptr, name);
        if (!name.empty()) named_[name] = command.data;
        Block& block = script_.blocks[command.data];
        block.bytes[0] = static_cast<std::uint8_t>(upload.header);
        std::copy(upload.bytes.begin(), upload.bytes.end(), block.bytes.begin() + kUploadHeader);
    }

    // table=16|256: one row of colours, from words, a fill or a PNG's palette.
    void TableUpload(const UploadArgs& args, UploadData& upload) {
        const std::int64_t entries = Checked("table", *args.Option("table"), Width::U16);
        if (entries != 16 && entries != 256) Fail("table= is 16 or 256 entries");
        if (args.Given("w") || args.Given("h")) Fail("table= sets w and h; leave them out");
        if (args.Option("bytes") || args.Option("bits")) Fail("a colour table takes words=, fill= or png=");
        upload.x = args.Given("x").value_or(0);
        upload.y = args.Given("y").value_or(0);
        upload.w = entries;
        upload.h = 1;
        upload.header = entries == 256 ? 1 : 0;
        std::vector<std::uint16_t> words;
        if (const std::string* list = args.Option("words")) {
            words = WordList(*list);
        } else if (const std::string* fill = args.Option("fill")) {
            words.assign(entries, static_cast<std::uint16_t>(Checked("fill", *fill, Width::U16)));
        } else if (const std::string* png = args.Option("png")) {
            const PngImage image = LoadPng(*png);
            if (!image.palette) Fail("png=" + *png + " has no palette; a colour table needs a palette picture");
            words = PaletteColours(image, Flag(args));
        } else {
            Fail("LoadImagePC table=: missing required argument words=, fill= or png=");
        }
        if (static_cast<std::int64_t>(words.size()) > entries)
            Fail("the colour table has " + std::to_string(words.size()) + " entries, more than table=" +
                 std::to_string(entries));
        words.resize(entries, 0);
        upload.PutWords(words);
    }

    // png=: direct colour from an RGB picture, indices from a palette picture.
    void PngUpload(const UploadArgs& args, UploadData& upload) {
        const std::string& name = *args.Option("png");
        const PngImage image = LoadPng(name);
        if (image.palette) {
            const std::int64_t bits =
                args.Option("bits") ? Checked("bits", *args.Option("bits"), Width::U8) : (image.bitDepth <= 4 ? 4 : 8);
            if (bits != 4 && bits != 8) Fail("bits= is 4 or 8");
            if (args.Option("flag")) Fail("flag= applies to direct colour; a palette picture gives indices");
            std::string error;
            if (!PackIndices(image, static_cast<int>(bits), upload.bytes, error)) Fail("png=" + name + ": " + error);
            upload.w = image.width / (bits == 4 ? 4 : 2);
        } else {
            if (args.Option("bits")) Fail("bits= applies to a palette png=; png=" + name + " is an RGB picture");
            upload.PutWords(HostColours(image, Flag(args)));
            upload.w = image.width;
        }
        upload.h = image.height;
        if (upload.w > WidthMax(Width::S16) || upload.h > WidthMax(Width::S16)) Fail("png=" + name + " is too large");
        for (const char* side : {"w", "h"}) {
            const std::int64_t own = *side == 'w' ? upload.w : upload.h;
            if (args.Given(side) && *args.Given(side) != own)
                Fail(std::string(side) + "=" + std::to_string(*args.Given(side)) + " does not match png=" + name +
                     ", which gives " + side + "=" + std::to_string(own));
        }
    }

    // words=, bytes= or fill= for a rectangle given by w and h.
    void InlineUpload(const UploadArgs& args, UploadData& upload) {
        if (!args.Given("w")) Fail("LoadImagePC: missing required argument w=");
        if (!args.Given("h")) Fail("LoadImagePC: missing required argument h=");
        upload.w = *args.Given("w");
        upload.h = *args.Given("h");
        const std::int64_t units = std::max<std::int64_t>(upload.w, 0) * std::max<std::int64_t>(upload.h, 0);
        if (units > kMaxListValues)
            Fail("a rectangle of " + std::to_string(upload.w) + " x " + std::to_string(upload.h) +
                 " holds more than the staging surface's " + std::to_string(kMaxListValues) + " pixels");
        if (const std::string* list = args.Option("words")) {
            const std::vector<std::uint16_t> words = WordList(*list);
            if (static_cast<std::int64_t>(words.size()) != units)
                Fail("words= has " + std::to_string(words.size()) + " values, the rectangle needs " +
                     std::to_string(units) + " (w x h)");
            upload.PutWords(words);
        } else if (const std::string* list = args.Option("bytes")) {
            for (std::int64_t value : List("bytes", *list, Width::U8))
                upload.bytes.push_back(static_cast<std::uint8_t>(value));
            if (static_cast<std::int64_t>(upload.bytes.size()) != 2 * units)
                Fail("bytes= has " + std::to_string(upload.bytes.size()) + " values, the rectangle needs " +
                     std::to_string(2 * units) + " (2 x w x h)");
        } else if (const std::string* fill = args.Option("fill")) {
            const auto word = static_cast<std::uint16_t>(Checked("fill", *fill, Width::U16));
            upload.PutWords(std::vector<std::uint16_t>(static_cast<std::size_t>(units), word));
        } else if (const std::string* blob = args.Option("blob")) {
            upload.bytes = Blob(*blob);
            if (static_cast<std::int64_t>(upload.bytes.size()) != 2 * units)
                Fail("blob= has " + std::to_string(upload.bytes.size()) + " bytes, the rectangle needs " +
                     std::to_string(2 * units) + " (2 x w x h)");
        } else if (units > 0) {
            Fail("LoadImagePC: missing required argument words=, bytes=, fill=, png= or blob=");
        }
    }

    // BlitScreen: a picture at the 8192-byte row pitch, and its width and height.
    void Picture(const ExportDef& def, const std::vector<std::string>& tokens, Command& command) {
        std::vector<Arg> words;
        std::map<std::string, std::string> options;
        for (const Arg& arg : SplitArgs(tokens)) {
            if (arg.key == "png" || arg.key == "words" || arg.key == "fill" || arg.key == "blob") {
                if (!options.emplace(arg.key, arg.value).second) Fail(arg.key + " is given twice");
            } else if (arg.key.empty() || arg.key == "width" || arg.key == "height") {
                words.push_back(arg);
            } else {
                Fail("unknown field '" + arg.key + "' for BlitScreen");
            }
        }
        if (options.size() > 1) Fail("give the picture once: png=, words=, fill= or blob=");
        std::vector<std::uint16_t> pixels;
        std::int64_t pictureWidth = 0, pictureHeight = 0;
        if (options.count("png")) {
            const std::string& name = options["png"];
            const PngImage image = LoadPng(name);
            if (image.palette) Fail("png=" + name + " is a palette picture; BlitScreen needs an RGB picture");
            if (image.width > kPicturePitch)
                Fail("png=" + name + " is wider than the 4096-pixel row pitch");
            pixels = Glide555Colours(image);
            pictureWidth = image.width;
            pictureHeight = image.height;
            // The picture's own size unless width= or height= says otherwise.
            bool hasWidth = false, hasHeight = false;
            for (std::size_t i = 0; i < words.size(); ++i) {
                hasWidth |= words[i].key == "width" || (words[i].key.empty() && i == 0);
                hasHeight |= words[i].key == "height" || (words[i].key.empty() && i == 1);
            }
            if (!hasWidth) words.push_back({"width", std::to_string(pictureWidth)});
            if (!hasHeight) words.push_back({"height", std::to_string(pictureHeight)});
        }
        std::vector<std::int32_t> values = Words(def, words);
        const std::int64_t width = values[0], height = values[1];
        // A negative size reaches the plug-in as the host sent it, with no picture.
        if (width > kPicturePitch)
            Fail("width=" + std::to_string(width) + " is out of range for BlitScreen (up to 4096, the row pitch)");
        if (height > 2048) Fail("height=" + std::to_string(height) + " is out of range for BlitScreen (up to 2048)");
        if (!options.count("png")) {
            pictureWidth = std::max<std::int64_t>(width, 0);
            pictureHeight = std::max<std::int64_t>(height, 0);
            if (options.count("blob")) {
                const std::vector<std::uint8_t> bytes = Blob(options["blob"]);
                if (static_cast<std::int64_t>(bytes.size()) != 2 * pictureWidth * pictureHeight)
                    Fail("blob= has " + std::to_string(bytes.size()) + " bytes, the picture needs " +
                         std::to_string(2 * pictureWidth * pictureHeight) + " (2 x width x height)");
                for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                    pixels.push_back(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
            } else if (options.count("words")) {
                for (std::int64_t value : List("words", options["words"], Width::U16))
                    pixels.push_back(static_cast<std::uint16_t>(value));
                if (static_cast<std::int64_t>(pixels.size()) != pictureWidth * pictureHeight)
                    Fail("words= has " + std::to_string(pixels.size()) + " values, the picture needs " +
                         std::to_string(pictureWidth * pictureHeight) + " (width x height)");
            } else if (options.count("fill")) {
                pixels.assign(static_cast<std::size_t>(pictureWidth * pictureHeight),
                              static_cast<std::uint16_t>(Checked("fill", options["fill"], Width::U16)));
            }
        }
        command.words = values;
        const std::int64_t rows = std::max<std::int64_t>({height, pictureHeight, 1});
        command.data = NewBlock(static_cast<std::size_t>(rows) * kPicturePitch * 2, 0, nullptr);
        std::uint8_t* bytes = script_.blocks[command.data].bytes.data();
        // No picture given: the block's zeros are the picture.
        if (pixels.empty()) return;
        for (std::int64_t row = 0; row < pictureHeight; ++row)
            for (std::int64_t column = 0; column < pictureWidth; ++column) {
                const std::uint16_t pixel = pixels[static_cast<std::size_t>(row * pictureWidth + column)];
                const std::size_t at = static_cast<std::size_t>(row * kPicturePitch + column) * 2;
                bytes[at] = static_cast<std::uint8_t>(pixel);
                bytes[at + 1] = static_cast<std::uint8_t>(pixel >> 8);
            }
    }

    // packet NAME TYPE field=value...
    void DefinePacket(const std::vector<std::string>& tokens) {
        if (tokens.size() < 2) Fail("packet: missing required argument: packet NAME TYPE field=value...");
        const std::string& name = tokens[0];
        if (!IsName(name)) Fail("packet name '" + name + "' must be letters, digits and _");
        const int id = FindExport(tokens[1]);
        if (id < 0 || Exports()[id].style != ArgStyle::Packet)
            Fail("'" + tokens[1] + "' is not a packet type (the name of an export that takes a packet)");
        const Layout* layout = FindLayout(tokens[1]);
        std::vector<FieldValue> fields;
        std::set<std::string> seen;
        for (const Arg& arg : SplitArgs({tokens.begin() + 2, tokens.end()}))
            if (arg.key.empty() || !FieldArg(*layout, arg, fields, seen))
                Fail("unknown field '" + (arg.key.empty() ? arg.value : arg.key) + "' for " + layout->name);
        const int block = NewBlock(layout->size, 0, layout, name);
        for (const FieldValue& value : fields) WriteField(script_.blocks[block].bytes.data(), *value.field, value.value);
        named_[name] = block;
    }

    std::vector<FieldValue> NamedFields(const std::string& verb, const std::vector<std::string>& tokens, int& block) {
        if (tokens.empty()) Fail(verb + ": missing required argument: the packet name");
        block = Named(tokens[0]);
        if (!script_.blocks[block].layout) Fail(verb + ": '" + tokens[0] + "' is an upload's data, not a packet");
        const Layout& layout = *script_.blocks[block].layout;
        std::vector<FieldValue> fields;
        std::set<std::string> seen;
        for (const Arg& arg : SplitArgs({tokens.begin() + 1, tokens.end()}))
            if (arg.key.empty() || !FieldArg(layout, arg, fields, seen))
                Fail("unknown field '" + (arg.key.empty() ? arg.value : arg.key) + "' for " + layout.name);
        return fields;
    }

    void SetPacket(const std::vector<std::string>& tokens) {
        if (!tokens.empty() && named_.count(tokens[0]) && !script_.blocks[named_[tokens[0]]].layout)
            return SetData(tokens);
        Command command;
        command.op = Op::Set;
        command.line = line_;
        command.writes = NamedFields("set", tokens, command.block);
        if (command.writes.empty()) Fail("set: missing required argument: field=value");
        script_.commands.push_back(std::move(command));
    }

    void ShowPacket(const std::vector<std::string>& tokens) {
        if (tokens.size() != 1) Fail("show takes one packet name");
        Command command;
        command.op = Op::Show;
        command.line = line_;
        command.block = Named(tokens[0]);
        if (!script_.blocks[command.block].layout) Fail("show: '" + tokens[0] + "' is an upload's data, not a packet");
        script_.commands.push_back(std::move(command));
    }

    // data FILE: the binary side file that blob=OFFSET,LENGTH values read from,
    // relative to the script's folder.
    void DataFile(const std::vector<std::string>& tokens) {
        if (tokens.size() != 1) Fail("data takes one file name");
        blobs_.close();
        blobs_.clear();
        blobName_ = tokens[0];
        const std::filesystem::path path = PicturePath(tokens[0]);
        blobs_.open(path, std::ios::binary);
        if (!blobs_) Fail("data: cannot read " + path.string());
    }

    std::vector<std::uint8_t> Blob(const std::string& value) {
        const std::size_t comma = value.find(',');
        if (comma == std::string::npos) Fail("blob= is OFFSET,LENGTH");
        const std::int64_t offset = Number("blob", value.substr(0, comma));
        const std::int64_t length = Number("blob", value.substr(comma + 1));
        if (!blobs_.is_open()) Fail("blob= needs a data FILE line above it");
        if (offset < 0 || length < 0 || length > 4 * kMaxListValues)
            Fail("blob=" + value + " is out of range");
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        blobs_.clear();
        blobs_.seekg(offset);
        blobs_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(length));
        if (!blobs_ || blobs_.gcount() != static_cast<std::streamsize>(length))
            Fail("blob=" + value + " lies beyond the end of " + blobName_);
        return bytes;
    }

    // The bytes of a set or staging line: blob=, words= or bytes=.
    std::vector<std::uint8_t> RawBytes(const std::string& verb, const std::vector<Arg>& args) {
        std::vector<std::uint8_t> bytes;
        int sources = 0;
        for (const Arg& arg : args) {
            if (arg.key == "blob") bytes = Blob(arg.value);
            else if (arg.key == "words")
                for (std::uint16_t word : WordList(arg.value)) {
                    bytes.push_back(static_cast<std::uint8_t>(word));
                    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
                }
            else if (arg.key == "bytes")
                for (std::int64_t value : List("bytes", arg.value, Width::U8))
                    bytes.push_back(static_cast<std::uint8_t>(value));
            else continue;
            ++sources;
        }
        if (sources != 1) Fail(verb + ": give the data once: blob=, words= or bytes=");
        return bytes;
    }

    // set NAME blob=|words=|bytes=: rewrites the data of the upload named NAME
    // (after its 16-byte header) when the line is reached.
    void SetData(const std::vector<std::string>& tokens) {
        Command command;
        command.op = Op::Write;
        command.line = line_;
        command.block = named_[tokens[0]];
        const std::vector<Arg> args = SplitArgs({tokens.begin() + 1, tokens.end()});
        for (const Arg& arg : args)
            if (arg.key != "blob" && arg.key != "words" && arg.key != "bytes")
                Fail("set " + tokens[0] + ": unknown field '" + (arg.key.empty() ? arg.value : arg.key) +
                     "' for an upload's data");
        command.payload = RawBytes("set", args);
        const Block& block = script_.blocks[command.block];
        command.at = block.offset;
        if (command.payload.size() > block.bytes.size() - block.offset)
            Fail("set " + tokens[0] + ": " + std::to_string(command.payload.size()) + " bytes, the upload holds " +
                 std::to_string(block.bytes.size() - block.offset));
        script_.commands.push_back(std::move(command));
    }

    // staging row=R col=C blob=|words=: pixels the host wrote into its staging
    // surface itself, at the plug-in's fixed 4096-pixel stride.
    void Staging(const std::vector<std::string>& tokens) {
        Command command;
        command.op = Op::Stage;
        command.line = line_;
        std::vector<Arg> data;
        std::optional<std::int64_t> row, column;
        for (const Arg& arg : SplitArgs(tokens)) {
            if (arg.key == "row") row = Checked("row", arg.value, Width::S32);
            else if (arg.key == "col") column = Checked("col", arg.value, Width::S32);
            else if (arg.key == "blob" || arg.key == "words") data.push_back(arg);
            else Fail("unknown field '" + (arg.key.empty() ? arg.value : arg.key) + "' for staging");
        }
        if (!row || !column) Fail("staging: missing required argument row= or col=");
        command.payload = RawBytes("staging", data);
        const std::int64_t pixels = static_cast<std::int64_t>(command.payload.size() / 2);
        if (command.payload.size() % 2 != 0) Fail("staging: the data is whole 16-bit pixels");
        if (*row < 0 || *row >= kStagingHeight || *column < 0 || *column + pixels > kStagingWidth)
            Fail("staging: row " + std::to_string(*row) + ", columns " + std::to_string(*column) + ".." +
                 std::to_string(*column + pixels - 1) + " lie outside the 4096 x 512 staging surface");
        command.at = *row * kStagingWidth + *column;
        script_.commands.push_back(std::move(command));
    }

    void Expect(const std::vector<std::string>& tokens) {
        Command command;
        command.line = line_;
        if (tokens.size() == 1 && tokens[0].rfind("result=", 0) == 0) {
            if (!resultSeen_) Fail("expect result=: no export above returns a result");
            command.op = Op::ExpectResult;
            command.expected = Number("result", tokens[0].substr(7));
            if (command.expected < WidthMin(Width::S32) || command.expected > WidthMax(Width::U32))
                Fail(tokens[0] + " is out of range for a 32-bit result");
        } else {
            if (!tokens.empty() && tokens[0].rfind("result", 0) == 0 && !named_.count(tokens[0]))
                Fail("expect result: write it as expect result=N");
            command.op = Op::ExpectFields;
            command.writes = NamedFields("expect", tokens, command.block);
            if (command.writes.empty()) Fail("expect: missing required argument: field=value");
        }
        script_.commands.push_back(std::move(command));
    }
};

}  // namespace

Script ParseScript(std::string_view text, const std::string& fileName, const std::filesystem::path& baseDir,
                   std::vector<ScriptError>& errors) {
    return Parser(fileName, baseDir, errors).Run(text);
}

}  // namespace replay
