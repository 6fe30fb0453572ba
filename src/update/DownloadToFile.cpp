#include "update/DownloadToFile.h"

#include <vector>

#include "platform/Clock.h"
#include "platform/HttpTransport.h"
#include "platform/LocalFile.h"
#include "platform/Messages.h"

const char* const kDownloadHeaders =
    "Accept: */*\r\n"
    "Accept-Language: zh-cn\r\n"
    "Accept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";

std::string DownloadAgent(std::uint32_t tickCount) {
    return "Agent" + std::to_string(static_cast<std::int32_t>(tickCount));
}

std::string DownloadRequestHeaders(std::int32_t startOffset, bool resume) {
    std::string headers = kDownloadHeaders;
    if (resume) headers += "\r\nRange:bytes=" + std::to_string(startOffset) + "-";
    return headers;
}

namespace {

// Closes what a download opened, in reverse order; 0 handles are skipped.
struct OpenedHandles {
    DownloadServices& sys;
    HttpHandle root = 0;
    HttpHandle request = 0;
    LocalFileHandle file = 0;
    ~OpenedHandles() {
        if (file) sys.files.Close(file);
        if (request) sys.http.Close(request);
        if (root) sys.http.Close(root);
    }
};

}  // namespace

std::int32_t DownloadToFile(DownloadServices& sys, const std::string& url, const std::string& localPath,
                            const DownloadProgress& onProgress, std::int32_t startOffset, bool resume) {
    OpenedHandles opened{sys};
    const bool throughProxy = sys.http.ConnectedThroughProxy();
    const std::string agent = DownloadAgent(sys.clock.TickCount());
    opened.root = sys.http.OpenRoot(agent, throughProxy ? ProxyMode::Preconfig : ProxyMode::PreconfigNoAutoProxy);
    if (!opened.root) {
        sys.messages.ShowMessage(kMsgInternetError);
        return -1;
    }

    opened.request = sys.http.OpenUrl(opened.root, url, DownloadRequestHeaders(startOffset, resume),
                                      kOpenReloadNoCacheWritePragma);
    // Only the answer asked for is written: 200 for the whole file, 206 for a range.
    // An error page (404, 500), a server that ignored the range or a reply that was
    // not HTTP at all is refused before the local file is touched.
    std::uint32_t status = 0;
    if (opened.request) sys.http.QueryStatus(opened.request, status);
    if (!opened.request || status != (resume ? 206u : 200u) || !sys.http.HasHeaders(opened.request)) {
        sys.messages.ShowMessage(kMsgCannotOpenUrl);
        return -1;
    }

    std::uint64_t downloaded = 0;
    if (!resume) {
        opened.file = sys.files.OpenTruncate(localPath);
    } else {
        opened.file = sys.files.Exists(localPath) ? sys.files.OpenKeep(localPath) : sys.files.OpenTruncate(localPath);
        if (opened.file) sys.files.SeekEnd(opened.file);
        downloaded = static_cast<std::uint32_t>(startOffset);
    }
    if (!opened.file) {
        sys.messages.ShowMessage(kMsgCannotOpenLocalFile);
        return -1;
    }

    std::uint64_t announced = 0;
    const bool hasLength = sys.http.QueryContentLength(opened.request, announced);
    const auto total = static_cast<std::int32_t>(static_cast<std::uint32_t>(hasLength ? announced : 0));

    std::vector<char> buffer(kDownloadChunkBytes, '\0');
    std::uint64_t received = 0;
    const std::uint32_t start = sys.clock.TickCount();
    for (;;) {
        std::uint32_t got = 0;
        if (!sys.http.ReadAvailable(opened.request, buffer.data(), kDownloadChunkBytes, got)) {
            sys.messages.ShowMessage(kMsgReadError);
            return -1;
        }
        if (got == 0) break;
        if (!sys.files.Write(opened.file, buffer.data(), got)) {
            sys.messages.ShowMessage(kMsgReadError);
            return -1;
        }
        downloaded += got;
        received += got;
        auto elapsed = static_cast<std::int32_t>(sys.clock.TickCount() - start);
        if (elapsed == 0) elapsed = 10;
        const auto downloaded32 = static_cast<std::uint32_t>(downloaded);
        if (onProgress) {
            onProgress(total, static_cast<std::int32_t>(downloaded32), elapsed,
                       static_cast<std::int32_t>(downloaded32 - static_cast<std::uint32_t>(startOffset)));
        }
    }

    // A body that ended before its announced length is a broken transfer, not a file.
    if (hasLength && received != announced) {
        sys.messages.ShowMessage(kMsgReadError);
        return -1;
    }
    return 0;
}
