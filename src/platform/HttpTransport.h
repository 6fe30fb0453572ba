#pragma once
#include <cstdint>
#include <string>

// An open root or request handle of the transport; 0 means none.
using HttpHandle = std::uintptr_t;

enum class ProxyMode : std::uint32_t {
    Preconfig = 0,             // the system's proxy settings, automatic discovery included
    PreconfigNoAutoProxy = 4,  // the system's proxy settings without automatic discovery
};

// Open flags, passed through to the transport unchanged.
constexpr std::uint32_t kOpenReloadBinary = 0x80000002;          // reload | binary transfer
constexpr std::uint32_t kOpenReloadNoCacheWritePragma = 0x84000100;  // reload | no cache write | pragma no-cache

// A blocking HTTP client shaped like WinINet: a root handle, a request handle per
// URL (a GET whose response headers have arrived), numeric header queries and
// blocking reads. Close may be called from another thread to cut a blocking read.
struct HttpTransport {
    virtual ~HttpTransport() = default;
    // True when the system reaches the internet through a proxy.
    virtual bool ConnectedThroughProxy() = 0;
    virtual HttpHandle OpenRoot(const std::string& agent, ProxyMode mode) = 0;
    // headers: extra request header lines separated by CR LF, no trailing CR LF; may be empty.
    virtual HttpHandle OpenUrl(HttpHandle root, const std::string& url, const std::string& headers,
                               std::uint32_t flags) = 0;
    // The numeric status code; false (and status untouched) when it cannot be read.
    virtual bool QueryStatus(HttpHandle request, std::uint32_t& status) = 0;
    // The Content-Length header as a number; false (and length untouched) when absent.
    virtual bool QueryContentLength(HttpHandle request, std::uint64_t& length) = 0;
    // Blocks until `wanted` bytes have arrived or the body ended. True with got > 0:
    // data; true with got == 0: end of the body; false: failure.
    virtual bool Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) = 0;
    virtual void Close(HttpHandle handle) = 0;
    // Like Read, but returns as soon as some bytes are there (at most `wanted`), so
    // that a reader of a slow answer gets its chunks as they come and can look for
    // a stop between them. Transports without such a read wait for `wanted` bytes.
    virtual bool ReadAvailable(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) {
        return Read(request, buffer, wanted, got);
    }
    // False when the answer carried no header line at all: what WinINet reports for
    // a reply that was not HTTP (it reads such bytes as a body with status 200).
    virtual bool HasHeaders(HttpHandle request) {
        (void)request;
        return true;
    }
};
