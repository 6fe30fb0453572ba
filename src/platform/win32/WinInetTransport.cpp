#include "platform/win32/WinInetTransport.h"

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <map>
#include <thread>

#include "platform/win32/WinPaintingWait.h"
#include "platform/win32/WinText.h"

namespace {

HINTERNET AsInternet(HttpHandle h) { return reinterpret_cast<HINTERNET>(h); }
HttpHandle AsHandle(HINTERNET h) { return reinterpret_cast<HttpHandle>(h); }

}  // namespace

// One thread that closes the handles of calls that outlive their deadline.
class CallDeadlines {
public:
    ~CallDeadlines() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    int Arm(HINTERNET handle, unsigned long ms) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        const int ticket = next_++;
        entries_[ticket] = {std::chrono::steady_clock::now() + std::chrono::milliseconds(ms), handle, false};
        wake_.notify_all();
        return ticket;
    }

    // True when the deadline passed and the handle was closed.
    bool Disarm(int ticket) {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool fired = entries_[ticket].fired;
        entries_.erase(ticket);
        return fired;
    }

private:
    struct Entry {
        std::chrono::steady_clock::time_point deadline;
        HINTERNET handle;
        bool fired;
    };

    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            auto next = std::chrono::steady_clock::time_point::max();
            for (auto& [ticket, e] : entries_) {
                if (e.fired) continue;
                if (std::chrono::steady_clock::now() >= e.deadline) {
                    e.fired = true;
                    InternetCloseHandle(e.handle);  // cuts the blocking call
                } else if (e.deadline < next) {
                    next = e.deadline;
                }
            }
            if (next == std::chrono::steady_clock::time_point::max()) {
                wake_.wait(lock);
            } else {
                wake_.wait_until(lock, next);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<int, Entry> entries_;
    int next_ = 1;
    bool stop_ = false;
    std::thread thread_;
};

WinInetTransport::WinInetTransport() : deadlines_(std::make_unique<CallDeadlines>()) {}
WinInetTransport::~WinInetTransport() = default;

template <typename Call>
bool WinInetTransport::WithDeadline(void* handle, unsigned long ms, Call&& call) {
    const int ticket = deadlines_->Arm(static_cast<HINTERNET>(handle), ms);
    RunKeepingWindowPainted(call);
    if (!deadlines_->Disarm(ticket)) return true;
    std::lock_guard<std::mutex> lock(closedMutex_);
    closedByWatchdog_.insert(handle);
    return false;
}

void SetInternetTimeouts(void* internetHandle, unsigned long connectMs, unsigned long receiveMs) {
    HINTERNET h = static_cast<HINTERNET>(internetHandle);
    DWORD connect = connectMs;
    DWORD receive = receiveMs;
    InternetSetOptionW(h, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    for (DWORD option : {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(h, option, &receive, sizeof(receive));
    }
}

bool WinInetTransport::ConnectedThroughProxy() {
    DWORD flags = 0;
    InternetGetConnectedState(&flags, 0);
    return (flags & INTERNET_CONNECTION_PROXY) != 0;
}

HttpHandle WinInetTransport::OpenRoot(const std::string& agent, ProxyMode mode) {
    HINTERNET root = InternetOpenW(Utf8ToWide(agent).c_str(), static_cast<DWORD>(mode), nullptr, nullptr, 0);
    if (root) {
        // Explicit bounds instead of the defaults (which under some systems wait
        // for ever on a server that accepts and never answers). Requests opened on
        // this handle inherit them.
        SetInternetTimeouts(root, connectTimeoutMs, receiveTimeoutMs);
    }
    return AsHandle(root);
}

HttpHandle WinInetTransport::OpenUrl(HttpHandle root, const std::string& url, const std::string& headers,
                                     std::uint32_t flags) {
    // A GET of the URL, as InternetOpenUrl makes it, but through a request handle
    // that exists before the request is sent: its time-outs can be set, and the
    // watchdog can close it while the answer is awaited.
    const std::wstring wurl = Utf8ToWide(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(wurl.c_str(), static_cast<DWORD>(wurl.size()), 0, &parts)) return 0;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return 0;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
    object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty()) object = L"/";

    HINTERNET connection = InternetConnectW(AsInternet(root), host.c_str(), parts.nPort, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) return 0;
    DWORD requestFlags = flags & ~static_cast<DWORD>(INTERNET_FLAG_TRANSFER_BINARY);
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) requestFlags |= INTERNET_FLAG_SECURE;
    HINTERNET request = HttpOpenRequestW(connection, L"GET", object.c_str(), nullptr, nullptr, nullptr,
                                         requestFlags, 0);
    if (!request) {
        InternetCloseHandle(connection);
        return 0;
    }
    SetInternetTimeouts(request, connectTimeoutMs, receiveTimeoutMs);

    const std::wstring wheaders = Utf8ToWide(headers);
    BOOL sent = FALSE;
    // Connecting and waiting for the answer's headers are the long waits.
    const bool inTime = WithDeadline(request, connectTimeoutMs + receiveTimeoutMs, [&] {
        sent = HttpSendRequestW(request, wheaders.empty() ? nullptr : wheaders.c_str(),
                                static_cast<DWORD>(wheaders.size()), nullptr, 0);
    });
    if (!inTime || !sent) {
        if (inTime) InternetCloseHandle(request);
        std::lock_guard<std::mutex> lock(closedMutex_);
        closedByWatchdog_.erase(request);
        InternetCloseHandle(connection);
        return 0;
    }
    std::lock_guard<std::mutex> lock(closedMutex_);
    connections_[request] = connection;
    return AsHandle(request);
}

