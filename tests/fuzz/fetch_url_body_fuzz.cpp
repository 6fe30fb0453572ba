// FetchUrlBody over a transport whose every answer comes from the fuzz input:
// whether the root and request handles open, the status (and whether it can be
// read), the Content-Length header, how many bytes each read delivers, which read
// fails, and the body itself.
//
// Input layout (little-endian; missing fields read as 0):
//   0   u8   flags: 1 root fails, 2 URL fails to open, 4 status query fails,
//                   8 no Content-Length header, 16 status from the field below
//                   (else 200), 32 Content-Length announces the body's true size
//   1   u32  status (with flag 16)
//   5   u64  Content-Length (without flags 8 and 32)
//   13  u32  body size: 0 = the tail as it is, else the tail repeated to this
//            many bytes (taken modulo 1 MiB + 64 KiB + 1, a little past the
//            bound), so small inputs can send bodies on both sides of it
//   17  u8   R, the number of scripted reads
//   18  R x (u16 most bytes this read delivers, u8 nonzero = this read fails)
//   ..       tail: the body bytes
// Reads after the scripted ones deliver as much as asked for.
//
// Properties: the result never exceeds kMaxTextBodyBytes; anything but a readable
// 200 gives an empty body and no read; with a Content-Length within the bound the
// body is one read of exactly that length, received bytes first and zeros after;
// without one it is the bytes delivered in reads of at most 2048 until the first
// empty or failed read (empty if that would pass the bound); buffers are as large
// as the transport is told; every handle is used only while open and closed once,
// the request before the root.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "platform/HttpTransport.h"
#include "update/FetchUrlBody.h"

namespace {

constexpr HttpHandle kRoot = 0x10;
constexpr HttpHandle kRequest = 0x20;
constexpr std::uint32_t kMaxBodyBytes = kMaxTextBodyBytes + 64 * 1024;

struct ScriptedRead {
    std::uint16_t most;
    bool fails;
};

struct FuzzTransport : HttpTransport {
    // The script.
    std::uint8_t flags = 0;
    std::uint32_t status = 200;
    std::uint64_t contentLength = 0;
    std::vector<ScriptedRead> script;
    std::string body;

    // What happened.
    bool rootOpen = false, requestOpen = false;
    int opens = 0;
    std::vector<HttpHandle> closes;
    struct Read {
        std::uint32_t wanted;
        std::uint32_t got;
        bool ok;
    };
    std::vector<Read> reads;
    std::size_t offset = 0;

    bool ConnectedThroughProxy() override { return false; }

    HttpHandle OpenRoot(const std::string&, ProxyMode) override {
        FUZZ_CHECK(!rootOpen, "one root handle at a time");
        if (flags & 1) return 0;
        rootOpen = true;
        return kRoot;
    }

    HttpHandle OpenUrl(HttpHandle root, const std::string&, const std::string&, std::uint32_t) override {
        FUZZ_CHECK(root == kRoot && rootOpen, "URL opened on the open root handle");
        ++opens;
        if (flags & 2) return 0;
        requestOpen = true;
        return kRequest;
    }

    bool QueryStatus(HttpHandle request, std::uint32_t& value) override {
        FUZZ_CHECK(request == kRequest && requestOpen, "status queried on the open request");
        if (flags & 4) return false;
        value = (flags & 16) ? status : 200;
        return true;
    }

    bool QueryContentLength(HttpHandle request, std::uint64_t& length) override {
        FUZZ_CHECK(request == kRequest && requestOpen, "length queried on the open request");
        if (flags & 8) return false;
        length = (flags & 32) ? body.size() : contentLength;
        return true;
    }

    bool Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override {
        FUZZ_CHECK(request == kRequest && requestOpen, "read on the open request");
        FUZZ_CHECK(WritableRegion(buffer, wanted), "read buffer holds the bytes asked for");
        got = 0;
        std::size_t n = std::min<std::size_t>(wanted, body.size() - offset);
        if (reads.size() < script.size()) {
            const ScriptedRead& step = script[reads.size()];
            if (step.fails) {
                reads.push_back({wanted, 0, false});
                return false;
            }
            n = std::min<std::size_t>(n, step.most);
        }
        std::memcpy(buffer, body.data() + offset, n);
        offset += n;
        got = static_cast<std::uint32_t>(n);
        reads.push_back({wanted, got, true});
        return true;
    }

