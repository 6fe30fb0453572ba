#pragma once
#include <atomic>
#include <mutex>
#include <set>
#include <string>

#include "platform/HttpTransport.h"
#include "platform/LocalFile.h"
#include "platform/Messages.h"
#include "platform/WorkerDisplay.h"

// The stop of one update worker. The worker makes every change (file, window
// text, message) through it; the GUI thread's Stop makes sure that none follows.
// It never ends the thread by force: the worker leaves at its next step, and a
// read it is blocked in has its request handle closed to cut it short (where
// the system cuts reads that way; otherwise the read ends when data comes or
// at the transport's time-out, and whatever it brought is dropped).
class WorkerStop {
public:
    explicit WorkerStop(HttpTransport& http) : http_(http) {}
    WorkerStop(const WorkerStop&) = delete;
    WorkerStop& operator=(const WorkerStop&) = delete;

    bool Requested() const { return stopped_.load(); }

    // Worker thread: makes one change unless a stop was requested. A stop that
    // comes meanwhile waits until the change is complete. True when it was made.
    template <typename Change>
    bool Run(Change&& change) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopped_) return false;
        change();
        return true;
    }

    // GUI thread. Once it returns, Run makes no change any more and the transport
    // call the worker is blocked in (if any) has had its handle closed.
    void Stop();

private:
    friend class StoppableTransport;
    HttpTransport& http_;
    std::mutex mutex_;
    std::atomic<bool> stopped_{false};
    HttpHandle blockedOn_ = 0;          // the request of a read under way
    std::set<HttpHandle> closedByStop_;  // closed by Stop: the worker must not close them again
};

// The worker's transport: every call after a stop fails without reaching the
// network, and a blocking read can be cut by Stop.
class StoppableTransport final : public HttpTransport {
public:
    StoppableTransport(HttpTransport& http, WorkerStop& stop) : http_(http), stop_(stop) {}
    bool ConnectedThroughProxy() override { return http_.ConnectedThroughProxy(); }
    HttpHandle OpenRoot(const std::string& agent, ProxyMode mode) override;
    HttpHandle OpenUrl(HttpHandle root, const std::string& url, const std::string& headers,
                       std::uint32_t flags) override;
    bool QueryStatus(HttpHandle request, std::uint32_t& status) override;
    bool QueryContentLength(HttpHandle request, std::uint64_t& length) override;
    bool Read(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override;
    bool ReadAvailable(HttpHandle request, void* buffer, std::uint32_t wanted, std::uint32_t& got) override;
    bool HasHeaders(HttpHandle request) override;
    void Close(HttpHandle handle) override;

private:
    // Marks `handle` as blocked on, or returns false when stopped.
    bool BeginBlocking(HttpHandle handle);
    // Ends the blocking call; false when Stop closed the handle meanwhile.
    bool EndBlocking(HttpHandle handle);
    HttpTransport& http_;
    WorkerStop& stop_;
};

// The worker's local files: opening (which may cut a file) and writing are
// changes; a closed file is always released.
class StoppableLocalFiles final : public LocalFiles {
public:
    StoppableLocalFiles(LocalFiles& files, WorkerStop& stop) : files_(files), stop_(stop) {}
    bool Exists(const std::string& path) override { return files_.Exists(path); }
    LocalFileHandle OpenTruncate(const std::string& path) override;
    LocalFileHandle OpenKeep(const std::string& path) override;
    bool SeekEnd(LocalFileHandle file) override { return files_.SeekEnd(file); }
    bool Write(LocalFileHandle file, const void* data, std::uint32_t size) override;
    void Close(LocalFileHandle file) override { files_.Close(file); }

private:
    LocalFiles& files_;
    WorkerStop& stop_;
};

// The worker's message boxes: none is opened after a stop. (A box opened just
// before it is closed by the stopping thread, see StopUpdateWorker.)
class StoppableMessages final : public Messages {
public:
    StoppableMessages(Messages& messages, WorkerStop& stop) : messages_(messages), stop_(stop) {}
    void ShowMessage(const std::string& text, const std::string& caption) override;

private:
    Messages& messages_;
    WorkerStop& stop_;
};

// The worker's window changes: none is handed to the GUI after a stop.
class StoppableDisplay final : public WorkerDisplay {
public:
    StoppableDisplay(WorkerDisplay& display, WorkerStop& stop) : display_(display), stop_(stop) {}
    void SetProgressText(const std::string& text) override;
    void SetProgressPosition(int position) override;
    void SetBarText(int textStyle, const std::string& text) override;
    void ShowPending() override {}

private:
    WorkerDisplay& display_;
    WorkerStop& stop_;
};
