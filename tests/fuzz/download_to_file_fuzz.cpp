// DownloadToFile (the resumable module download) over a transport, a local file,
// a clock and message boxes that all come from the fuzz input: whether the root,
// the request and the file open, the status and header lines of the answer, its
// Content-Length, how many bytes each read delivers, which read or write fails,
// whether the file exists and what it holds, resume and its offset, and the tick
// counts.
//
// Input layout (little-endian; missing fields read as 0):
//   0   u8   flags: 1 root fails, 2 URL fails to open, 4 status query fails,
//                   8 no Content-Length header, 16 resume, 32 the local file
//                   exists, 64 the local file cannot be opened, 128 no header
//                   lines at all (a reply that was not HTTP)
//   1   u8   more flags: 1 connected through a proxy, 2 Content-Length announces
//                   the body's true size, 4 status from the field below (else 200
//                   without resume, 206 with it)
//   2   u32  status (with more-flag 4)
//   6   u64  Content-Length (without flag 8 and more-flag 2)
//   14  u32  startOffset (as a signed 32-bit number)
//   18  u16  size of the existing local file (its bytes are 'E')
//   20  u32  body size: 0 = the tail as it is, else the tail repeated to this
//            many bytes (modulo 96 KiB + 1)
//   24  u32  first tick count; 28 u16 how far the clock moves per reading
//   30  u8   the write that fails (1-based; 0 none)
//   31  u8   R, the number of scripted reads
//   32  R x (u16 most bytes this read delivers (0 ends the body), u8 nonzero = fails)
//   ..       tail: the body bytes
// Reads after the scripted ones deliver as much as asked for.
//
// Properties: the result is 0 or -1, with no message for 0 and exactly one for
// -1: the one for its cause; before the answer is accepted (200, or 206 when
// resuming, with header lines) the local file is not touched; the file ends up
// holding what it held when resuming (nothing otherwise) followed by exactly the
// bytes that were read and written, in order; success means the body ended
// cleanly and, with a Content-Length, had that length; one progress call per
// chunk written, with the total, running count, elapsed time and bytes of this
// call as they should be; the request carries the fixed headers and the range
// line exactly when resuming; every buffer is as large as the callee is told;
// every handle and the file are used only while open and closed once, the file
// first and the root last.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "platform/Clock.h"
#include "platform/HttpTransport.h"
#include "platform/LocalFile.h"
#include "platform/Messages.h"
#include "update/DownloadToFile.h"

namespace {

constexpr HttpHandle kRoot = 0x10;
constexpr HttpHandle kRequest = 0x20;
constexpr LocalFileHandle kFile = 0x30;
constexpr std::uint32_t kMaxBodyBytes = 96 * 1024;
const std::string kPath = "C:\\run\\data\\temp\\em000_32.dat.p2p";

struct ScriptedRead {
    std::uint16_t most;
    bool fails;
};

// Everything the download reaches, driven by the input, recording what it did.
// The four interfaces below are thin faces of it.
struct World {
    // The script.
    std::uint8_t flags = 0, more = 0;
    std::uint32_t status = 0;
    std::uint64_t contentLength = 0;
    std::string body;
    std::vector<ScriptedRead> script;
    std::uint8_t failingWrite = 0;
    std::string existing;  // the local file before the download (when it exists)
    std::uint32_t tick = 0, tickStep = 0;

    // What happened.
    std::vector<std::string> events;  // opens and closes, in order
    bool rootOpen = false, requestOpen = false, fileOpen = false;
    std::string agent, headers;
    ProxyMode proxyMode{};
    std::uint32_t openFlags = 0;
    std::vector<std::string> messages;
    bool fileTouched = false;
    std::string file;          // the local file's bytes
    std::size_t position = 0;  // its write position
    int writes = 0;
    std::string written;       // bytes accepted by writes, in order
    std::size_t bodyOffset = 0;
    int reads = 0;
    bool bodyEnded = false, readFailed = false, writeFailed = false;
    std::uint32_t lastTick = 0;
    bool startKnown = false;
    std::uint32_t startTick = 0;

    // Clock.
    std::uint32_t TickCount() {
        lastTick = tick;
        tick += tickStep;
        return lastTick;
    }
    void SleepMs(std::uint32_t) { FUZZ_CHECK(false, "a download does not sleep"); }

    // Messages.
    void ShowMessage(const std::string& text, const std::string& caption) {
        FUZZ_CHECK(caption == kDefaultCaption, "download messages have the default caption");
        messages.push_back(text);
    }

