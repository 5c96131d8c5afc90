#include "capture_file.h"

#include <initializer_list>

#include "glide/decimal_text.h"
#include "platform.h"

namespace capture {

using vrastex::FormatDecimal;

namespace {

constexpr std::size_t kPathCapacity = 1024;
constexpr std::size_t kTextBuffer = 64 * 1024;
constexpr std::size_t kBlobBuffer = 256 * 1024;
// vrastex-capture.replay, then vrastex-capture-2.replay ... so that an earlier
// capture is never overwritten.
constexpr int kMaxCaptureNumber = 999;

enum class State { Unopened, Open, Off };

// One output file behind a fixed buffer.
struct Stream {
    FileHandle file;
    unsigned char* buffer;
    std::size_t capacity;
    std::size_t used;
    char path[kPathCapacity];
};

// The buffers apart from the streams, so that they stay zero-filled (no room
// in the DLL).
unsigned char textBuffer[kTextBuffer];
unsigned char blobBuffer[kBlobBuffer];

State state = State::Unopened;
Stream script = {kNoFile, textBuffer, kTextBuffer, 0, {}};
Stream blobs = {kNoFile, blobBuffer, kBlobBuffer, 0, {}};
std::uint64_t blobOffset = 0;  // bytes of the side file so far, buffered ones included

std::size_t Length(const char* text) {
    std::size_t n = 0;
    while (text[n] != '\0') ++n;
    return n;
}

// Appends `text` to the path being built; false when it does not fit.
bool Append(char* path, std::size_t& used, const char* text) {
    for (; *text != '\0'; ++text) {
        if (used + 1 >= kPathCapacity) return false;
        path[used++] = *text;
    }
    path[used] = '\0';
    return true;
}

void Put(Stream& stream, const void* bytes, std::size_t count);

void Stop(const char* what, const char* path) {
    if (state == State::Off) return;
    state = State::Off;
    for (Stream* stream : {&script, &blobs}) {
        if (stream->file != kNoFile) CloseFile(stream->file);
        stream->file = kNoFile;
    }
    char message[kPathCapacity + 160];
    std::size_t used = 0;
    message[0] = '\0';
    Append(message, used, "vrastex-capture: ");
    Append(message, used, what);
    Append(message, used, path);
    Append(message, used, "; the capture stops here, the host's calls go on to the plug-in\n");
    Report(message);
}

void FlushStream(Stream& stream) {
    if (state == State::Open && stream.used > 0 && !WriteAll(stream.file, stream.buffer, stream.used))
        Stop("cannot write ", stream.path);
    stream.used = 0;
}

void Put(Stream& stream, const void* bytes, std::size_t count) {
    if (state != State::Open) return;
    if (stream.used + count > stream.capacity) FlushStream(stream);
    const auto* p = static_cast<const unsigned char*>(bytes);
    if (count > stream.capacity) {
        if (state == State::Open && !WriteAll(stream.file, p, count)) Stop("cannot write ", stream.path);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) stream.buffer[stream.used + i] = p[i];
    stream.used += count;
}

void PutText(const char* text) { Put(script, text, Length(text)); }

void WriteHeader(const char* blobName) {
    PutText("# vrastex capture: every call the host made to the plug-in, in order, with\n"
            "# the memory the plug-in reads. Play it with: vrastex-replay FILE.replay\n"
            "# (the .bin side file named below stays beside it). A comment follows\n"
            "# every Flip: search for \"# frame 100\" to find the hundredth.\n"
            "data \"");
    PutText(blobName);
    PutText("\"\n");
}

// Folder from VRASTEX_CAPTURE_DIR, else the working directory; the first free
// vrastex-capture[-N].replay in it, with the side file of the same stem.
void Open() {
    char dir[kPathCapacity];
    std::size_t dirUsed = 0;
    dir[0] = '\0';
    if (GetEnvironment("VRASTEX_CAPTURE_DIR", dir, kPathCapacity)) {
        dirUsed = Length(dir);
        if (dir[dirUsed - 1] != '/' && dir[dirUsed - 1] != '\\' && !Append(dir, dirUsed, "/")) dirUsed = 0;
    }
    for (int number = 1; number <= kMaxCaptureNumber; ++number) {
        char suffix[16] = "-";
        FormatDecimal(number, suffix + 1);
        std::size_t scriptUsed = 0, blobUsed = 0;
        script.path[0] = blobs.path[0] = '\0';
        const bool fits = Append(script.path, scriptUsed, dir) &&
                          Append(script.path, scriptUsed, "vrastex-capture") &&
                          Append(script.path, scriptUsed, number > 1 ? suffix : "") &&
                          Append(blobs.path, blobUsed, script.path) && Append(script.path, scriptUsed, ".replay") &&
                          Append(blobs.path, blobUsed, ".bin");
        state = State::Open;  // from here on, Stop reports
        if (!fits) return Stop("the capture folder's name is too long: ", dir);
        const CreateResult created = CreateNewFile(script.path, script.file);
        if (created == CreateResult::Exists) continue;
        if (created == CreateResult::Failed) return Stop("cannot create ", script.path);
        blobs.file = CreateOrTruncateFile(blobs.path);
        if (blobs.file == kNoFile) return Stop("cannot create ", blobs.path);
        return WriteHeader(blobs.path + dirUsed);
    }
    state = State::Open;
    Stop("no free capture file name left in ", dir[0] ? dir : "the working directory");
}

}  // namespace

bool CaptureOn() {
    if (state == State::Unopened) Open();
    return state == State::Open;
}

void Text(const char* text) { PutText(text); }

void Char(char c) { Put(script, &c, 1); }

void Decimal(std::int64_t value) {
    char text[24];
    Put(script, text, static_cast<std::size_t>(FormatDecimal(value, text)));
}

void Hex(std::uint64_t value) {
    char digits[16];
    int n = 0;
    do {
        digits[n++] = "0123456789ABCDEF"[value & 15];
        value >>= 4;
    } while (value > 0);
    char text[20] = {'0', 'x'};
    for (int i = 0; i < n; ++i) text[2 + i] = digits[n - 1 - i];
    Put(script, text, static_cast<std::size_t>(n) + 2);
}

void EndLine() { Char('\n'); }

std::uint64_t BlobStart() { return blobOffset; }

void BlobPut(const void* bytes, std::size_t count) {
    if (state != State::Open) return;
    blobOffset += count;
    Put(blobs, bytes, count);
}

void BlobEnd(std::uint64_t start) {
    Text("blob=");
    Decimal(static_cast<std::int64_t>(start));
    Char(',');
    Decimal(static_cast<std::int64_t>(blobOffset - start));
}

void BlobReference(const void* bytes, std::size_t count) {
    const std::uint64_t start = BlobStart();
    BlobPut(bytes, count);
    BlobEnd(start);
}

void Flush() {
    // The side file first: the script never refers to bytes not yet handed over.
    FlushStream(blobs);
    FlushStream(script);
}

void CloseCapture() {
    if (state != State::Open) {
        state = State::Off;
        return;
    }
    Flush();
    if (state != State::Open) return;
    CloseFile(script.file);
    CloseFile(blobs.file);
    script.file = blobs.file = kNoFile;
    state = State::Off;
}

const char* ScriptPath() { return script.path; }

}  // namespace capture
