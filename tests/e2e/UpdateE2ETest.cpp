// The database update through the window of the real program: version
// comparison, probe, the nine downloads, the install, stop and restart, and the
// window closing while an update runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "Driver.h"
#include "UpdateHelpers.h"

using namespace e2e;

namespace {

const std::string kUpdatePath = "/eset/Update/";
const char* const kModules[9] = {"em000_32.dat", "em001_32.dat", "em003_32.dat", "em004_32.dat", "em005_32.dat",
                                 "em006_32.dat", "ecls.exe",     "eclsLang.dll", "em002_32.dat"};
const std::string kServerVersion = "27830 (20230905)";
const std::string kLocalVersion = "27790 (20230828)";  // sample/run/data/info.txt
const char* const kStoppedText = "数据库更新已被用户停止，请重新启动更新！";
const char* const kFailedText = "数据库更新失败，请重新启动更新！";

// Module i (0-based) as the server holds it: distinct bytes, zero bytes
// included; em001 spans several chunks.
std::string ModuleBody(int i) {
    const size_t size = i == 1 ? 60000 : 3000 + static_cast<size_t>(i) * 1111;
    std::string s(size, '\0');
    for (size_t k = 0; k < size; ++k) s[k] = static_cast<char>((k * (i + 3) + k / 97) & 0xFF);
    return s;
}

std::string ModulePath(int i) { return kUpdatePath + kModules[i]; }

using Clock = std::chrono::steady_clock;
long long MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// The requests the program made of the update server, as "METHOD path".
std::vector<std::string> Requests() {
    std::vector<std::string> out;
    for (const auto& r : server::Log()) {
        if (r.server == "update") out.push_back(r.method + " " + r.path);
    }
    return out;
}

struct UpdateE2E : ::testing::Test {
    UnmanagedWindows unmanaged;  // before the program starts
    App app;
    std::wstring run;

    void SetUp() override { server::Reset(); }

    // A run folder with the sample engine data, the server holding the nine
    // modules and a newer version text; the program started on the update page.
    void Open(const std::wstring& name) {
        run = MakeRunFolder(name);
        server::SetBody(kUpdatePath + "info.txt", kServerVersion);
        for (int i = 0; i < 9; ++i) server::SetBody(ModulePath(i), ModuleBody(i));
        ASSERT_TRUE(app.Launch(run));
        ASSERT_TRUE(app.WaitIdle());
        app.SelectPage(Page::Update);
    }
    void ClickStart() {
        app.Click("单选框6");
        app.Click("按钮9");
    }
    void ClickStop() {
        app.Click("单选框5");
        app.Click("按钮9");
    }
    // Starts an update and answers the "not current" box.
    void StartUpdate() {
        ClickStart();
        const MessageBoxInfo box = app.WaitMessageBox();
        ASSERT_EQ(box.text, "数据库不是最新，需要下载最新版本！");
        EXPECT_EQ(box.caption, "数据库更新");
        ASSERT_TRUE(app.PressOk(box));
    }
    // Waits for a box with this text and presses OK on it.
    void Answer(const std::string& text, Millis timeout = 30s) {
        const MessageBoxInfo box = app.WaitMessageBox(timeout);
        ASSERT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "信息：");
        ASSERT_TRUE(app.PressOk(box));
    }
    std::string BarText() const { return app.Text("进度条1"); }
    std::string Label() const { return app.Text("标签2"); }
    std::string Engine(const char* name) const { return ReadFileBytes(run + L"\\data\\" + W(name)); }
    std::string Partial(int i) const { return ReadFileBytes(run + L"\\data\\temp\\" + W(kModules[i]) + L".p2p"); }
    bool WaitBarText(const std::string& text, Millis timeout) {
        return WaitFor([&] { return BarText() == text; }, timeout);
    }
    // Waits until module i is being downloaded and some of it has arrived.
    bool WaitDownloading(int i, Millis timeout = 20s) {
        const std::string bar = "正在更新第 " + std::to_string(i + 1) + " 个文件， 当前已完成： ";
        return WaitFor([&] { return BarText().rfind(bar, 0) == 0 && Partial(i).size() > 0; }, timeout);
    }
    // Everything the program changes, to see that nothing changes any more.
    std::string Snapshot(int partial) const {
        return BarText() + "|" + Label() + "|" + std::to_string(app.ProgressPosition()) + "|" +
               std::to_string(Partial(partial).size()) + "|" + std::to_string(app.OpenMessageBoxes().size());
    }
};

}  // namespace

