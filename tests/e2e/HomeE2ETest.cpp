// The Home page's scans on the real exe: the stand-in scanner records exactly
// the command line it was started with.
#include <gtest/gtest.h>

#include <algorithm>

#include "Driver.h"
#include "HomeHelpers.h"

using namespace e2e;

namespace {

const std::string kCustomTail =
    " /unwanted /unsafe /clean-mode=rigorous /quarantine /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
    "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind";

void FreshMachine() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScan");
    RemoveTree(L"C:\\KorvaneScanData");
    server::Reset();
}

}  // namespace

TEST(HomeScan, EachScanStartsTheScannerWithExactlyItsCommandLine) {
    struct Case {
        const char* radio;
        const char* line;
    } cases[] = {
        {"单选框8",
         "data\\ecls.exe  c: /boots /memory /unwanted /unsafe /clean-mode=rigorous "
         "/quar-dir=c:\\KorvaneScanData\\data\\quarantine /log-file=c:\\KorvaneScanData\\ScanLog.txt /aind"},
        {"单选框7",
         "data\\ecls.exe  /auto /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
         "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind"},
        {"单选框1",
         "data\\ecls.exe  c: d: e: f: g: h: i: j: k: l: m: n: o: p: q: r: s: t: u: v: w: x: y: z: /boots /memory "
         "/unwanted /unsafe /clean-mode=rigorous  /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
         "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind"},
    };
    FreshMachine();
    const std::wstring run = MakeRunFolder(L"scans 扫描");
    App app;
    ASSERT_TRUE(app.Launch(run));
    ASSERT_TRUE(app.WaitIdle());
    size_t expected = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        ChooseOnHome(app, c.radio);
        const auto lines = WaitForLines(run, L"ecls-calls.txt", ++expected);
        ASSERT_EQ(lines.size(), expected);
        EXPECT_EQ(lines.back(), c.line);
        ASSERT_TRUE(app.WaitIdle());
        EXPECT_TRUE(app.OpenMessageBoxes().empty());
    }
    // The same scan again starts a second scanner.
    ChooseOnHome(app, "单选框8");
    const auto lines = WaitForLines(run, L"ecls-calls.txt", ++expected);
    ASSERT_EQ(lines.size(), expected);
    EXPECT_EQ(lines.back(), cases[0].line);
    // The stand-in scanner found the scan log path it was given.
    EXPECT_TRUE(WaitFor([] { return FileExists(L"C:\\KorvaneScanData\\ScanLog.txt"); }, 10s));
}

TEST(HomeScan, WithoutTheEngineFolderAScanShowsNothing) {
    FreshMachine();
    RunFolderOptions options;
    options.engineFolder = false;
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"scan no engine", options)));
    ASSERT_TRUE(app.WaitIdle());
    ChooseOnHome(app, "单选框8");
    Sleep(1500);
    EXPECT_TRUE(app.WaitIdle(5s));
    EXPECT_TRUE(app.OpenMessageBoxes().empty());
    EXPECT_TRUE(app.Running());
}

TEST(HomeCustomScan, ChosenFolderWithBlanksReachesTheScannerQuoted) {
    FreshMachine();
    const std::wstring run = MakeRunFolder(L"custom scan");
    const std::wstring folder = L"C:\\e2e\\要 扫描 的 folder";
    CreateDirectoryW(folder.c_str(), nullptr);
    App app;
    ASSERT_TRUE(app.Launch(run));
    ASSERT_TRUE(app.WaitIdle());

    ChooseOnHome(app, "单选框2");
    HWND browser = WaitFolderBrowser(app);
    ASSERT_NE(browser, nullptr) << "no folder browser";
    const auto texts = ChildTexts(browser);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "请选择需要扫描的目录："), texts.end());
    Sleep(300);
    server::Screenshot("home-folder-browser");
    ASSERT_TRUE(ChooseInFolderBrowser(app, browser, folder));
    const auto lines = WaitForLines(run, L"ecls-calls.txt", 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "data\\ecls.exe \"" + U8(folder) + "\"" + kCustomTail);
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_TRUE(app.OpenMessageBoxes().empty());
}

TEST(HomeCustomScan, CancelledBrowserStartsNoScanner) {
    FreshMachine();
    const std::wstring run = MakeRunFolder(L"custom cancel");
    App app;
    ASSERT_TRUE(app.Launch(run));
    ASSERT_TRUE(app.WaitIdle());
    ChooseOnHome(app, "单选框2");
    HWND browser = WaitFolderBrowser(app);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(CancelFolderBrowser(browser));
    ASSERT_TRUE(app.WaitIdle());
    Sleep(1500);
    EXPECT_FALSE(FileExists(run + L"\\data\\ecls-calls.txt"));
    EXPECT_TRUE(app.OpenMessageBoxes().empty());

    // The browser comes again on the next OK; a drive root keeps its backslash.
    ChooseOnHome(app, "单选框2");
    browser = WaitFolderBrowser(app);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(ChooseInFolderBrowser(app, browser, L"C:\\"));
    const auto lines = WaitForLines(run, L"ecls-calls.txt", 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "data\\ecls.exe \"C:\\\"" + kCustomTail);
}
