#include <gtest/gtest.h>

#include <algorithm>

#include "app/Config.h"
#include "app/EventBindings.h"
#include "fakes/FakeApp.h"
#include "update/DatabaseUpdate.h"
#include "update/WorkerStop.h"

namespace {

const std::string kInfoUrl = UpdateBase() + "info.txt";
const std::string kProbeUrl = UpdateBase() + "em000_32.dat";
const std::string kServerText = "27830 (20230905)";
const std::string kLocalText = "27790 (20230828)";

std::string ModuleUrl(int i) { return UpdateBase() + kModuleFiles[i - 1]; }

// The program with fakes: a server with a newer database, a run folder with an older one.
struct UpdateRig {
    FakeApp app;
    UpdateRig() {
        app.http.responses[kInfoUrl].body = kServerText;
        for (int i = 1; i <= kModuleCount; ++i) app.http.responses[ModuleUrl(i)].body = std::string("module ") + kModuleFiles[i - 1];
        app.files.AddFile("data\\info.txt", kLocalText);
    }
    void Start() {
        app.window.selected = {Choice::UpdateDatabase};
        DatabaseUpdateAction(app.ctx);
    }
    void Stop() {
        app.window.selected = {Choice::StopUpdate};
        DatabaseUpdateAction(app.ctx);
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const auto& m : app.messages.shown) out.push_back(m.text + " | " + m.caption);
        return out;
    }
    int Opens(const std::string& url) const {
        return static_cast<int>(std::count_if(app.http.opens.begin(), app.http.opens.end(),
                                              [&](const auto& o) { return o.url == url; }));
    }
};

struct DatabaseUpdate : ::testing::Test, UpdateRig {};

}  // namespace

TEST_F(DatabaseUpdate, NeitherRadioButtonDoesNothing) {
    DatabaseUpdateAction(app.ctx);
    EXPECT_TRUE(app.journal.entries.empty());
}

TEST_F(DatabaseUpdate, StartPathRunsItsStepsInOrder) {
    app.workerThread.runAtStart = false;
    Start();
    const std::vector<std::string> expected = {
        "open url " + kInfoUrl,
        "read file data\\info.txt",
        "field 2=" + kLocalText,
        "field 3=" + kServerText,
        "message 数据库不是最新，需要下载最新版本！",
        "make folder data\\temp",
        "bar attach",
        "head " + kProbeUrl,
        "write file data\\temp\\info.txt",
        "bar style 4",
        "bar text 1 共 9 个文件需更新！ ",
        "start worker",
    };
    EXPECT_EQ(app.journal.entries, expected);
    EXPECT_EQ(app.messages.shown[0].caption, "数据库更新");
    EXPECT_EQ(app.clock.sleeps, std::vector<std::uint32_t>{100});
    EXPECT_EQ(app.files.FileData("data\\temp\\info.txt"), kServerText);

    const UpdateState& s = app.updateState;
    EXPECT_EQ(s.fileCount, 9);
    EXPECT_EQ(s.updateBase, UpdateBase());
    for (int i = 1; i <= kModuleCount; ++i) {
        EXPECT_EQ(s.sourceUrls[static_cast<size_t>(i - 1)], ModuleUrl(i));
        EXPECT_EQ(s.targetPaths[static_cast<size_t>(i - 1)], std::string("C:\\run\\data\\temp\\") + kModuleFiles[i - 1]);
    }
    EXPECT_EQ(s.sourceUrls[8], UpdateBase() + "em002_32.dat");  // em002 comes last
}

TEST_F(DatabaseUpdate, EqualVersionsChangeOnlyTheTwoFields) {
    app.files.AddFile("data\\info.txt", kServerText);
    Start();
    const std::vector<std::string> expected = {
        "open url " + kInfoUrl, "read file data\\info.txt", "field 2=" + kServerText, "field 3=" + kServerText,
        "message 数据库已是最新，无需下载！"};
    EXPECT_EQ(app.journal.entries, expected);
    EXPECT_EQ(app.messages.shown[0].caption, "数据库更新");
    EXPECT_FALSE(app.files.HasFolder("data\\temp"));
}