bool WinInetTransport::QueryStatus(HttpHandle request, std::uint32_t& status) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!HttpQueryInfoW(AsInternet(request), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size,
                        nullptr)) {
        return false;
    }
    status = value;
    return true;
}

bool WinInetTransport::QueryContentLength(HttpHandle request, std::uint64_t& length) {
    // Read as text so a length beyond 32 bits is seen as what it is.
    wchar_t text[32] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (!HttpQueryInfoW(AsInternet(request), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return false;
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text, &end, 10);
    if (end == text) return false;
    length = value;
    return true;
}

bool WinInetTransport::Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) {
    got = 0;
    auto* bytes = static_cast<char*>(buffer);
    bool ok = true;
    while (got < wanted) {
        DWORD n = 0;
        BOOL read = FALSE;
        // A read that stalls longer than the receive time-out is cut.
        if (!WithDeadline(AsInternet(request), receiveTimeoutMs,
                          [&] { read = InternetReadFile(AsInternet(request), bytes + got, wanted - got, &n); }) ||
            !read) {
            ok = got > 0;
            break;
        }
        if (n == 0) break;
        got += n;
    }
    return ok;
}

void WinInetTransport::Close(HttpHandle handle) {
    HINTERNET connection = nullptr;
    bool alreadyClosed = false;
    {
        std::lock_guard<std::mutex> lock(closedMutex_);
        alreadyClosed = closedByWatchdog_.erase(AsInternet(handle)) != 0;
        if (auto it = connections_.find(AsInternet(handle)); it != connections_.end()) {
            connection = it->second;
            connections_.erase(it);
        }
    }
    if (!alreadyClosed) InternetCloseHandle(AsInternet(handle));
    if (connection) InternetCloseHandle(connection);
}

bool WinInetTransport::ReadAvailable(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) {
    got = 0;
    // Waits for the first bytes only; a plain InternetReadFile waits until all
    // `wanted` bytes have come, which from a slow server can take seconds. The
    // wait is bounded by the receive time-out set on the request handle (WinINet
    // and Wine honour it here), so no watchdog is armed: at one thread wake-up per
    // chunk it would cost a large download a good part of its time.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(AsInternet(request), &available, 0, 0)) return false;
    if (available == 0) return true;  // end of the body
    // What is available is already here: this read does not wait for the network.
    DWORD n = 0;
    const DWORD ask = available < wanted ? available : static_cast<DWORD>(wanted);
    if (!InternetReadFile(AsInternet(request), buffer, ask, &n)) return false;
    got = n;
    return true;
}

bool WinInetTransport::HasHeaders(HttpHandle request) {
    // The raw headers hold the status line and then one line per header.
    DWORD size = 0;
    HttpQueryInfoW(AsInternet(request), HTTP_QUERY_RAW_HEADERS, nullptr, &size, nullptr);
    if (size == 0) return false;
    std::wstring raw(size / sizeof(wchar_t) + 1, L'\0');
    if (!HttpQueryInfoW(AsInternet(request), HTTP_QUERY_RAW_HEADERS, raw.data(), &size, nullptr)) return false;
    // HTTP_QUERY_RAW_HEADERS separates the lines with zero characters.
    const size_t statusEnd = raw.find(L'\0');
    return statusEnd != std::wstring::npos && statusEnd + 1 < raw.size() && raw[statusEnd + 1] != L'\0';
}
