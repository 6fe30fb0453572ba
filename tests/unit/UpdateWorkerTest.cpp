#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/Config.h"
#include "fakes/FakeApp.h"
#include "update/DownloadToFile.h"
#include "update/Install.h"
#include "update/UpdateWorker.h"
#include "update/WorkerStop.h"

namespace {

const std::string kCache = "C:\\run\\data\\temp\\";

std::string Url(int i) { return UpdateBase() + kModuleFiles[i - 1]; }
std::string Target(int i) { return kCache + kModuleFiles[i - 1]; }
std::string NewBytes(int i) { return std::string("new ") + kModuleFiles[i - 1] + std::string(100 + 37 * i, 'n'); }
std::string OldBytes(const std::string& name) { return "old " + name; }

// The engine folder as the run folder holds it before an update.
const std::vector<std::string> kEngineFiles = {"em000_32.dat", "em001_32.dat", "em002_32.dat", "em003_32.dat",
                                               "em004_32.dat", "em005_32.dat", "em006_32.dat", "ecls.exe",
                                               "eclsLang.dll", "info.txt"};

// A worker with fakes: a server holding the nine new modules, an engine folder
// with the old ones, the server's version text in the update cache.
struct WorkerRig {
    FakeApp app;
    WorkerStop stop{app.http};
    UpdateJob job;
    WorkerServices sys{app.http, app.localFiles, app.files, app.messages, app.clock, app.display};

    WorkerRig() {
        job.fileCount = kModuleCount;
        for (int i = 1; i <= kModuleCount; ++i) {
            job.sourceUrls[static_cast<size_t>(i - 1)] = Url(i);
            job.targetPaths[static_cast<size_t>(i - 1)] = Target(i);
            app.http.responses[Url(i)].body = NewBytes(i);
        }
        for (const auto& name : kEngineFiles) app.files.AddFile("data\\" + name, OldBytes(name));
        app.files.AddFile("data\\temp\\info.txt", "27830 new");
    }
    void RunWorker() { UpdateWorker(sys, stop, job); }

    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const auto& m : app.messages.shown) out.push_back(m.text);
        return out;
    }
    std::vector<std::string> OpenedUrls() const {
        std::vector<std::string> out;
        for (const auto& o : app.http.opens) out.push_back(o.url);
        return out;
    }
    std::vector<std::string> Entries(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : app.journal.entries) if (e.rfind(prefix, 0) == 0) out.push_back(e);
        return out;
    }
    bool EngineUntouched() const {
        for (const auto& name : kEngineFiles) {
            if (app.files.FileData("data\\" + name) != OldBytes(name)) return false;
        }
        return true;
    }
    std::pair<int, std::string> LastBarText() const {
        auto texts = app.display.Of(FakeWorkerDisplay::Change::BarText);
        return texts.empty() ? std::pair<int, std::string>{0, ""}
                             : std::pair<int, std::string>{texts.back().number, texts.back().text};
    }
};

struct UpdateWorkerTest : ::testing::Test, WorkerRig {};

}  // namespace

