// The update worker's Win32 parts: its thread and message boxes, the hand-over
// of its display changes to the GUI thread, the skinned bar, the HEAD probe, and
// a stop while the worker reads from a slow server over WinINet.
#include <gtest/gtest.h>

#include "Driver.h"

#include <commctrl.h>
#include <ole2.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "app/AppContext.h"
#include "app/ProgramRecord.h"
#include "platform/win32/WinFeedClient.h"
#include "platform/win32/WinFileSystem.h"
#include "platform/win32/WinHeadProbe.h"
#include "platform/win32/WinInetTransport.h"
#include "platform/win32/WinLocalFiles.h"
#include "platform/win32/WinRegistry.h"
#include "platform/win32/WinServices.h"
#include "platform/win32/WinWorkerDisplay.h"
#include "platform/win32/WinWorkerThread.h"
#include "platform/win32/WinXmlReader.h"
#include "ui/CrystalProgressBar_win.h"
#include "ui/WindowFields.h"
#include "update/DatabaseUpdate.h"
#include "update/UpdateState.h"
#include "update/UpdateWorker.h"
#include "update/WorkerStop.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

using SteadyClock = std::chrono::steady_clock;
long long MsSince(SteadyClock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - t).count();
}

void PumpFor(std::chrono::milliseconds d) {
    const auto end = SteadyClock::now() + d;
    while (SteadyClock::now() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
}

// Records what reaches it, from any thread.
struct RecordingDisplay : WorkerDisplay {
    std::mutex mutex;
    std::vector<std::string> seen;
    DWORD thread = 0;  // the thread the last change came on
    void Add(std::string s) {
        std::lock_guard<std::mutex> lock(mutex);
        seen.push_back(std::move(s));
        thread = GetCurrentThreadId();
    }
    void SetProgressText(const std::string& text) override { Add("label " + text); }
    void SetProgressPosition(int position) override { Add("pos " + std::to_string(position)); }
    void SetBarText(int style, const std::string& text) override { Add("bar " + std::to_string(style) + " " + text); }
    void ShowPending() override {}
    std::vector<std::string> Seen() {
        std::lock_guard<std::mutex> lock(mutex);
        return seen;
    }
};

struct RecordingMessages : Messages {
    std::mutex mutex;
    std::vector<std::string> shown;
    void ShowMessage(const std::string& text, const std::string&) override {
        std::lock_guard<std::mutex> lock(mutex);
        shown.push_back(text);
    }
};

}  // namespace

TEST(WinWorkerThreadTest, RunsTheBodyAndClosesItsMessageBoxes) {
    WinWorkerThread thread;
    EXPECT_FALSE(thread.Running());
    EXPECT_TRUE(thread.WaitEnded(0));
    std::atomic<DWORD> bodyThread{0};
    WinMessages messages;
    ASSERT_TRUE(thread.Start([&] {
        bodyThread = GetCurrentThreadId();
        messages.ShowMessage("worker box", "信息：");
    }));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"信息：")) != nullptr; }, 10s));
    EXPECT_TRUE(thread.Running());
    EXPECT_FALSE(thread.WaitEnded(50));
    EXPECT_NE(bodyThread.load(), GetCurrentThreadId());
    EXPECT_EQ(GetWindowThreadProcessId(box, nullptr), bodyThread.load());
    thread.DismissMessageBoxes();
    // Wine without a window manager may take up to 2 s to take a window down.
    EXPECT_TRUE(thread.WaitEnded(5000));
    EXPECT_FALSE(thread.Running());
    EXPECT_FALSE(IsWindow(box));
}

