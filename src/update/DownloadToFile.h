#pragma once
#include <cstdint>
#include <functional>
#include <string>

struct Clock;
struct HttpTransport;
struct LocalFiles;
struct Messages;

// Called after every chunk written: total (the answer's Content-Length, 0 when it
// has none), downloaded (startOffset plus the bytes written so far), elapsed (ms
// since the first read began, 0 reported as 10), bytesThisCall (downloaded - startOffset).
using DownloadProgress = std::function<void(std::int32_t total, std::int32_t downloaded, std::int32_t elapsed,
                                            std::int32_t bytesThisCall)>;

// What one download reaches the system through.
struct DownloadServices {
    HttpTransport& http;
    LocalFiles& files;
    Messages& messages;
    Clock& clock;
};

inline constexpr std::uint32_t kDownloadChunkBytes = 10240;

// The request header block sent with every download (no trailing CR LF).
extern const char* const kDownloadHeaders;

// Agent text of the root handle: "Agent" and the tick count as a signed 32-bit number.
std::string DownloadAgent(std::uint32_t tickCount);

// The header block, with "\r\nRange:bytes=<startOffset>-" appended when resuming.
std::string DownloadRequestHeaders(std::int32_t startOffset, bool resume);

// Fetches url into localPath: the whole file into an emptied file, or (resume) the
// part from startOffset on with a range request, appended to the existing file.
// 0 when the whole body arrived and was written; -1 after any failure, whose
// message has then been shown. A failure before the answer's body starts leaves
// an existing local file as it was.
std::int32_t DownloadToFile(DownloadServices& sys, const std::string& url, const std::string& localPath,
                            const DownloadProgress& onProgress, std::int32_t startOffset, bool resume);

inline constexpr const char* kMsgInternetError = "Internet连接错误!";
inline constexpr const char* kMsgCannotOpenUrl = "不能打开该URL!";
inline constexpr const char* kMsgCannotOpenLocalFile = "不能打开本地的文件!";
inline constexpr const char* kMsgReadError = "读文件出错!";