TEST_F(UpdateWorkerTest, FullUpdateDownloadsInListOrderThenInstallsInInstallOrder) {
    RunWorker();
    std::vector<std::string> urls;
    for (int i = 1; i <= kModuleCount; ++i) urls.push_back(Url(i));
    EXPECT_EQ(OpenedUrls(), urls);

    // Each file: its bar text, then its download into the partial file, then the rename.
    std::vector<std::string> expected;
    for (int i = 1; i <= kModuleCount; ++i) {
        expected.push_back("worker bar text 5 正在更新第 " + std::to_string(i) + " 个文件， 当前已完成： ");
        expected.push_back("open url " + Url(i));
        expected.push_back("open truncate " + Target(i) + ".p2p");
        expected.push_back("rename " + Target(i) + ".p2p -> " + Target(i));
    }
    std::vector<std::string> perFile;
    for (const auto& e : app.journal.entries) {
        if (e.rfind("worker bar text 5 正在", 0) == 0 || e.rfind("open url", 0) == 0 ||
            e.rfind("open truncate", 0) == 0 || (e.rfind("rename ", 0) == 0 && e.find(".p2p") != std::string::npos)) {
            perFile.push_back(e);
        }
    }
    EXPECT_EQ(perFile, expected);

    // The ten moves into the engine folder, in the install order.
    std::vector<std::string> installs;
    for (const auto& e : app.journal.entries) {
        if (e.rfind("rename data\\temp\\", 0) == 0 && e.find("backup") == std::string::npos) installs.push_back(e);
    }
    std::vector<std::string> expectedInstalls;
    for (const InstallMove& m : kInstallList) expectedInstalls.push_back(std::string("rename ") + m.from + " -> " + m.to);
    EXPECT_EQ(installs, expectedInstalls);

    EXPECT_EQ(app.clock.sleeps, std::vector<std::uint32_t>{300});
    EXPECT_EQ(Shown(), std::vector<std::string>{"数据已成功更新！"});
    EXPECT_EQ(app.messages.shown[0].caption, "信息：");
    EXPECT_EQ(LastBarText(), (std::pair<int, std::string>{5, "数据库已更新完成："}));
    // The message comes before the final bar text.
    const auto& j = app.journal.entries;
    EXPECT_LT(std::find(j.begin(), j.end(), "message 数据已成功更新！"),
              std::find(j.begin(), j.end(), "worker bar text 5 数据库已更新完成："));
}

TEST_F(UpdateWorkerTest, FullUpdateLeavesNewEngineAndEmptyCache) {
    RunWorker();
    for (int i = 1; i <= kModuleCount; ++i) {
        EXPECT_EQ(app.files.FileData(std::string("data\\") + kModuleFiles[i - 1]), NewBytes(i)) << i;
        EXPECT_FALSE(app.files.HasFile(Target(i))) << i;
        EXPECT_FALSE(app.files.HasFile(Target(i) + ".p2p")) << i;
    }
    EXPECT_EQ(app.files.FileData("data\\info.txt"), "27830 new");
    EXPECT_FALSE(app.files.HasFile("data\\temp\\info.txt"));
    EXPECT_FALSE(app.files.HasFolder(kInstallBackupFolder));
    EXPECT_TRUE(app.localFiles.AllClosed());
    EXPECT_TRUE(app.http.AllClosed());
}

TEST_F(UpdateWorkerTest, DownloadedModuleIsNeverStartedAsAProgram) {
    RunWorker();
    EXPECT_TRUE(app.processes.started.empty());
    EXPECT_TRUE(Entries("start ").empty());
}

TEST_F(UpdateWorkerTest, ProgressShowsSizesAndPositionPerChunk) {
    app.http.responses[Url(1)].body = std::string(128, 'a');               // one chunk of 128 bytes
    app.http.responses[Url(2)].body = std::string(25000, 'b');             // three chunks
    app.http.responses[Url(3)].hasLength = false;                          // no size
    app.http.responses[Url(3)].body = std::string(12000, 'c');
    app.http.responses[Url(4)].body = "";                                  // empty: no progress
    RunWorker();
    using C = FakeWorkerDisplay::Change;
    std::vector<std::string> shown;
    for (const C& c : app.display.changes) {
        if (c.kind == C::Label) shown.push_back(c.text);
        if (c.kind == C::Position) shown.push_back("pos " + std::to_string(c.number));
        if (c.kind == C::BarText && c.text.rfind("正在", 0) == 0) shown.push_back("file " + c.text.substr(16, 1));
    }
    std::vector<std::string> expected = {
        "file 1", "  文件大小:0.13KB  已下载:0.13KB  ", "pos 10000",
        "file 2", "  文件大小:24.41KB  已下载:10KB  ", "pos 4096",
        "  文件大小:24.41KB  已下载:20KB  ", "pos 8192",
        "  文件大小:24.41KB  已下载:24.41KB  ", "pos 10000",
        "file 3", "  文件大小:0KB  已下载:10KB  ", "pos 0",
        "  文件大小:0KB  已下载:11.72KB  ", "pos 0",
        "file 4",  // empty body: the previous figures stay
        "file 5",
    };
    shown.resize(std::min(shown.size(), expected.size()));
    EXPECT_EQ(shown, expected);
}

