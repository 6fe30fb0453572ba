#pragma once
#include "platform/HttpTransport.h"

// HttpTransport over WinINet. Every request is bounded: connecting gives up
// after kConnectTimeoutMs, a send or a read that stalls after kReceiveTimeoutMs.
// Called on the GUI thread, the waits keep the window painted.
struct WinInetTransport final : HttpTransport {
    static constexpr unsigned long kConnectTimeoutMs = 15000;
    static constexpr unsigned long kReceiveTimeoutMs = 30000;

    bool ConnectedThroughProxy() override;
    HttpHandle OpenRoot(const std::string& agent, ProxyMode mode) override;
    HttpHandle OpenUrl(HttpHandle root, const std::string& url, const std::string& headers,
                       std::uint32_t flags) override;
    bool QueryStatus(HttpHandle request, std::uint32_t& status) override;
    bool QueryContentLength(HttpHandle request, std::uint64_t& length) override;
    bool Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override;
    void Close(HttpHandle handle) override;
};
