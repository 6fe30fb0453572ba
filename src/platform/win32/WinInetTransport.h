#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "platform/HttpTransport.h"

class CallDeadlines;

// Sets WinINet's time-outs on a root or request handle: connecting gives up after
// connectMs, a send or read that stalls after receiveMs. Requests opened on a root
// inherit its values; some WinINet versions only honour those set on the request.
void SetInternetTimeouts(void* internetHandle, unsigned long connectMs, unsigned long receiveMs);

// HttpTransport over WinINet. Every request is bounded: connecting gives up
// after kConnectTimeoutMs, a send or a read that stalls after kReceiveTimeoutMs.
// WinINet's own time-outs are set to these, and a watchdog closes the handle of
// a call that outlives them anyway (some WinINet versions wait for ever for the
// answer of a server that accepts and never replies). Called on the GUI thread,
// the waits keep the window painted. Safe to use from several threads.
struct WinInetTransport final : HttpTransport {
    WinInetTransport();
    ~WinInetTransport() override;
    static constexpr unsigned long kConnectTimeoutMs = 15000;
    static constexpr unsigned long kReceiveTimeoutMs = 30000;
    unsigned long connectTimeoutMs = kConnectTimeoutMs;
    unsigned long receiveTimeoutMs = kReceiveTimeoutMs;

    bool ConnectedThroughProxy() override;
    HttpHandle OpenRoot(const std::string& agent, ProxyMode mode) override;
    HttpHandle OpenUrl(HttpHandle root, const std::string& url, const std::string& headers,
                       std::uint32_t flags) override;
    bool QueryStatus(HttpHandle request, std::uint32_t& status) override;
    bool QueryContentLength(HttpHandle request, std::uint64_t& length) override;
    bool Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override;
    void Close(HttpHandle handle) override;
    bool ReadAvailable(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override;
    bool HasHeaders(HttpHandle request) override;

private:
    // Runs a blocking call on `handle`; closes the handle when the call takes
    // longer than `ms`. True when the call finished in time.
    template <typename Call>
    bool WithDeadline(void* handle, unsigned long ms, Call&& call);

    std::unique_ptr<CallDeadlines> deadlines_;
    std::mutex closedMutex_;
    std::set<void*> closedByWatchdog_;  // handles the watchdog already closed
    std::map<void*, void*> connections_;  // request handle -> its connection handle
};