TEST_F(UpdateE2E, EqualVersionsOnlyShowTheTexts) {
    Open(L"update equal");
    server::SetBody(kUpdatePath + "info.txt", kLocalVersion);
    ClickStart();
    const MessageBoxInfo box = app.WaitMessageBox();
    EXPECT_EQ(box.text, "数据库已是最新，无需下载！");
    EXPECT_EQ(box.caption, "数据库更新");
    ASSERT_TRUE(app.PressOk(box));
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_EQ(app.Text("编辑框1"), kLocalVersion);
    EXPECT_EQ(app.Text("编辑框2"), kLocalVersion);
    EXPECT_FALSE(FolderExists(run + L"\\data\\temp"));
    EXPECT_EQ(BarText(), "");
    const auto requests = Requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "HEAD " + ModulePath(0)), 0);
}

TEST_F(UpdateE2E, FullUpdateInstallsAllNineFilesAndTheVersionText) {
    Open(L"update full");
    const std::string standinScanner = Engine("ecls.exe");
    StartUpdate();
    Answer("数据已成功更新！", 60s);
    EXPECT_TRUE(WaitBarText("数据库已更新完成：100%", 5s)) << BarText();
    server::Screenshot("update-full-done");

    for (int i = 0; i < 9; ++i) EXPECT_TRUE(Engine(kModules[i]) == ModuleBody(i)) << kModules[i];
    EXPECT_NE(Engine("ecls.exe"), standinScanner);
    EXPECT_EQ(Engine("info.txt"), kServerVersion);
    for (int i = 0; i < 9; ++i) {
        EXPECT_FALSE(FileExists(run + L"\\data\\temp\\" + W(kModules[i]))) << kModules[i];
        EXPECT_FALSE(FileExists(run + L"\\data\\temp\\" + W(kModules[i]) + L".p2p")) << kModules[i];
    }
    EXPECT_FALSE(FileExists(run + L"\\data\\temp\\info.txt"));
    EXPECT_FALSE(FolderExists(run + L"\\data\\temp\\backup"));
    EXPECT_EQ(app.ProgressPosition(), 10000);
    // The label keeps the last file's figures: em002, 3000 + 8 * 1111 = 11888 bytes.
    EXPECT_EQ(Label(), "  文件大小:11.61KB  已下载:11.61KB  ");
    EXPECT_EQ(app.Text("编辑框1"), kLocalVersion);
    EXPECT_EQ(app.Text("编辑框2"), kServerVersion);

    // The start-up fetch, then the comparison's fetch, the probe and the nine downloads in list order.
    std::vector<std::string> expected = {"GET " + kUpdatePath + "info.txt", "GET " + kUpdatePath + "info.txt",
                                         "HEAD " + ModulePath(0)};
    for (int i = 0; i < 9; ++i) expected.push_back("GET " + ModulePath(i));
    EXPECT_EQ(Requests(), expected);
    for (const auto& r : server::Log()) {
        if (r.method != "GET" || r.path.find(".dat") == std::string::npos) continue;
        EXPECT_EQ(r.Header("Accept"), "*/*") << r.path;
        EXPECT_EQ(r.Header("Accept-Language"), "zh-cn") << r.path;
        EXPECT_EQ(r.Header("Accept-Encoding"), "gzip, deflate") << r.path;
        EXPECT_EQ(r.Header("User-Agent"), "Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)")
            << r.path;
        EXPECT_EQ(r.Header("Pragma"), "no-cache") << r.path;
        EXPECT_FALSE(r.HasHeader("Range")) << r.path;
    }

    // The next start finds the database current.
    ClickStart();
    const MessageBoxInfo box = app.WaitMessageBox();
    EXPECT_EQ(box.text, "数据库已是最新，无需下载！");
    app.PressOk(box);
}