TEST(WinWorkerDisplayTest, ChangesReachTheGuiThreadInOrderWithTheLatestFigures) {
    RecordingDisplay gui;
    WinWorkerDisplay display(gui);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int f = 1; f <= 3; ++f) {
            display.SetBarText(5, "file " + std::to_string(f));
            for (int k = 1; k <= 400; ++k) {
                display.SetProgressText(std::to_string(f) + "/" + std::to_string(k));
                display.SetProgressPosition(k);
            }
        }
        display.SetBarText(1, "end");
        done = true;
    });
    const auto start = SteadyClock::now();
    while (MsSince(start) < 10000) {
        PumpFor(10ms);
        const auto seen = gui.Seen();
        if (done && !seen.empty() && seen.back() == "bar 1 end") break;
    }
    worker.join();
    const auto seen = gui.Seen();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), "bar 1 end");
    EXPECT_EQ(gui.thread, GetCurrentThreadId());
    // Every bar text, in order; when each later one comes, the window shows the
    // previous file's last figures.
    std::vector<std::string> bars;
    std::string label, position;
    for (const std::string& change : seen) {
        if (change.rfind("label ", 0) == 0) label = change.substr(6);
        if (change.rfind("pos ", 0) == 0) position = change.substr(4);
        if (change.rfind("bar ", 0) != 0) continue;
        if (!bars.empty()) {
            EXPECT_EQ(label, std::to_string(bars.size()) + "/400") << change;
            EXPECT_EQ(position, "400") << change;
        }
        bars.push_back(change);
    }
    EXPECT_EQ(bars, (std::vector<std::string>{"bar 5 file 1", "bar 5 file 2", "bar 5 file 3", "bar 1 end"}));
    // Many changes, few showings: the GUI is not flooded.
    EXPECT_LT(seen.size(), 400u);
}

TEST(WinWorkerDisplayTest, ShowPendingShowsAtOnce) {
    RecordingDisplay gui;
    WinWorkerDisplay display(gui);
    std::thread([&] {
        display.SetProgressPosition(7);
        display.SetBarText(1, "x");
    }).join();
    EXPECT_TRUE(gui.Seen().empty());  // nothing without the GUI thread
    display.ShowPending();
    EXPECT_EQ(gui.Seen(), (std::vector<std::string>{"pos 7", "bar 1 x"}));
    PumpFor(50ms);  // the wake-up that follows finds nothing more
    EXPECT_EQ(gui.Seen().size(), 2u);
}