    // HttpTransport.
    bool ConnectedThroughProxy() { return more & 1; }
    HttpHandle OpenRoot(const std::string& a, ProxyMode mode) {
        FUZZ_CHECK(!rootOpen && events.empty(), "the root is opened first, once");
        agent = a;
        proxyMode = mode;
        FUZZ_CHECK(agent == "Agent" + std::to_string(static_cast<std::int32_t>(lastTick)),
                   "the agent is Agent and the tick count as a signed number");
        if (flags & 1) return 0;
        rootOpen = true;
        events.push_back("open root");
        return kRoot;
    }
    HttpHandle OpenUrl(HttpHandle root, const std::string& h, std::uint32_t f) {
        FUZZ_CHECK(root == kRoot && rootOpen && !requestOpen, "the URL is opened once, on the open root");
        headers = h;
        openFlags = f;
        if (flags & 2) return 0;
        requestOpen = true;
        events.push_back("open request");
        return kRequest;
    }
    bool QueryStatus(HttpHandle request, std::uint32_t& value) {
        FUZZ_CHECK(request == kRequest && requestOpen, "status of the open request");
        if (flags & 4) return false;
        value = (more & 4) ? status : ((flags & 16) ? 206 : 200);
        return true;
    }
    bool HasHeaders(HttpHandle request) {
        FUZZ_CHECK(request == kRequest && requestOpen, "headers of the open request");
        return !(flags & 128);
    }
    bool QueryContentLength(HttpHandle request, std::uint64_t& length) {
        FUZZ_CHECK(request == kRequest && requestOpen, "length of the open request");
        if (flags & 8) return false;
        length = (more & 2) ? body.size() : contentLength;
        return true;
    }
    bool Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) {
        FUZZ_CHECK(request == kRequest && requestOpen && fileOpen, "reads on the open request, into an open file");
        FUZZ_CHECK(!bodyEnded && !readFailed && !writeFailed, "no read after the end or a failure");
        FUZZ_CHECK(wanted <= kDownloadChunkBytes && WritableRegion(buffer, wanted),
                   "chunks of at most 10240 bytes, into a buffer that holds them");
        if (reads == 0) {
            startKnown = true;
            startTick = lastTick;
        }
        got = 0;
        std::size_t n = std::min<std::size_t>(wanted, body.size() - bodyOffset);
        if (static_cast<std::size_t>(reads) < script.size()) {
            const ScriptedRead& step = script[reads];
            ++reads;
            if (step.fails) {
                readFailed = true;
                return false;
            }
            n = std::min<std::size_t>(n, step.most);
        } else {
            ++reads;
        }
        std::memcpy(buffer, body.data() + bodyOffset, n);
        bodyOffset += n;
        got = static_cast<std::uint32_t>(n);
        if (n == 0) bodyEnded = true;
        return true;
    }
    void CloseHttp(HttpHandle handle) {
        if (handle == kRequest) {
            FUZZ_CHECK(requestOpen && !fileOpen, "the request is closed once, after the file");
            requestOpen = false;
            events.push_back("close request");
        } else {
            FUZZ_CHECK(handle == kRoot && rootOpen && !requestOpen, "the root is closed once, last");
            rootOpen = false;
            events.push_back("close root");
        }
    }

    // LocalFiles (one file, kPath).
    bool Exists(const std::string& path) {
        FUZZ_CHECK(path == kPath, "the local path as given");
        return flags & 32;
    }
    LocalFileHandle Open(const std::string& path, bool truncate) {
        FUZZ_CHECK(path == kPath && !fileOpen, "the local path, opened once");
        FUZZ_CHECK(requestOpen, "the file is opened only once the answer is there");
        fileTouched = true;
        if (flags & 64) return 0;
        if (truncate) file.clear();
        position = 0;
        fileOpen = true;
        events.push_back(truncate ? "open truncate" : "open keep");
        return kFile;
    }
    bool SeekEnd(LocalFileHandle f) {
        FUZZ_CHECK(f == kFile && fileOpen, "seek on the open file");
        position = file.size();
        return true;
    }
    bool Write(LocalFileHandle f, const void* data, std::uint32_t size) {
        FUZZ_CHECK(f == kFile && fileOpen, "writes to the open file");
        FUZZ_CHECK(WritableRegion(data, size), "the bytes written lie in one buffer");
        if (++writes == failingWrite) {
            writeFailed = true;
            return false;
        }
        const std::string bytes(static_cast<const char*>(data), size);
        if (file.size() < position + size) file.resize(position + size, '\0');
        file.replace(position, size, bytes);
        position += size;
        written += bytes;
        return true;
    }
    void CloseFile(LocalFileHandle f) {
        FUZZ_CHECK(f == kFile && fileOpen, "the file is closed once, while open");
        fileOpen = false;
        events.push_back("close file");
    }
};