TEST_F(UpdateE2E, FailedProbeStartsNoDownload) {
    Open(L"update probe");
    server::Delete(ModulePath(0));
    StartUpdate();
    Answer("网络繁忙，请稍候更新！");
    ASSERT_TRUE(app.WaitIdle());
    const auto requests = Requests();
    EXPECT_EQ(requests.back(), "HEAD " + ModulePath(0));
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET " + ModulePath(0)), 0);
    EXPECT_TRUE(FolderExists(run + L"\\data\\temp"));
    EXPECT_FALSE(FileExists(run + L"\\data\\temp\\info.txt"));
    EXPECT_EQ(Engine("info.txt"), kLocalVersion);
    // The bar is skinned by now: a stop shows its text.
    ClickStop();
    EXPECT_TRUE(WaitBarText(kStoppedText, 5s)) << BarText();
}

// A module that fails to arrive: its message, then the failure; nothing more is
// fetched and the engine folder stays as it was.
TEST_F(UpdateE2E, FailedModuleInstallsNothing) {
    struct Case {
        const wchar_t* folder;
        const char* kind;  // nullptr: the module answers 404
        const char* params;
        const char* message;
    } cases[] = {
        {L"update 404", nullptr, "", "不能打开该URL!"},
        {L"update cut", "cut", "after=1000", "读文件出错!"},
        {L"update 2 GB announced", "length", "value=2147483648", "读文件出错!"},
        {L"update not HTTP", "garbage", "", "不能打开该URL!"},
    };
    for (const auto& c : cases) {
        server::Reset();
        Open(c.folder);
        const std::string scanner = Engine("ecls.exe");
        if (c.kind) server::Fault(ModulePath(2), c.kind, c.params); else server::Delete(ModulePath(2));
        StartUpdate();
        Answer(c.message);
        Answer("数据库更新失败！");
        EXPECT_TRUE(WaitBarText(kFailedText, 5s)) << BarText();
        const auto requests = Requests();
        EXPECT_EQ(requests.back(), "GET " + ModulePath(2)) << U8(c.folder);
        EXPECT_EQ(Engine("info.txt"), kLocalVersion) << U8(c.folder);
        EXPECT_EQ(Engine("ecls.exe"), scanner) << U8(c.folder);
        EXPECT_FALSE(FileExists(run + L"\\data\\em000_32.dat")) << U8(c.folder);
        app.Close();
        EXPECT_TRUE(app.WaitExit(5s));
        app.Kill();
    }
}

TEST_F(UpdateE2E, StopDuringASlowDownloadThenARestartCompletes) {
    Open(L"update stop restart");
    server::Fault(ModulePath(1), "slow", "chunk=2000&delay_ms=300");
    StartUpdate();
    ASSERT_TRUE(WaitDownloading(1)) << BarText();

    const auto clicked = Clock::now();
    ClickStop();
    ASSERT_TRUE(WaitBarText(kStoppedText, 3s)) << BarText();
    EXPECT_LT(MsSince(clicked), 1000);
    server::Screenshot("update-stopped");

    // From here on nothing changes: no text, no file, no message.
    const std::string before = Snapshot(1);
    Sleep(1500);
    EXPECT_EQ(Snapshot(1), before);
    EXPECT_EQ(server::Hits(ModulePath(2)), 0);
    EXPECT_EQ(Engine("info.txt"), kLocalVersion);

    server::Clear(ModulePath(1));
    const size_t requestsBefore = Requests().size();
    StartUpdate();
    Answer("数据已成功更新！", 60s);
    EXPECT_TRUE(WaitBarText("数据库已更新完成：100%", 5s)) << BarText();
    const auto requests = Requests();
    std::vector<std::string> restart(requests.begin() + static_cast<long>(requestsBefore), requests.end());
    std::vector<std::string> expected = {"GET " + kUpdatePath + "info.txt", "HEAD " + ModulePath(0)};
    for (int i = 0; i < 9; ++i) expected.push_back("GET " + ModulePath(i));
    EXPECT_EQ(restart, expected);
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(Engine(kModules[i]) == ModuleBody(i)) << kModules[i];
    EXPECT_EQ(Engine("info.txt"), kServerVersion);
}

