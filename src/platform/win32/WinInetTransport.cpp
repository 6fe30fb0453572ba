#include "platform/win32/WinInetTransport.h"

#include <windows.h>
#include <wininet.h>

#include <cwchar>

#include "platform/win32/WinPaintingWait.h"
#include "platform/win32/WinText.h"

namespace {

HINTERNET AsInternet(HttpHandle h) { return reinterpret_cast<HINTERNET>(h); }
HttpHandle AsHandle(HINTERNET h) { return reinterpret_cast<HttpHandle>(h); }

}  // namespace

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
        DWORD connect = kConnectTimeoutMs;
        DWORD receive = kReceiveTimeoutMs;
        InternetSetOptionW(root, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
        InternetSetOptionW(root, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof(receive));
        InternetSetOptionW(root, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
        InternetSetOptionW(root, INTERNET_OPTION_DATA_SEND_TIMEOUT, &receive, sizeof(receive));
        InternetSetOptionW(root, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof(receive));
    }
    return AsHandle(root);
}

HttpHandle WinInetTransport::OpenUrl(HttpHandle root, const std::string& url, const std::string& headers,
                                     std::uint32_t flags) {
    const std::wstring wheaders = Utf8ToWide(headers);
    const std::wstring wurl = Utf8ToWide(url);
    HINTERNET request = nullptr;
    // Connecting and waiting for the answer's headers are the long waits.
    RunKeepingWindowPainted([&] {
        request = InternetOpenUrlW(AsInternet(root), wurl.c_str(), wheaders.empty() ? nullptr : wheaders.c_str(),
                                   static_cast<DWORD>(wheaders.size()), flags, 0);
    });
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
    RunKeepingWindowPainted([&] {
        while (got < wanted) {
            DWORD n = 0;
            if (!InternetReadFile(AsInternet(request), bytes + got, wanted - got, &n)) {
                ok = got > 0;
                return;
            }
            if (n == 0) return;
            got += n;
        }
    });
    return ok;
}

void WinInetTransport::Close(HttpHandle handle) { InternetCloseHandle(AsInternet(handle)); }