    void Close(HttpHandle handle) override {
        if (handle == kRequest) {
            FUZZ_CHECK(requestOpen, "request closed once, while open");
            requestOpen = false;
        } else {
            FUZZ_CHECK(handle == kRoot && rootOpen, "root closed once, while open");
            FUZZ_CHECK(!requestOpen, "request closed before the root");
            rootOpen = false;
        }
        closes.push_back(handle);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FrontReader in(data, size);
    FuzzTransport http;
    http.flags = in.U8();
    http.status = in.U32();
    http.contentLength = in.U64();
    const std::uint32_t bodySize = in.U32() % (kMaxBodyBytes + 1);
    const std::uint8_t scripted = in.U8();
    for (int i = 0; i < scripted; ++i) {
        const std::uint16_t most = in.U16();
        const bool fails = in.U8() != 0;
        http.script.push_back({most, fails});
    }
    const std::string tail = in.Rest();
    if (bodySize == 0) {
        http.body = tail;
    } else {
        http.body = tail.empty() ? std::string("abcdefghijklmnopqrstuvwxyz") : tail;
        while (http.body.size() < bodySize) http.body += http.body;
        http.body.resize(bodySize);
    }

    const Bytes result = FetchUrlBody(http, "http://localhost:81/eset/Update/info.txt");

    FUZZ_CHECK(result.size() <= kMaxTextBodyBytes, "the body never exceeds the bound");
    FUZZ_CHECK(!http.rootOpen && !http.requestOpen, "every handle is closed");

    const bool rootOpened = !(http.flags & 1);
    const bool requestOpened = rootOpened && !(http.flags & 2);
    FUZZ_CHECK(http.opens == (rootOpened ? 1 : 0), "the URL is opened once, on a root handle");
    FUZZ_CHECK(http.closes.size() == static_cast<std::size_t>(rootOpened) + requestOpened,
               "each opened handle closed exactly once");

    const bool ok200 = requestOpened && !(http.flags & 4) && (!(http.flags & 16) || http.status == 200);
    if (!ok200) {
        FUZZ_CHECK(result.empty(), "no readable 200: empty body");
        FUZZ_CHECK(http.reads.empty(), "no readable 200: nothing read");
        return 0;
    }

    const std::uint64_t announced =
        (http.flags & 8) ? 0 : (http.flags & 32) ? http.body.size() : http.contentLength;
    if (announced > kMaxTextBodyBytes) {
        FUZZ_CHECK(result.empty(), "a length above the bound is a failure");
        FUZZ_CHECK(http.reads.empty(), "a length above the bound is not read");
    } else if (announced != 0) {
        FUZZ_CHECK(http.reads.size() == 1, "a known length is read once");
        FUZZ_CHECK(http.reads[0].wanted == announced, "the one read asks for the whole length");
        FUZZ_CHECK(result.size() == announced, "the body has exactly the announced length");
        const std::uint32_t got = http.reads[0].got;
        FUZZ_CHECK(result.compare(0, got, http.body, 0, got) == 0, "received bytes come first, unchanged");
        FUZZ_CHECK(std::all_of(result.begin() + got, result.end(), [](char c) { return c == 0; }),
                   "bytes that did not arrive are zero");
    } else {
        bool ended = false;
        for (const auto& r : http.reads) {
            FUZZ_CHECK(!ended, "no read after the body ended or failed");
            FUZZ_CHECK(r.wanted == 2048, "pieces of 2048 bytes");
            if (!r.ok || r.got == 0) ended = true;
        }
        // The transport hands out the body front to back: what arrived is its first `offset` bytes.
        const std::string delivered = http.body.substr(0, http.offset);
        FUZZ_CHECK(delivered.size() <= kMaxTextBodyBytes + 2048, "reading stops once past the bound");
        if (delivered.size() <= kMaxTextBodyBytes) {
            FUZZ_CHECK(ended, "reading goes on until an empty or failed read");
            FUZZ_CHECK(result == delivered, "the body is every piece received, in order");
        } else {
            FUZZ_CHECK(result.empty(), "a body above the bound is a failure");
        }
    }
    return 0;
}