// The server sends the next piece only after 4 s: the stop returns within a
// second all the same, and the worker, when the piece comes, writes nothing.
TEST_F(UpdateE2E, StopWhileTheServerHoldsBackTheNextPiece) {
    Open(L"update stop long read");
    server::Fault(ModulePath(1), "slow", "chunk=2000&delay_ms=4000");
    StartUpdate();
    ASSERT_TRUE(WaitDownloading(1)) << BarText();
    const auto clicked = Clock::now();
    ClickStop();
    ASSERT_TRUE(WaitBarText(kStoppedText, 3s)) << BarText();
    EXPECT_LT(MsSince(clicked), 1000);
    EXPECT_LT(app.Ping(), 500ms);
    const std::string before = Snapshot(1);
    Sleep(5000);  // the next piece has come meanwhile
    EXPECT_EQ(Snapshot(1), before);
    EXPECT_EQ(Partial(1).size(), 2000u);

    const auto closed = Clock::now();
    app.Close();
    EXPECT_TRUE(app.WaitExit(2s));
    EXPECT_LT(MsSince(closed), 2000);
}

TEST_F(UpdateE2E, StopClosesTheWorkersOpenMessage) {
    Open(L"update stop box");
    server::Delete(ModulePath(2));
    StartUpdate();
    const MessageBoxInfo box = app.WaitMessageBox(30s);
    ASSERT_EQ(box.text, "不能打开该URL!");
    ClickStop();
    EXPECT_TRUE(WaitBarText(kStoppedText, 3s)) << BarText();
    EXPECT_FALSE(IsWindow(box.hwnd));
    Sleep(1000);
    EXPECT_TRUE(app.OpenMessageBoxes().empty());  // no "数据库更新失败！" after the stop
    EXPECT_EQ(BarText(), kStoppedText);
}

TEST_F(UpdateE2E, EscDuringAnUpdateEndsTheProgram) {
    Open(L"update esc");
    server::Fault(ModulePath(1), "slow", "chunk=2000&delay_ms=4000");
    StartUpdate();
    ASSERT_TRUE(WaitDownloading(1)) << BarText();
    const auto pressed = Clock::now();
    app.PressEscape();
    EXPECT_TRUE(app.WaitExit(2s));
    EXPECT_LT(MsSince(pressed), 2000);
    // The partial file of the file in progress stays; nothing was installed.
    EXPECT_EQ(Partial(1).size(), 2000u);
    EXPECT_EQ(Engine("info.txt"), kLocalVersion);
}

TEST_F(UpdateE2E, ClosingWhileTheWorkerShowsAMessageEndsTheProgram) {
    Open(L"update close box");
    server::Delete(ModulePath(2));
    StartUpdate();
    ASSERT_EQ(app.WaitMessageBox(30s).text, "不能打开该URL!");
    const auto closed = Clock::now();
    app.Close();
    EXPECT_TRUE(app.WaitExit(2s));
    EXPECT_LT(MsSince(closed), 2000);
}

// A second start while the first update runs replaces it: one worker only.
TEST_F(UpdateE2E, StartWhileAnUpdateRunsRestartsIt) {
    Open(L"update twice");
    server::Fault(ModulePath(1), "slow", "chunk=2000&delay_ms=300&times=1");
    StartUpdate();
    ASSERT_TRUE(WaitDownloading(1)) << BarText();
    StartUpdate();
    Answer("数据已成功更新！", 60s);
    EXPECT_TRUE(WaitBarText("数据库已更新完成：100%", 5s)) << BarText();
    Sleep(500);
    EXPECT_TRUE(app.OpenMessageBoxes().empty());  // the first worker says nothing more
    const auto requests = Requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET " + ModulePath(0)), 2);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET " + ModulePath(1)), 2);
    for (int i = 2; i < 9; ++i) {
        EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET " + ModulePath(i)), 1) << kModules[i];
    }
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(Engine(kModules[i]) == ModuleBody(i)) << kModules[i];
}