struct WorldTransport : HttpTransport {
    World& w;
    explicit WorldTransport(World& world) : w(world) {}
    bool ConnectedThroughProxy() override { return w.ConnectedThroughProxy(); }
    HttpHandle OpenRoot(const std::string& agent, ProxyMode mode) override { return w.OpenRoot(agent, mode); }
    HttpHandle OpenUrl(HttpHandle root, const std::string&, const std::string& headers, std::uint32_t flags) override {
        return w.OpenUrl(root, headers, flags);
    }
    bool QueryStatus(HttpHandle request, std::uint32_t& status) override { return w.QueryStatus(request, status); }
    bool QueryContentLength(HttpHandle request, std::uint64_t& length) override {
        return w.QueryContentLength(request, length);
    }
    bool Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override {
        return w.Read(request, buffer, wanted, got);
    }
    bool ReadAvailable(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override {
        return w.Read(request, buffer, wanted, got);
    }
    bool HasHeaders(HttpHandle request) override { return w.HasHeaders(request); }
    void Close(HttpHandle handle) override { w.CloseHttp(handle); }
};

struct WorldFiles : LocalFiles {
    World& w;
    explicit WorldFiles(World& world) : w(world) {}
    bool Exists(const std::string& path) override { return w.Exists(path); }
    LocalFileHandle OpenTruncate(const std::string& path) override { return w.Open(path, true); }
    LocalFileHandle OpenKeep(const std::string& path) override { return w.Open(path, false); }
    bool SeekEnd(LocalFileHandle file) override { return w.SeekEnd(file); }
    bool Write(LocalFileHandle file, const void* data, std::uint32_t size) override { return w.Write(file, data, size); }
    void Close(LocalFileHandle file) override { w.CloseFile(file); }
};

struct WorldClock : Clock {
    World& w;
    explicit WorldClock(World& world) : w(world) {}
    std::uint32_t TickCount() override { return w.TickCount(); }
    void SleepMs(std::uint32_t ms) override { w.SleepMs(ms); }
};

struct WorldMessages : Messages {
    World& w;
    explicit WorldMessages(World& world) : w(world) {}
    void ShowMessage(const std::string& text, const std::string& caption) override { w.ShowMessage(text, caption); }
};

struct Progress {
    std::int32_t total, downloaded, elapsed, bytesThisCall;
    std::uint32_t tickThen;
    std::size_t writtenThen;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FrontReader in(data, size);
    World w;
    w.flags = in.U8();
    w.more = in.U8();
    w.status = in.U32();
    w.contentLength = in.U64();
    const auto startOffset = static_cast<std::int32_t>(in.U32());
    const std::uint16_t existingSize = in.U16();
    const std::uint32_t bodySize = in.U32() % (kMaxBodyBytes + 1);
    w.tick = in.U32();
    w.tickStep = in.U16();
    w.failingWrite = in.U8();
    const std::uint8_t scripted = in.U8();
    for (int i = 0; i < scripted; ++i) {
        const std::uint16_t most = in.U16();
        const bool fails = in.U8() != 0;
        w.script.push_back({most, fails});
    }
    const std::string tail = in.Rest();
    if (bodySize == 0) {
        w.body = tail;
    } else {
        w.body = tail.empty() ? std::string("0123456789") : tail;
        while (w.body.size() < bodySize) w.body += w.body;
        w.body.resize(bodySize);
    }
    const bool resume = w.flags & 16;
    const bool exists = w.flags & 32;
    if (exists) w.existing.assign(existingSize, 'E');
    w.file = w.existing;

    std::vector<Progress> progress;
    const DownloadProgress onProgress = [&](std::int32_t total, std::int32_t downloaded, std::int32_t elapsed,
                                            std::int32_t bytesThisCall) {
        progress.push_back({total, downloaded, elapsed, bytesThisCall, w.lastTick, w.written.size()});
    };
    WorldTransport http(w);
    WorldFiles files(w);
    WorldMessages messages(w);
    WorldClock clock(w);
    DownloadServices sys{http, files, messages, clock};
    const std::int32_t result = DownloadToFile(sys, "http://localhost:81/eset/Update/em000_32.dat", kPath,
                                               onProgress, startOffset, resume);

    // Handles.
    FUZZ_CHECK(!w.rootOpen && !w.requestOpen && !w.fileOpen, "everything opened is closed");
    FUZZ_CHECK(result == 0 || result == -1, "the result is 0 or -1");
    FUZZ_CHECK(w.proxyMode == ((w.more & 1) ? ProxyMode::Preconfig : ProxyMode::PreconfigNoAutoProxy),
               "the proxy mode follows the connection state");

