#include "capture_file.h"

#include "platform.h"

namespace capture {

namespace {

constexpr std::size_t kPathCapacity = 1024;
constexpr std::size_t kTextBuffer = 64 * 1024;
constexpr std::size_t kBlobBuffer = 256 * 1024;
// vrastex-capture.replay, then vrastex-capture-2.replay ... so that an earlier
// capture is never overwritten.
constexpr int kMaxCaptureNumber = 999;

enum class State { Unopened, Open, Off };

struct CaptureFiles {
    State state = State::Unopened;
    FileHandle script = kNoFile;
    FileHandle blobs = kNoFile;
    char scriptPath[kPathCapacity] = {};
    char blobPath[kPathCapacity] = {};
    std::size_t textUsed = 0;
    std::size_t blobUsed = 0;
    std::uint64_t blobOffset = 0;  // bytes of the side file so far, buffered ones included
};

CaptureFiles files;
// Apart from the files' state, so that they stay zero-filled (no room in the DLL).
char textBuffer[kTextBuffer];
unsigned char blobBuffer[kBlobBuffer];

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

bool AppendNumber(char* path, std::size_t& used, int number) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    char text[12];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    text[n] = '\0';
    return Append(path, used, text);
}

void Stop(const char* what, const char* path) {
    if (files.state == State::Off) return;
    files.state = State::Off;
    if (files.script != kNoFile) CloseFile(files.script);
    if (files.blobs != kNoFile) CloseFile(files.blobs);
    files.script = files.blobs = kNoFile;
    char message[kPathCapacity + 160];
    std::size_t used = 0;
    message[0] = '\0';
    Append(message, used, "vrastex-capture: ");
    Append(message, used, what);
    Append(message, used, path);
    Append(message, used, "; the capture stops here, the host's calls go on to the plug-in\n");
    Report(message);
}

void Put(const char* text, std::size_t count);

void WriteHeader(const char* blobName) {
    const char* lines[] = {
        "# vrastex capture: every call the host made to the plug-in, in order, with\n",
        "# the memory the plug-in reads. Play it with: vrastex-replay FILE.replay\n",
        "# (the .bin side file named below stays beside it). A comment follows\n",
        "# every Flip: search for \"# frame 100\" to find the hundredth.\n",
        "data \"",
    };
    for (const char* line : lines) Put(line, Length(line));
    Put(blobName, Length(blobName));
    Put("\"\n", 2);
}

// Folder from VRASTEX_CAPTURE_DIR, else the working directory; the first free
// vrastex-capture[-N].replay in it, with the side file of the same stem.
void Open() {
    files.state = State::Off;
    char dir[kPathCapacity];
    std::size_t dirUsed = 0;
    dir[0] = '\0';
    if (GetEnvironment("VRASTEX_CAPTURE_DIR", dir, kPathCapacity)) {
        dirUsed = Length(dir);
        if (dir[dirUsed - 1] != '/' && dir[dirUsed - 1] != '\\' && !Append(dir, dirUsed, "/")) dirUsed = 0;
    }
    for (int number = 1; number <= kMaxCaptureNumber; ++number) {
        std::size_t used = 0;
        files.scriptPath[0] = '\0';
        bool fits = Append(files.scriptPath, used, dir) && Append(files.scriptPath, used, "vrastex-capture");
        if (number > 1) fits = fits && Append(files.scriptPath, used, "-") && AppendNumber(files.scriptPath, used, number);
        const std::size_t stem = used;
        fits = fits && Append(files.scriptPath, used, ".replay");
        if (!fits) {
            files.state = State::Open;  // so that Stop reports
            return Stop("the capture folder's name is too long: ", dir);
        }
        const CreateResult created = CreateNewFile(files.scriptPath, files.script);
        if (created == CreateResult::Exists) continue;
        files.state = State::Open;
        if (created == CreateResult::Failed) return Stop("cannot create ", files.scriptPath);
        for (std::size_t i = 0; i < stem; ++i) files.blobPath[i] = files.scriptPath[i];
        std::size_t blobUsed = stem;
        files.blobPath[stem] = '\0';
        Append(files.blobPath, blobUsed, ".bin");
        files.blobs = CreateOrTruncateFile(files.blobPath);
        if (files.blobs == kNoFile) return Stop("cannot create ", files.blobPath);
        WriteHeader(files.blobPath + dirUsed);
        return;
    }
    files.state = State::Open;
    Stop("no free capture file name left in ", dir[0] ? dir : "the working directory");
}

void FlushText() {
    if (files.state == State::Open && files.textUsed > 0 && !WriteAll(files.script, textBuffer, files.textUsed))
        Stop("cannot write ", files.scriptPath);
    files.textUsed = 0;
}

void FlushBlobs() {
    if (files.state == State::Open && files.blobUsed > 0 && !WriteAll(files.blobs, blobBuffer, files.blobUsed))
        Stop("cannot write ", files.blobPath);
    files.blobUsed = 0;
}

void Put(const char* text, std::size_t count) {
    if (files.state != State::Open) return;
    if (files.textUsed + count > kTextBuffer) FlushText();
    if (count > kTextBuffer) {
        if (files.state == State::Open && !WriteAll(files.script, text, count)) Stop("cannot write ", files.scriptPath);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) textBuffer[files.textUsed + i] = text[i];
    files.textUsed += count;
}

}  // namespace

bool CaptureOn() {
    if (files.state == State::Unopened) Open();
    return files.state == State::Open;
}

void Text(const char* text) { Put(text, Length(text)); }

void Char(char c) { Put(&c, 1); }

void Decimal(std::int64_t value) {
    char digits[24];
    int n = 0;
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (value < 0) digits[n++] = '-';
    char text[24];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    Put(text, static_cast<std::size_t>(n));
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
    Put(text, static_cast<std::size_t>(n) + 2);
}

void EndLine() { Char('\n'); }

std::uint64_t BlobStart() { return files.blobOffset; }

void BlobPut(const void* bytes, std::size_t count) {
    if (files.state != State::Open) return;
    files.blobOffset += count;
    const auto* p = static_cast<const unsigned char*>(bytes);
    if (files.blobUsed + count > kBlobBuffer) FlushBlobs();
    if (count > kBlobBuffer) {
        if (files.state == State::Open && !WriteAll(files.blobs, p, count)) Stop("cannot write ", files.blobPath);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) blobBuffer[files.blobUsed + i] = p[i];
    files.blobUsed += count;
}

void BlobEnd(std::uint64_t start) {
    Text("blob=");
    Decimal(static_cast<std::int64_t>(start));
    Char(',');
    Decimal(static_cast<std::int64_t>(files.blobOffset - start));
}

void BlobReference(const void* bytes, std::size_t count) {
    const std::uint64_t start = BlobStart();
    BlobPut(bytes, count);
    BlobEnd(start);
}

void Flush() {
    // The side file first: the script never refers to bytes not yet handed over.
    FlushBlobs();
    FlushText();
}

void CloseCapture() {
    if (files.state != State::Open) {
        files.state = State::Off;
        return;
    }
    Flush();
    if (files.state != State::Open) return;
    CloseFile(files.script);
    CloseFile(files.blobs);
    files.script = files.blobs = kNoFile;
    files.state = State::Off;
}

const char* ScriptPath() { return files.scriptPath; }

}  // namespace capture