// After a failed fetch nothing more is fetched and nothing installed: the engine
// folder and data\info.txt stay as they were, so the next update still finds a difference.
TEST_F(UpdateWorkerTest, FailedFetchInstallsNothing) {
    struct Case {
        const char* name;
        std::function<void(WorkerRig&)> arrange;
        std::vector<std::string> messages;
    } cases[] = {
        {"404 module", [](WorkerRig& r) { r.app.http.responses[Url(3)].status = 404; },
         {"不能打开该URL!", "数据库更新失败！"}},
        {"unreachable module", [](WorkerRig& r) { r.app.http.responses.erase(Url(3)); },
         {"不能打开该URL!", "数据库更新失败！"}},
        {"cut connection", [](WorkerRig& r) {
             auto& resp = r.app.http.responses[Url(3)];
             resp.lengthFromBody = false;
             resp.length = resp.body.size() + 500;
         }, {"读文件出错!", "数据库更新失败！"}},
        {"read error", [](WorkerRig& r) { r.app.http.responses[Url(3)].failAfterBytes = 10; },
         {"读文件出错!", "数据库更新失败！"}},
        {"partial file cannot be opened", [](WorkerRig& r) { r.app.localFiles.failOpen.insert(Target(3) + ".p2p"); },
         {"不能打开本地的文件!", "数据库更新失败！"}},
        {"partial file cannot be renamed", [](WorkerRig& r) {
             r.app.files.failRename.insert(r.app.files.Normalize(Target(3)));
             r.app.files.failCopy.insert(r.app.files.Normalize(Target(3)));
         }, {"数据库更新失败！"}},
    };
    for (const auto& c : cases) {
        WorkerRig r;
        // A copy of module 5 left in the cache by an earlier update must not be installed either.
        r.app.files.AddFile(Target(5), "stale copy");
        c.arrange(r);
        r.RunWorker();
        EXPECT_EQ(r.Shown(), c.messages) << c.name;
        EXPECT_EQ(r.OpenedUrls(), (std::vector<std::string>{Url(1), Url(2), Url(3)})) << c.name;
        EXPECT_TRUE(r.EngineUntouched()) << c.name;
        EXPECT_EQ(r.LastBarText(), (std::pair<int, std::string>{1, "数据库更新失败，请重新启动更新！"})) << c.name;
        EXPECT_TRUE(r.app.clock.sleeps.empty()) << c.name;
        EXPECT_TRUE(r.app.http.AllClosed()) << c.name;
        EXPECT_TRUE(r.app.localFiles.AllClosed()) << c.name;
    }
}

