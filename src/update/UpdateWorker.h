#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "update/UpdateState.h"

struct Clock;
struct FileSystem;
struct HttpTransport;
struct LocalFiles;
struct Messages;
struct WorkerDisplay;
class WorkerStop;

// What the worker reaches the system through. It wraps each of them in its
// WorkerStop, so that nothing changes once the GUI thread has stopped it.
struct WorkerServices {
    HttpTransport& http;
    LocalFiles& localFiles;
    FileSystem& files;
    Messages& messages;
    Clock& clock;
    WorkerDisplay& display;
};

// The part of UpdateState the worker reads, taken when it is started.
struct UpdateJob {
    std::int32_t fileCount = 0;
    std::array<std::string, kModuleCount> sourceUrls;
    std::array<std::string, kModuleCount> targetPaths;
};

// The progress callback of the worker's downloads: the progress text line and the
// bar position for a file of `total` bytes of which `downloaded` have arrived.
void ShowDownloadProgress(WorkerDisplay& display, std::int32_t total, std::int32_t downloaded,
                          std::int32_t elapsed, std::int32_t bytesThisCall);

// The update worker: downloads the job's files in order into partial files and
// renames them, then, after a pause of 300 ms, installs the update cache all or
// nothing and tells the user the outcome. A failed download ends the fetching and
// nothing is installed. Leaves at its next step once `stop` is requested.
void UpdateWorker(WorkerServices& sys, WorkerStop& stop, const UpdateJob& job);

inline constexpr const char* kMsgUpdateSucceeded = "数据已成功更新！";
inline constexpr const char* kMsgUpdateFailed = "数据库更新失败！";
