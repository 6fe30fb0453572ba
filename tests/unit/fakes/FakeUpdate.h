#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FakeFileSystem.h"
#include "fakes/Journal.h"
#include "platform/HeadProbe.h"
#include "platform/LocalFile.h"
#include "platform/SkinnedProgressBar.h"
#include "platform/WorkerDisplay.h"
#include "platform/WorkerThread.h"

// The downloader's six file operations over the in-memory file system, so that
// downloads, moves and installs see the same files.
struct FakeLocalFiles : LocalFiles {
    FakeFileSystem& fs;
    std::set<std::string> failOpen;  // paths (as given) that cannot be opened
    bool failWrites = false;
    Journal* journal = nullptr;
    std::vector<std::uint32_t> writeSizes;
    struct OpenFile { std::string key; std::size_t position; };
    std::map<LocalFileHandle, OpenFile> openFiles;
    int opens = 0, closes = 0;

    explicit FakeLocalFiles(FakeFileSystem& f) : fs(f) {}

    bool Exists(const std::string& path) override { return fs.Exists(path); }
    LocalFileHandle OpenTruncate(const std::string& path) override { return Open(path, true); }
    LocalFileHandle OpenKeep(const std::string& path) override { return Open(path, false); }
    bool SeekEnd(LocalFileHandle file) override {
        auto it = openFiles.find(file);
        if (it == openFiles.end()) return false;
        it->second.position = fs.files[it->second.key].size();
        return true;
    }
    bool Write(LocalFileHandle file, const void* data, std::uint32_t size) override {
        auto it = openFiles.find(file);
        if (it == openFiles.end() || failWrites) return false;
        writeSizes.push_back(size);
        Bytes& content = fs.files[it->second.key];
        const std::size_t end = it->second.position + size;
        if (content.size() < end) content.resize(end, '\0');
        std::memcpy(content.data() + it->second.position, data, size);
        it->second.position = end;
        return true;
    }
    void Close(LocalFileHandle file) override {
        if (openFiles.erase(file) == 1) ++closes;
        if (journal) journal->Add("close local file");
    }
    bool AllClosed() const { return openFiles.empty() && opens == closes; }

private:
    LocalFileHandle Open(const std::string& path, bool truncate) {
        if (journal) journal->Add(std::string(truncate ? "open truncate " : "open keep ") + path);
        const std::string key = fs.Normalize(path);
        if (failOpen.count(path) || fs.folders.count(key) || !fs.FolderExists(FakeFileSystem::Parent(key))) return 0;
        if (truncate || !fs.files.count(key)) fs.files[key].clear();
        const LocalFileHandle h = next_++;
        openFiles[h] = {key, 0};
        ++opens;
        return h;
    }
    LocalFileHandle next_ = 0x500;
};

// A worker thread run in the test's own thread: at once, or when the test (or a
// stop) lets it.
struct FakeWorkerThread : WorkerThread {
    bool runAtStart = true;   // false: the body waits for RunPending or a stop
    bool stuck = false;       // a body that never ends in time (blocked in a read)
    std::function<void()> body;
    bool running = false;
    int starts = 0, dismissCalls = 0, waits = 0;
    Journal* journal = nullptr;

    bool Start(std::function<void()> b) override {
        ++starts;
        if (journal) journal->Add("start worker");
        if (runAtStart) {
            b();
        } else {
            body = std::move(b);
            running = true;
        }
        return true;
    }
    bool Running() override { return running; }
    bool WaitEnded(std::uint32_t) override {
        ++waits;
        if (!running) return true;
        if (stuck) return false;
        RunPending();
        return true;
    }
    void DismissMessageBoxes() override { ++dismissCalls; }
    void RunPending() {
        auto b = std::move(body);
        body = nullptr;
        running = false;
        if (b) b();
    }
};

// Records the worker's window changes in order.
struct FakeWorkerDisplay : WorkerDisplay {
    struct Change {
        enum Kind { Label, Position, BarText } kind;
        int number;  // position, or text style
        std::string text;
    };
    std::vector<Change> changes;
    int showPendingCalls = 0;
    Journal* journal = nullptr;

    void SetProgressText(const std::string& text) override {
        changes.push_back({Change::Label, 0, text});
        if (journal) journal->Add("label " + text);
    }
    void SetProgressPosition(int position) override {
        changes.push_back({Change::Position, position, ""});
        if (journal) journal->Add("position " + std::to_string(position));
    }
    void SetBarText(int textStyle, const std::string& text) override {
        changes.push_back({Change::BarText, textStyle, text});
        if (journal) journal->Add("worker bar text " + std::to_string(textStyle) + " " + text);
    }
    void ShowPending() override { ++showPendingCalls; }

    std::vector<Change> Of(Change::Kind kind) const {
        std::vector<Change> out;
        for (const Change& c : changes) if (c.kind == kind) out.push_back(c);
        return out;
    }
};

struct FakeHeadProbe : HeadProbe {
    std::map<std::string, long> statuses;  // missing: 200
    std::vector<std::string> probed;
    Journal* journal = nullptr;
    long HeadStatus(const std::string& url) override {
        probed.push_back(url);
        if (journal) journal->Add("head " + url);
        auto it = statuses.find(url);
        return it == statuses.end() ? 200 : it->second;
    }
};

struct FakeSkinnedBar : SkinnedProgressBar {
    bool bound = false;
    int attachCalls = 0;
    std::vector<int> colorStyles;
    std::vector<std::pair<int, std::string>> texts;  // shown while bound
    Journal* journal = nullptr;

    bool Attach() override {
        ++attachCalls;
        if (journal) journal->Add("bar attach");
        if (bound) return false;
        bound = true;
        return true;
    }
    void SetColorStyle(int style) override {
        colorStyles.push_back(style);
        if (journal) journal->Add("bar style " + std::to_string(style));
    }
    void SetText(int textStyle, const std::string& text) override {
        if (journal) journal->Add("bar text " + std::to_string(textStyle) + " " + text);
        if (bound) texts.emplace_back(textStyle, text);
    }
};
