#include "update/WorkerStop.h"

void WorkerStop::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    if (blockedOn_) {
        // Closing the handle ends a blocking open or read on it; the worker sees
        // that it was closed here and leaves it alone.
        http_.Close(blockedOn_);
        closedByStop_.insert(blockedOn_);
        blockedOn_ = 0;
    }
}

bool StoppableTransport::BeginBlocking(HttpHandle handle) {
    std::lock_guard<std::mutex> lock(stop_.mutex_);
    if (stop_.stopped_) return false;
    stop_.blockedOn_ = handle;
    return true;
}

bool StoppableTransport::EndBlocking(HttpHandle handle) {
    std::lock_guard<std::mutex> lock(stop_.mutex_);
    stop_.blockedOn_ = 0;
    return stop_.closedByStop_.count(handle) == 0;
}

HttpHandle StoppableTransport::OpenRoot(const std::string& agent, ProxyMode mode) {
    std::lock_guard<std::mutex> lock(stop_.mutex_);
    return stop_.stopped_ ? 0 : http_.OpenRoot(agent, mode);
}

HttpHandle StoppableTransport::OpenUrl(HttpHandle root, const std::string& url, const std::string& headers,
                                       std::uint32_t flags) {
    {
        std::lock_guard<std::mutex> lock(stop_.mutex_);
        if (stop_.stopped_) return 0;
    }
    // Not cut by a stop: closing the root under a request being made also ends the
    // request's handle, whose number the next request of the program may get
    // before this call returns it; the transport bounds this wait by itself.
    return http_.OpenUrl(root, url, headers, flags);
}

bool StoppableTransport::QueryStatus(HttpHandle request, std::uint32_t& status) {
    std::lock_guard<std::mutex> lock(stop_.mutex_);
    return !stop_.stopped_ && http_.QueryStatus(request, status);
}

bool StoppableTransport::QueryContentLength(HttpHandle request, std::uint64_t& length) {
    std::lock_guard<std::mutex> lock(stop_.mutex_);
    return !stop_.stopped_ && http_.QueryContentLength(request, length);
}

bool StoppableTransport::HasHeaders(HttpHandle request) {
    std::lock_guard<std::mutex> lock(stop_.mutex_);
    return !stop_.stopped_ && http_.HasHeaders(request);
}

bool StoppableTransport::Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) {
    got = 0;
    if (!BeginBlocking(request)) return false;
    const bool ok = http_.Read(request, buffer, wanted, got);
    if (!EndBlocking(request)) {
        got = 0;
        return false;
    }
    return ok;
}

bool StoppableTransport::ReadAvailable(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) {
    got = 0;
    if (!BeginBlocking(request)) return false;
    const bool ok = http_.ReadAvailable(request, buffer, wanted, got);
    if (!EndBlocking(request)) {
        got = 0;
        return false;
    }
    return ok;
}

void StoppableTransport::Close(HttpHandle handle) {
    std::lock_guard<std::mutex> lock(stop_.mutex_);
    if (stop_.closedByStop_.erase(handle) == 0) http_.Close(handle);
}

LocalFileHandle StoppableLocalFiles::OpenTruncate(const std::string& path) {
    LocalFileHandle file = 0;
    stop_.Run([&] { file = files_.OpenTruncate(path); });
    return file;
}

LocalFileHandle StoppableLocalFiles::OpenKeep(const std::string& path) {
    LocalFileHandle file = 0;
    stop_.Run([&] { file = files_.OpenKeep(path); });
    return file;
}

bool StoppableLocalFiles::Write(LocalFileHandle file, const void* data, std::uint32_t size) {
    bool written = false;
    stop_.Run([&] { written = files_.Write(file, data, size); });
    return written;
}

void StoppableMessages::ShowMessage(const std::string& text, const std::string& caption) {
    if (!stop_.Requested()) messages_.ShowMessage(text, caption);
}

void StoppableDisplay::SetProgressText(const std::string& text) {
    stop_.Run([&] { display_.SetProgressText(text); });
}

void StoppableDisplay::SetProgressPosition(int position) {
    stop_.Run([&] { display_.SetProgressPosition(position); });
}

void StoppableDisplay::SetBarText(int textStyle, const std::string& text) {
    stop_.Run([&] { display_.SetBarText(textStyle, text); });
}