TEST_F(DatabaseUpdate, VersionsAreComparedAsWholeByteStrings) {
    struct Case { const char* name; bool localFile; std::string local, server; bool serverUp; bool updates; } cases[] = {
        {"trailing CR LF differs", true, kServerText, kServerText + "\r\n", true, true},
        {"no local file", false, "", kServerText, true, true},
        {"text after a zero byte is not compared", true, kServerText + std::string("\0old", 4),
         kServerText + std::string("\0new", 4), true, false},
        {"server down, local present", true, kLocalText, "", false, true},
        {"server down, no local file", false, "", "", false, false},
    };
    for (const auto& c : cases) {
        UpdateRig r;
        r.app.workerThread.runAtStart = false;
        if (c.localFile) r.app.files.AddFile("data\\info.txt", c.local); else r.app.files.RemoveFile("data\\info.txt");
        if (c.serverUp) r.app.http.responses[kInfoUrl].body = c.server; else r.app.http.responses.clear();
        r.Start();
        ASSERT_FALSE(r.app.messages.shown.empty()) << c.name;
        EXPECT_EQ(r.app.messages.shown[0].text, c.updates ? "数据库不是最新，需要下载最新版本！" : "数据库已是最新，无需下载！")
            << c.name;
    }
}

TEST_F(DatabaseUpdate, FailedProbeStartsNoWorker) {
    for (long status : {404L, 0L, 500L, 201L}) {
        UpdateRig r;
        r.app.probe.statuses[kProbeUrl] = status;
        r.Start();
        EXPECT_EQ(r.Shown(), (std::vector<std::string>{"数据库不是最新，需要下载最新版本！ | 数据库更新",
                                                       "网络繁忙，请稍候更新！ | 信息："}))
            << status;
        EXPECT_EQ(r.app.workerThread.starts, 0) << status;
        EXPECT_TRUE(r.app.bar.bound) << status;  // the bar was skinned before the probe
        EXPECT_EQ(r.app.updateState.sourceUrls[0], "") << status;
        EXPECT_FALSE(r.app.files.HasFile("data\\temp\\info.txt")) << status;
    }
}

TEST_F(DatabaseUpdate, ServerDownTellsOutdatedThenBusy) {
    app.http.responses.clear();
    app.probe.statuses[kProbeUrl] = 0;
    Start();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"数据库不是最新，需要下载最新版本！ | 数据库更新",
                                                 "网络繁忙，请稍候更新！ | 信息："}));
}

TEST(ProbeUrl, TrueOnlyFor200) {
    FakeHeadProbe probe;
    probe.statuses = {{"a", 200}, {"b", 404}, {"c", 0}, {"d", 206}, {"e", 2000}};
    EXPECT_TRUE(ProbeUrl(probe, "a"));
    for (const char* url : {"b", "c", "d", "e"}) EXPECT_FALSE(ProbeUrl(probe, url)) << url;
}

TEST_F(DatabaseUpdate, TargetPathsAreAbsoluteInTheRunFolder) {
    app.program.runDirectory = "D:\\程序\\Korvane Scan";
    app.workerThread.runAtStart = false;
    Start();
    EXPECT_EQ(app.updateState.targetPaths[6], "D:\\程序\\Korvane Scan\\data\\temp\\ecls.exe");
}

TEST_F(DatabaseUpdate, FullUpdateThroughTheWorkerThenTheNextStartFindsItCurrent) {
    Start();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"数据库不是最新，需要下载最新版本！ | 数据库更新",
                                                 "数据已成功更新！ | 信息："}));
    EXPECT_EQ(app.files.FileData("data\\info.txt"), kServerText);
    EXPECT_EQ(app.files.FileData("data\\ecls.exe"), "module ecls.exe");
    EXPECT_EQ(app.display.changes.back().text, "数据库已更新完成：");

    app.messages.shown.clear();
    Start();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"数据库已是最新，无需下载！ | 数据库更新"}));
    EXPECT_EQ(app.workerThread.starts, 1);
}

TEST_F(DatabaseUpdate, StopBeforeAnyStartShowsNothing) {
    Stop();
    EXPECT_TRUE(app.bar.texts.empty());
    EXPECT_EQ(app.workerThread.waits, 0);
}

TEST_F(DatabaseUpdate, StopAfterAFailedProbeShowsTheStopText) {
    app.probe.statuses[kProbeUrl] = 404;
    Start();
    Stop();
    ASSERT_FALSE(app.bar.texts.empty());
    EXPECT_EQ(app.bar.texts.back(), (std::pair<int, std::string>{1, "数据库更新已被用户停止，请重新启动更新！"}));
}

TEST_F(DatabaseUpdate, StopAfterTheWorkerFinishedReplacesTheFinalText) {
    Start();
    Stop();
    EXPECT_EQ(app.bar.texts.back(), (std::pair<int, std::string>{1, "数据库更新已被用户停止，请重新启动更新！"}));
}