    // Messages: none on success, exactly the one for the cause on failure.
    if (result == 0) {
        FUZZ_CHECK(w.messages.empty(), "success shows nothing");
    } else {
        FUZZ_CHECK(w.messages.size() == 1, "a failure shows exactly one message");
    }
    const std::string shown = w.messages.empty() ? std::string() : w.messages[0];

    if (w.flags & 1) {
        FUZZ_CHECK(shown == kMsgInternetError && result == -1, "no root: Internet连接错误!");
        FUZZ_CHECK(w.events.empty() && !w.fileTouched, "no root: nothing else happens");
        return 0;
    }
    FUZZ_CHECK(w.openFlags == kOpenReloadNoCacheWritePragma, "reload, no cache write, pragma no-cache");
    FUZZ_CHECK(w.headers == DownloadRequestHeaders(startOffset, resume), "the fixed headers, range only when resuming");
    FUZZ_CHECK((w.headers.find("\r\nRange:bytes=") != std::string::npos) == resume, "a range line exactly when resuming");

    std::uint32_t statusSeen = (w.more & 4) ? w.status : (resume ? 206 : 200);
    const bool accepted = !(w.flags & 2) && !(w.flags & 4) && !(w.flags & 128) && statusSeen == (resume ? 206u : 200u);
    if (!accepted) {
        FUZZ_CHECK(shown == kMsgCannotOpenUrl && result == -1, "an answer that is not the one asked for: 不能打开该URL!");
        FUZZ_CHECK(!w.fileTouched && w.file == w.existing, "the local file is not touched");
        return 0;
    }
    FUZZ_CHECK(w.fileTouched, "an accepted answer opens the local file");
    if (w.flags & 64) {
        FUZZ_CHECK(shown == kMsgCannotOpenLocalFile && result == -1, "no local file: 不能打开本地的文件!");
        FUZZ_CHECK(w.file == w.existing && w.reads == 0, "nothing read or written");
        return 0;
    }

    // The file: what was kept, then exactly the bytes written.
    const std::string kept = (resume && exists) ? w.existing : std::string();
    FUZZ_CHECK(w.file == kept + w.written, "the file holds what was kept, then the bytes written, in order");
    FUZZ_CHECK(w.written == w.body.substr(0, w.written.size()), "the bytes written are the body's, in order");

    const bool hasLength = !(w.flags & 8);
    const std::uint64_t announced = hasLength ? ((w.more & 2) ? w.body.size() : w.contentLength) : 0;
    const bool cleanEnd = w.bodyEnded && !w.readFailed && !w.writeFailed;
    const bool complete = cleanEnd && (!hasLength || w.written.size() == announced);
    if (complete) {
        FUZZ_CHECK(result == 0, "a body that ended cleanly with its announced length is a success");
    } else {
        FUZZ_CHECK(result == -1 && shown == kMsgReadError, "a failed read or write or a short body: 读文件出错!");
    }

    // One progress call per chunk written, with its figures.
    const std::uint32_t base = resume ? static_cast<std::uint32_t>(startOffset) : 0;
    const auto total = static_cast<std::int32_t>(static_cast<std::uint32_t>(announced));
    std::size_t before = 0;
    FUZZ_CHECK(!progress.empty() || w.written.empty(), "written chunks are reported");
    for (const Progress& p : progress) {
        FUZZ_CHECK(p.writtenThen > before, "each call follows a chunk written");
        before = p.writtenThen;
        FUZZ_CHECK(p.total == total, "total: the Content-Length, 0 without one");
        const std::uint32_t downloaded = base + static_cast<std::uint32_t>(p.writtenThen);
        FUZZ_CHECK(p.downloaded == static_cast<std::int32_t>(downloaded), "downloaded: offset plus bytes written");
        // Downloaded minus the offset: the bytes of this call whenever the offset is
        // where the count starts (always when resuming, and for the worker's calls).
        FUZZ_CHECK(p.bytesThisCall == static_cast<std::int32_t>(downloaded - static_cast<std::uint32_t>(startOffset)),
                   "bytes of this call: downloaded minus the offset");
        if (resume || startOffset == 0) {
            FUZZ_CHECK(p.bytesThisCall == static_cast<std::int32_t>(static_cast<std::uint32_t>(p.writtenThen)),
                       "bytes of this call: what this call wrote");
        }
        FUZZ_CHECK(w.startKnown, "the clock starts before the first read");
        const auto elapsed = static_cast<std::int32_t>(p.tickThen - w.startTick);
        FUZZ_CHECK(p.elapsed == (elapsed == 0 ? 10 : elapsed), "elapsed: ticks since the first read, 0 shown as 10");
    }
    FUZZ_CHECK(before == w.written.size(), "the last chunk written is reported");
    return 0;
}