namespace {

// A top-level window holding a standard progress bar, range 0 to 10000.
struct BarWindow {
    HWND top = nullptr;
    HWND bar = nullptr;
    BarWindow() {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        top = CreateWindowExW(0, L"STATIC", L"bar test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 440, 120, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
        bar = CreateWindowExW(WS_EX_STATICEDGE, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 8, 8, 391, 26,
                              top, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(bar, PBM_SETRANGE32, 0, 10000);
    }
    ~BarWindow() {
        if (IsWindow(top)) DestroyWindow(top);
    }
    std::wstring Text() const {
        wchar_t text[256] = {};
        SendMessageW(bar, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        return text;
    }
};

COLORREF PixelOf(HWND bar, int x, int y) {
    RECT r;
    GetClientRect(bar, &r);
    HDC screen = GetDC(bar);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(bar, screen);
    return c;
}

}  // namespace

TEST(CrystalProgressBarTest, TextIsTheWindowTextAndFollowsThePosition) {
    BarWindow w;
    CrystalProgressBar skin;
    skin.SetText(1, "unbound");  // nothing to show yet
    EXPECT_EQ(w.Text(), L"");
    ASSERT_TRUE(skin.Attach(w.bar));
    EXPECT_FALSE(skin.Attach(w.bar));  // bound to a live window
    EXPECT_EQ(skin.ColorStyle(), 0);
    EXPECT_EQ(GetWindowLongPtrW(w.bar, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);

    skin.SetText(1, "共 9 个文件需更新！ ");
    EXPECT_EQ(w.Text(), L"共 9 个文件需更新！ ");
    SendMessageW(w.bar, PBM_SETPOS, 4599, 0);
    EXPECT_EQ(w.Text(), L"共 9 个文件需更新！ ");  // style 1: no percentage

    skin.SetText(5, "正在更新第 3 个文件， 当前已完成： ");
    EXPECT_EQ(w.Text(), L"正在更新第 3 个文件， 当前已完成： 45%");
    struct Case { int position; const wchar_t* percent; } cases[] = {
        {0, L"0%"}, {99, L"0%"}, {100, L"1%"}, {9999, L"99%"}, {10000, L"100%"}, {20000, L"100%"}};
    for (const auto& c : cases) {
        SendMessageW(w.bar, PBM_SETPOS, static_cast<WPARAM>(c.position), 0);
        EXPECT_EQ(w.Text(), std::wstring(L"正在更新第 3 个文件， 当前已完成： ") + c.percent) << c.position;
    }
    skin.SetColorStyle(4);
    EXPECT_EQ(skin.ColorStyle(), 4);
    skin.SetColorStyle(8);
    skin.SetColorStyle(0);
    EXPECT_EQ(skin.ColorStyle(), 4);
}

TEST(CrystalProgressBarTest, PaintsTheFillAndTheTroughApart) {
    BarWindow w;
    CrystalProgressBar skin;
    ASSERT_TRUE(skin.Attach(w.bar));
    skin.SetColorStyle(4);
    SendMessageW(w.bar, PBM_SETPOS, 5000, 0);
    const COLORREF fill = PixelOf(w.bar, 20, 20);
    const COLORREF trough = PixelOf(w.bar, 370, 20);
    EXPECT_GT(GetBValue(fill), GetRValue(fill) + 60) << std::hex << fill;  // the crystal cyan
    EXPECT_LT(std::abs(GetBValue(trough) - GetRValue(trough)), 40) << std::hex << trough;  // the grey trough
    SendMessageW(w.bar, PBM_SETPOS, 10000, 0);
    const COLORREF full = PixelOf(w.bar, 370, 20);
    EXPECT_GT(GetBValue(full), GetRValue(full) + 60) << std::hex << full;
}

TEST(CrystalProgressBarTest, MayAttachAgainOnceItsControlIsGone) {
    CrystalProgressBar skin;
    {
        BarWindow first;
        ASSERT_TRUE(skin.Attach(first.bar));
    }
    EXPECT_EQ(skin.Window(), nullptr);
    BarWindow second;
    EXPECT_TRUE(skin.Attach(second.bar));
    EXPECT_FALSE(skin.Attach(nullptr));
}

TEST(WinHeadProbeTest, StatusOfAHeadRequest) {
    OleInitialize(nullptr);
    server::Reset();
    server::SetBody("/eset/Update/em000_32.dat", "module");
    WinHeadProbe probe;
    EXPECT_EQ(probe.HeadStatus("http://127.0.0.1:81/eset/Update/em000_32.dat"), 200);
    server::Delete("/eset/Update/em000_32.dat");
    EXPECT_EQ(probe.HeadStatus("http://127.0.0.1:81/eset/Update/em000_32.dat"), 404);
    EXPECT_EQ(probe.HeadStatus("http://127.0.0.1:1/eset/Update/em000_32.dat"), 0);
    const auto log = server::Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].method, "HEAD");
    EXPECT_EQ(log[0].path, "/eset/Update/em000_32.dat");

    // A server that accepts and never answers: given up after the time-out.
    server::Fault("/eset/Update/em000_32.dat", "hang");
    WinHeadProbe impatient(1500);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(impatient.HeadStatus("http://127.0.0.1:81/eset/Update/em000_32.dat"), 0);
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(took, 1400ms);
    EXPECT_LT(took, 5000ms);
    server::Clear("/eset/Update/em000_32.dat");
    OleUninitialize();
}

namespace {

struct NullWindow : WindowFields {
    std::string ReadText(TextField) override { return {}; }
    void ReplaceText(TextField, const std::string&) override {}
    void ReplaceTextBytes(TextField, const Bytes&) override {}
    bool IsSelected(Choice) override { return false; }
    void DisableRestoreButton() override {}
    void SetProgressPosition(int) override {}
    void AppendNewsRow() override {}
    void SetNewsCell(int, int, const std::string&) override {}
};

struct NullBar : SkinnedProgressBar {
    bool Attach() override { return true; }
    void SetColorStyle(int) override {}
    void SetText(int, const std::string&) override {}
};

// The program's update with Win32 services and a worker on its own thread.
struct WinUpdateRig {
    WinRegistry registry;
    WinFileSystem files;
    WinInetTransport http;
    RecordingMessages messages;
    WinProcesses processes;
    WinShell shell;
    WinClock clock;
    NullWindow window;
    ProgramRecord program;
    WinFeedClient feed;
    WinXmlReader xml;
    AppContext ctx{registry, files, http, messages, processes, shell, clock, window, program, feed, xml};
    WinWorkerThread thread;
    NullBar bar;
    RecordingDisplay display;
    WinLocalFiles localFiles;
    WinHeadProbe probe;
    UpdateState state{thread, bar};
    UpdateContext update{state, localFiles, display, probe};
    const std::wstring dir = L"C:\\korvane-worker-test";

