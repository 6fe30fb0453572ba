#pragma once
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes/Journal.h"
#include "platform/HttpTransport.h"

// A scripted transport: one response per URL, served in reads whose sizes the
// test may fix. Records every call, and which handles were opened and closed.
struct FakeHttpTransport : HttpTransport {
    struct Response {
        bool openFails = false;
        bool statusFails = false;
        std::uint32_t status = 200;
        bool hasLength = true;          // send a Content-Length header
        std::uint64_t length = 0;       // announced length; 0 with hasLength = true means "Content-Length: 0"
        bool lengthFromBody = true;     // announce body.size() when hasLength
        std::string body;
        std::deque<std::uint32_t> readSizes;  // bytes per read, else as much as wanted
        std::size_t failAfterBytes = SIZE_MAX;  // reads fail once this many bytes were served
        bool notHttp = false;           // the reply had no header lines (not HTTP)
    };

    bool rootFails = false;
    bool throughProxy = false;
    std::function<void(HttpHandle)> beforeRead;  // runs at the start of every read
    std::map<std::string, Response> responses;
    Journal* journal = nullptr;

    struct Open { std::string url, headers; std::uint32_t flags; };
    std::vector<std::string> agents;
    std::vector<ProxyMode> proxyModes;
    std::vector<Open> opens;
    std::vector<std::uint32_t> readRequests;  // bytes asked for per read
    std::vector<HttpHandle> opened, closed;

    bool ConnectedThroughProxy() override { return throughProxy; }

    HttpHandle OpenRoot(const std::string& agent, ProxyMode mode) override {
        agents.push_back(agent);
        proxyModes.push_back(mode);
        if (rootFails) return 0;
        return Track(nextHandle_++);
    }

    HttpHandle OpenUrl(HttpHandle root, const std::string& url, const std::string& headers,
                       std::uint32_t flags) override {
        opens.push_back({url, headers, flags});
        if (journal) journal->Add("open url " + url);
        if (!root) return 0;
        auto it = responses.find(url);
        if (it == responses.end() || it->second.openFails) return 0;
        const HttpHandle h = Track(nextHandle_++);
        active_[h] = State{&it->second, 0};
        return h;
    }

    bool QueryStatus(HttpHandle request, std::uint32_t& status) override {
        auto it = active_.find(request);
        if (it == active_.end() || it->second.response->statusFails) return false;
        status = it->second.response->status;
        return true;
    }

    bool QueryContentLength(HttpHandle request, std::uint64_t& length) override {
        auto it = active_.find(request);
        if (it == active_.end() || !it->second.response->hasLength) return false;
        const Response& r = *it->second.response;
        length = r.lengthFromBody ? r.body.size() : r.length;
        return true;
    }

    bool Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override {
        readRequests.push_back(wanted);
        got = 0;
        if (beforeRead) beforeRead(request);
        auto it = active_.find(request);
        if (it == active_.end()) return false;
        State& s = it->second;
        Response& r = *s.response;
        if (s.offset >= r.failAfterBytes) return false;
        std::size_t n = std::min<std::size_t>(wanted, r.body.size() - s.offset);
        if (!r.readSizes.empty()) {
            n = std::min<std::size_t>(n, r.readSizes.front());
            r.readSizes.pop_front();
        }
        n = std::min(n, r.failAfterBytes - s.offset);
        std::memcpy(buffer, r.body.data() + s.offset, n);
        s.offset += n;
        got = static_cast<std::uint32_t>(n);
        return true;
    }

    bool HasHeaders(HttpHandle request) override {
        auto it = active_.find(request);
        return it != active_.end() && !it->second.response->notHttp;
    }

    void Close(HttpHandle handle) override {
        closed.push_back(handle);
        active_.erase(handle);
    }

    // True when every handle that was opened has been closed exactly once.
    bool AllClosed() const {
        std::vector<HttpHandle> a = opened, b = closed;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        return a == b;
    }

private:
    struct State { Response* response; std::size_t offset; };
    HttpHandle Track(HttpHandle h) {
        opened.push_back(h);
        return h;
    }
    HttpHandle nextHandle_ = 0x100;
    std::map<HttpHandle, State> active_;
};