// The stop of a running worker: the worker leaves at its next step without any
// change, the boxes of its thread are closed, the queued window changes are shown first.
TEST_F(DatabaseUpdate, StopEndsTheRunningWorkerBeforeTheStopText) {
    app.workerThread.runAtStart = false;
    Start();
    const size_t before = app.journal.entries.size();
    Stop();
    EXPECT_TRUE(app.updateState.workerStop->Requested());
    EXPECT_FALSE(app.workerThread.running);
    EXPECT_GE(app.workerThread.dismissCalls, 1);
    EXPECT_EQ(app.display.showPendingCalls, 1);
    // The worker body ran after the stop and changed nothing.
    const std::vector<std::string> after(app.journal.entries.begin() + static_cast<long>(before), app.journal.entries.end());
    EXPECT_EQ(after, std::vector<std::string>{"bar text 1 数据库更新已被用户停止，请重新启动更新！"});
    EXPECT_TRUE(app.display.changes.empty());
}

TEST_F(DatabaseUpdate, StopOfAWorkerThatDoesNotEndReturnsAfterItsBoundedWait) {
    app.workerThread.runAtStart = false;
    app.workerThread.stuck = true;
    Start();
    Stop();
    EXPECT_EQ(app.workerThread.waits, static_cast<int>(kStopWaitMs / 20 + 1));
    EXPECT_EQ(app.workerThread.dismissCalls, app.workerThread.waits);

    // Waits that take longer than asked (a busy machine) end it by the clock.
    UpdateRig slow;
    slow.app.workerThread.runAtStart = false;
    slow.app.workerThread.stuck = true;
    slow.Start();
    slow.app.clock.stepPerCall = 300;
    slow.Stop();
    EXPECT_EQ(slow.app.workerThread.waits, 3);
    // When the blocked worker finally goes on, it changes nothing.
    const size_t before = app.journal.entries.size();
    app.workerThread.RunPending();
    EXPECT_EQ(app.journal.entries.size(), before);
    EXPECT_TRUE(app.display.changes.empty());
}

TEST_F(DatabaseUpdate, StopDuringADownloadThenARestartFetchesAllNineAgain) {
    // The user stops while module 3 is being read.
    bool stopped = false;
    app.http.beforeRead = [&](HttpHandle) {
        if (!stopped && Opens(ModuleUrl(3)) == 1) {
            stopped = true;
            Stop();
        }
    };
    Start();
    ASSERT_TRUE(stopped);
    EXPECT_EQ(app.files.FileData("data\\info.txt"), kLocalText);
    EXPECT_EQ(app.bar.texts.back(), (std::pair<int, std::string>{1, "数据库更新已被用户停止，请重新启动更新！"}));
    EXPECT_EQ(Opens(ModuleUrl(4)), 0);

    app.http.opens.clear();
    app.messages.shown.clear();
    Start();
    std::vector<std::string> urls;
    for (const auto& o : app.http.opens) urls.push_back(o.url);
    std::vector<std::string> expected = {kInfoUrl};
    for (int i = 1; i <= kModuleCount; ++i) expected.push_back(ModuleUrl(i));
    EXPECT_EQ(urls, expected);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"数据库不是最新，需要下载最新版本！ | 数据库更新",
                                                 "数据已成功更新！ | 信息："}));
    EXPECT_EQ(app.files.FileData("data\\info.txt"), kServerText);
}

// A start while a worker runs stops that worker first: never two workers.
TEST_F(DatabaseUpdate, StartWhileAWorkerRunsStopsItFirst) {
    app.workerThread.runAtStart = false;
    Start();
    auto first = app.updateState.workerStop;
    ASSERT_TRUE(app.workerThread.running);
    app.workerThread.runAtStart = true;
    Start();
    EXPECT_TRUE(first->Requested());
    EXPECT_NE(app.updateState.workerStop, first);
    EXPECT_FALSE(app.updateState.workerStop->Requested());
    EXPECT_EQ(app.workerThread.starts, 2);
    // Only the second worker fetched: each module once.
    for (int i = 1; i <= kModuleCount; ++i) EXPECT_EQ(Opens(ModuleUrl(i)), 1) << i;
    EXPECT_EQ(app.files.FileData("data\\info.txt"), kServerText);
}

TEST_F(DatabaseUpdate, WindowDestructionStopsTheWorkerWithoutAText) {
    app.workerThread.runAtStart = false;
    Start();
    const size_t textsBefore = app.bar.texts.size();
    HandleMainWindowDestroying(app.ctx);
    EXPECT_TRUE(app.updateState.workerStop->Requested());
    EXPECT_FALSE(app.workerThread.running);
    EXPECT_EQ(app.bar.texts.size(), textsBefore);
}