    WinUpdateRig() {
        ctx.update = &update;
        RemoveTree(dir);
        CreateDirectoryW(dir.c_str(), nullptr);
    }
    ~WinUpdateRig() {
        thread.WaitEnded(10000);
        RemoveTree(dir);
    }
    // Starts a worker for one module, as the start path would.
    void StartWorker(const std::string& url) {
        auto stop = std::make_shared<WorkerStop>(http);
        state.workerStop = stop;
        UpdateJob job;
        job.fileCount = 1;
        job.sourceUrls[0] = url;
        job.targetPaths[0] = U8(dir) + "\\em001_32.dat";
        WorkerServices services{http, localFiles, files, messages, clock, display};
        ASSERT_TRUE(thread.Start([services, stop, job]() mutable { UpdateWorker(services, *stop, job); }));
    }
    std::string Partial() { return ReadFileBytes(dir + L"\\em001_32.dat.p2p"); }
};

}  // namespace

// The server holds back its next piece for 3 s: StopUpdateWorker returns within a
// second all the same, and when the piece comes the worker writes nothing.
TEST(WinUpdateStopTest, StopWhileTheWorkerWaitsForASlowServer) {
    server::Reset();
    server::SetBody("/eset/Update/em001_32.dat", std::string(20000, 's'));
    server::Fault("/eset/Update/em001_32.dat", "slow", "chunk=2000&delay_ms=3000");
    WinUpdateRig rig;
    rig.StartWorker("http://127.0.0.1:81/eset/Update/em001_32.dat");
    ASSERT_TRUE(WaitFor([&] { return rig.Partial().size() == 2000; }, 10s));
    const size_t changes = rig.display.Seen().size();

    const auto t0 = SteadyClock::now();
    StopUpdateWorker(rig.ctx);
    EXPECT_LT(MsSince(t0), 1000);
    EXPECT_TRUE(WaitFor([&] { return !rig.thread.Running(); }, 6s));  // left once the next piece came
    EXPECT_EQ(rig.Partial(), std::string(2000, 's'));
    EXPECT_EQ(rig.display.Seen().size(), changes);
    EXPECT_TRUE(rig.messages.shown.empty());
}

// The server never answers: the worker is blocked opening the URL.
TEST(WinUpdateStopTest, StopWhileTheServerNeverAnswers) {
    server::Reset();
    server::Fault("/eset/Update/em001_32.dat", "hang");
    WinUpdateRig rig;
    rig.StartWorker("http://127.0.0.1:81/eset/Update/em001_32.dat");
    ASSERT_TRUE(WaitFor([] { return server::Hits("/eset/Update/em001_32.dat") == 1; }, 10s));
    const auto t0 = SteadyClock::now();
    StopUpdateWorker(rig.ctx);
    EXPECT_LT(MsSince(t0), 1000);
    server::Clear("/eset/Update/em001_32.dat");  // the server lets go of the connection
    EXPECT_TRUE(WaitFor([&] { return !rig.thread.Running(); }, 10s));
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_FALSE(FileExists(rig.dir + L"\\em001_32.dat.p2p"));
    EXPECT_EQ(rig.display.Seen(), std::vector<std::string>{"bar 5 正在更新第 1 个文件， 当前已完成： "});
}