// Any of the ten moves failing puts back what was replaced and keeps the update cache.
TEST_F(UpdateWorkerTest, FailedMoveRollsBackTheWholeInstall) {
    struct Case { std::string name; std::function<void(WorkerRig&)> arrange; } cases[] = {
        {"version copy missing", [](WorkerRig& r) { r.app.files.RemoveFile("data\\temp\\info.txt"); }},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // An engine file held open by another program (a running scan): it can be
    // read, so it is backed up, but not replaced.
    for (const InstallMove& move : kInstallList) {
        if (std::string(move.to) == "data\\info.txt") continue;
        const std::string to = move.to;
        all.push_back({to + " locked", [to](WorkerRig& r) { r.app.files.locked.insert(r.app.files.Normalize(to)); }});
    }
    for (const auto& c : all) {
        WorkerRig r;
        const bool versionCopy = r.app.files.HasFile("data\\temp\\info.txt");
        c.arrange(r);
        const bool versionCopyThere = r.app.files.HasFile("data\\temp\\info.txt");
        r.RunWorker();
        EXPECT_EQ(r.Shown(), std::vector<std::string>{"数据库更新失败！"}) << c.name;
        EXPECT_EQ(r.LastBarText(), (std::pair<int, std::string>{1, "数据库更新失败，请重新启动更新！"})) << c.name;
        EXPECT_TRUE(r.EngineUntouched()) << c.name;
        // The update cache keeps the downloaded files and the version copy.
        for (int i = 1; i <= kModuleCount; ++i) EXPECT_EQ(r.app.files.FileData(Target(i)), NewBytes(i)) << c.name << i;
        EXPECT_EQ(r.app.files.HasFile("data\\temp\\info.txt"), versionCopy && versionCopyThere) << c.name;
    }
}

TEST_F(UpdateWorkerTest, RollbackRemovesFilesTheEngineDidNotHave) {
    app.files.RemoveFile("data\\em006_32.dat");  // a module new to this engine folder
    const std::string target = app.files.Normalize("data\\em002_32.dat");
    app.files.failRename.insert(target);
    app.files.failCopy.insert(target);
    RunWorker();
    EXPECT_FALSE(app.files.HasFile("data\\em006_32.dat"));
    EXPECT_EQ(app.files.FileData(Target(6)), NewBytes(6));
}

TEST_F(UpdateWorkerTest, EngineFileHeldOpenIsBackedUpByCopyAndReplaced) {
    // Renaming the engine's em001 fails (held without delete sharing); copying works.
    app.files.failRename.insert(app.files.Normalize(std::string(kInstallBackupFolder) + "\\em001_32.dat"));
    RunWorker();
    EXPECT_EQ(Shown(), std::vector<std::string>{"数据已成功更新！"});
    EXPECT_EQ(app.files.FileData("data\\em001_32.dat"), NewBytes(2));
}

TEST_F(UpdateWorkerTest, StaleBackupFromAnEarlierInstallDoesNotStopTheInstall) {
    app.files.AddFile(std::string(kInstallBackupFolder) + "\\ecls.exe", "left over");
    RunWorker();
    EXPECT_EQ(Shown(), std::vector<std::string>{"数据已成功更新！"});
    EXPECT_FALSE(app.files.HasFolder(kInstallBackupFolder));
}

TEST(MoveReplacing, RenamesElseCopiesOverAndDeletes) {
    FakeFileSystem fs;
    fs.AddFile("C:\\a\\from", "new");
    fs.AddFile("C:\\a\\to", "old");
    EXPECT_TRUE(MoveReplacing(fs, "C:\\a\\from", "C:\\a\\to"));
    EXPECT_EQ(fs.FileData("C:\\a\\to"), "new");
    EXPECT_FALSE(fs.HasFile("C:\\a\\from"));

    // The delete may fail: the move still counts as done.
    fs.AddFile("C:\\a\\from", "newer");
    fs.undeletable.insert(fs.Normalize("C:\\a\\from"));
    EXPECT_TRUE(MoveReplacing(fs, "C:\\a\\from", "C:\\a\\to"));
    EXPECT_EQ(fs.FileData("C:\\a\\to"), "newer");

    EXPECT_FALSE(MoveReplacing(fs, "C:\\a\\missing", "C:\\a\\to"));
    EXPECT_EQ(fs.FileData("C:\\a\\to"), "newer");
}

// A stop that comes while the worker reads: from then on nothing changes.
TEST_F(UpdateWorkerTest, StopDuringAReadEndsTheWorkerWithoutAnyFurtherChange) {
    app.http.responses[Url(2)].body = std::string(30000, 'x');
    app.http.responses[Url(2)].readSizes = {10240, 10240};
    int reads = 0;
    size_t journalAtStop = 0, changesAtStop = 0;
    app.http.beforeRead = [&](HttpHandle) {
        if (++reads == 4) {  // module 1 takes two reads; this is the second read of module 2
            stop.Stop();
            journalAtStop = app.journal.entries.size();
            changesAtStop = app.display.changes.size();
        }
    };
    RunWorker();
    ASSERT_GT(journalAtStop, 0u);
    EXPECT_EQ(app.journal.entries.size(), journalAtStop + 1);  // only the partial file's release
    EXPECT_EQ(app.journal.entries.back(), "close local file");
    EXPECT_EQ(app.display.changes.size(), changesAtStop);
    EXPECT_TRUE(Shown().empty());
    // The partial file keeps what was written before the stop; nothing was installed.
    EXPECT_TRUE(app.files.FileData(Target(2) + ".p2p") == std::string(10240, 'x'));
    EXPECT_TRUE(EngineUntouched());
    // The request the worker was reading was closed by the stop, and by nobody else.
    EXPECT_TRUE(app.http.AllClosed());
}

TEST_F(UpdateWorkerTest, StopBeforeTheInstallInstallsNothing) {
    app.http.beforeRead = [&](HttpHandle) {
        if (app.http.opens.size() == 9) stop.Stop();
    };
    RunWorker();
    EXPECT_TRUE(EngineUntouched());
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(app.files.HasFile(Target(9)));
}

TEST(WorkerStopTest, AfterStopNoChangePassesAndCallsFail) {
    FakeFileSystem fs;
    fs.AddFolder("C:\\t");
    FakeLocalFiles files{fs};
    FakeHttpTransport http;
    http.responses["u"].body = "abc";
    FakeMessages messages;
    FakeWorkerDisplay display;
    WorkerStop stop{http};
    StoppableTransport t(http, stop);
    StoppableLocalFiles f(files, stop);
    StoppableMessages m(messages, stop);
    StoppableDisplay d(display, stop);

    const HttpHandle root = t.OpenRoot("a", ProxyMode::Preconfig);
    const HttpHandle request = t.OpenUrl(root, "u", "", 0);
    const LocalFileHandle file = f.OpenTruncate("C:\\t\\x");
    ASSERT_TRUE(root && request && file);
    EXPECT_FALSE(stop.Requested());
    stop.Stop();
    EXPECT_TRUE(stop.Requested());

    std::uint32_t status = 0, got = 0;
    std::uint64_t length = 0;
    char buffer[8];
    EXPECT_EQ(t.OpenRoot("a", ProxyMode::Preconfig), 0u);
    EXPECT_EQ(t.OpenUrl(root, "u", "", 0), 0u);
    EXPECT_FALSE(t.QueryStatus(request, status));
    EXPECT_FALSE(t.QueryContentLength(request, length));
    EXPECT_FALSE(t.ReadAvailable(request, buffer, 8, got));
    EXPECT_TRUE(http.readRequests.empty());
    EXPECT_EQ(f.OpenTruncate("C:\\t\\y"), 0u);
    EXPECT_EQ(f.OpenKeep("C:\\t\\x"), 0u);
    EXPECT_FALSE(f.Write(file, "abc", 3));
    m.ShowMessage("late", "信息：");
    d.SetProgressText("late");
    d.SetProgressPosition(5);
    d.SetBarText(1, "late");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(display.changes.empty());
    EXPECT_EQ(fs.FileData("C:\\t\\x"), "");
    EXPECT_FALSE(fs.HasFile("C:\\t\\y"));
    // What was opened is still released.
    f.Close(file);
    t.Close(request);
    t.Close(root);
    EXPECT_TRUE(files.AllClosed());
    EXPECT_TRUE(http.AllClosed());
}

namespace {

// A transport whose reads block like a network read. cutByClose: Close of the
// request ends a blocked read (as on Windows); otherwise the read only returns
// when its data comes (as under Wine), `lateDataAfter` later.
struct BlockingTransport : HttpTransport {
    bool cutByClose = true;
    std::chrono::milliseconds lateDataAfter{300};
    std::mutex mutex;
    std::condition_variable changed;
    bool reading = false, closedWhileReading = false;
    int reads = 0, closes = 0;
    std::vector<HttpHandle> closed;

    bool ConnectedThroughProxy() override { return false; }
    HttpHandle OpenRoot(const std::string&, ProxyMode) override { return 1; }
    HttpHandle OpenUrl(HttpHandle, const std::string&, const std::string&, std::uint32_t) override { return 2; }
    bool QueryStatus(HttpHandle, std::uint32_t& status) override { status = 200; return true; }
    bool QueryContentLength(HttpHandle, std::uint64_t& length) override { length = 100000; return true; }
    bool Read(HttpHandle, void* buffer, std::uint32_t wanted, std::uint32_t& got) override {
        std::unique_lock<std::mutex> lock(mutex);
        got = 0;
        if (++reads == 1) {  // the first chunk comes at once
            got = std::min<std::uint32_t>(wanted, 1000);
            std::memset(buffer, 'd', got);
            return true;
        }
        reading = true;
        changed.notify_all();
        if (cutByClose) {
            changed.wait_for(lock, std::chrono::seconds(5), [&] { return closedWhileReading; });
            reading = false;
            return false;
        }
        lock.unlock();
        std::this_thread::sleep_for(lateDataAfter);
        lock.lock();
        reading = false;
        got = std::min<std::uint32_t>(wanted, 1000);
        std::memset(buffer, 'L', got);
        return true;
    }
    void Close(HttpHandle handle) override {
        std::lock_guard<std::mutex> lock(mutex);
        ++closes;
        closed.push_back(handle);
        if (reading) closedWhileReading = true;
        changed.notify_all();
    }
    bool WaitReading() {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] { return reading; });
    }
};

}  // namespace

