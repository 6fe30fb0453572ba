#include "update/FetchUrlBody.h"

#include <vector>

#include "platform/HttpTransport.h"

namespace {

constexpr std::uint32_t kChunkBytes = 2048;

// Length of the space (ASCII or full-width) that starts at `pos`, 0 if none.
size_t SpaceAt(const std::string& s, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    if (pos < s.size() && byte(pos) == 0x20) return 1;
    if (pos + 1 < s.size() && byte(pos) == 0xA1 && byte(pos + 1) == 0xA1) return 2;
    if (pos + 2 < s.size() && byte(pos) == 0xE3 && byte(pos + 1) == 0x80 && byte(pos + 2) == 0x80) return 3;
    return 0;
}

// Length of the space that ends right before `end`, 0 if none.
size_t SpaceBefore(const std::string& s, size_t end) {
    for (size_t len : {size_t{1}, size_t{2}, size_t{3}}) {
        if (end >= len && SpaceAt(s, end - len) == len) return len;
    }
    return 0;
}

}  // namespace

std::string TrimUrlSpaces(const std::string& url) {
    size_t begin = 0;
    while (size_t n = SpaceAt(url, begin)) begin += n;
    size_t end = url.size();
    while (end > begin) {
        const size_t n = SpaceBefore(url, end);
        if (n == 0 || end - n < begin) break;
        end -= n;
    }
    return url.substr(begin, end - begin);
}

Bytes FetchUrlBody(HttpTransport& http, const std::string& url) {
    const std::string trimmed = TrimUrlSpaces(url);
    Bytes body;
    const HttpHandle root = http.OpenRoot("HTTPREAD", ProxyMode::Preconfig);
    const HttpHandle request = root ? http.OpenUrl(root, trimmed, "", kOpenReloadBinary) : 0;

    std::uint32_t status = 0;
    if (request) http.QueryStatus(request, status);

    if (status == 200) {
        std::uint64_t length = 0;
        http.QueryContentLength(request, length);
        if (length > kMaxTextBodyBytes) {
            // Too large for a version text: a failure, not an allocation.
        } else if (length != 0) {
            // One read for the whole announced length; what did not arrive stays zero.
            body.assign(static_cast<size_t>(length), '\0');
            std::uint32_t got = 0;
            http.Read(request, body.data(), static_cast<std::uint32_t>(length), got);
        } else {
            std::vector<char> chunk(kChunkBytes, '\0');
            for (;;) {
                std::uint32_t got = 0;
                if (!http.Read(request, chunk.data(), kChunkBytes, got) || got == 0) break;
                if (body.size() + got > kMaxTextBodyBytes) {
                    body.clear();
                    break;
                }
                body.append(chunk.data(), got);
            }
        }
    }

    if (request) http.Close(request);
    if (root) http.Close(root);
    return body;
}

std::string FetchUrlText(HttpTransport& http, const std::string& url) {
    return bodyToText(FetchUrlBody(http, url));
}