// On real threads: a stop while the worker is blocked in a read. Whether or not
// closing the handle cuts the read, nothing changes after Stop has returned.
TEST(UpdateWorkerThreads, StopWhileBlockedInAReadChangesNothingAfterwards) {
    for (bool cut : {true, false}) {
        FakeFileSystem fs;
        fs.AddFolder("C:\\run\\data\\temp");
        FakeLocalFiles files{fs};
        BlockingTransport http;
        http.cutByClose = cut;
        FakeMessages messages;
        FakeClock clock;
        FakeWorkerDisplay display;
        WorkerStop stop{http};
        WorkerServices sys{http, files, fs, messages, clock, display};
        UpdateJob job;
        job.fileCount = 1;
        job.sourceUrls[0] = "http://x/em000_32.dat";
        job.targetPaths[0] = "C:\\run\\data\\temp\\em000_32.dat";

        std::thread worker([&] { UpdateWorker(sys, stop, job); });
        ASSERT_TRUE(http.WaitReading());
        const size_t changesBefore = display.changes.size();
        const auto t0 = std::chrono::steady_clock::now();
        stop.Stop();
        const auto stopTook = std::chrono::steady_clock::now() - t0;
        worker.join();
        const auto ended = std::chrono::steady_clock::now() - t0;

        EXPECT_LT(stopTook, std::chrono::milliseconds(100)) << cut;
        if (cut) {
            EXPECT_LT(ended, std::chrono::milliseconds(1000));
        }
        EXPECT_EQ(display.changes.size(), changesBefore) << cut;
        EXPECT_TRUE(messages.shown.empty()) << cut;
        // The late data of the uncut read was not written.
        EXPECT_EQ(fs.FileData(job.targetPaths[0] + ".p2p"), std::string(1000, 'd')) << cut;
        EXPECT_TRUE(files.AllClosed()) << cut;
        // The request was closed once (by the stop), the root once (by the worker).
        std::vector<HttpHandle> closed = http.closed;
        std::sort(closed.begin(), closed.end());
        EXPECT_EQ(closed, (std::vector<HttpHandle>{1, 2})) << cut;
    }
}
