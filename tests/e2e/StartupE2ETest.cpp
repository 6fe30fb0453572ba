// Start-up and the main window, on the real exe.
#include <gtest/gtest.h>

#include "Driver.h"

using namespace e2e;

namespace {

const std::wstring kInstallKey = L"SOFTWARE\\KorvaneScan";

// A clean machine state for start-up: no registry entry, no data root.
void ForgetEarlierRuns() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, kInstallKey);
    RemoveTree(L"C:\\KorvaneScanData");
    server::Reset();
}

bool IsCaptioned(ControlKind kind) {
    return kind == ControlKind::GroupBox || kind == ControlKind::Label || kind == ControlKind::RadioButton ||
           kind == ControlKind::Button || kind == ControlKind::Link;
}

}  // namespace

TEST(Startup, RecordsRunFolderCreatesDataRootAndShowsBothVersionsUnchanged) {
    ForgetEarlierRuns();
    server::SetBody("/eset/Update/info.txt", "27830 (20231201)\r\n");
    const std::wstring run = MakeRunFolder(L"startup versions");
    WriteFileBytes(run + L"\\data\\info.txt", std::string("27790 (20231101)\0tail", 21));

    App app;
    ASSERT_TRUE(app.Launch(run));
    ASSERT_TRUE(app.WaitIdle());

    std::wstring path;
    ASSERT_TRUE(ReadRegText(HKEY_LOCAL_MACHINE, kInstallKey, L"Path", path));
    EXPECT_EQ(path, run);
    for (const wchar_t* folder : {L"C:\\KorvaneScanData", L"C:\\KorvaneScanData\\data",
                                  L"C:\\KorvaneScanData\\data\\quarantine"}) {
        EXPECT_TRUE(FolderExists(folder)) << U8(folder);
    }
    EXPECT_EQ(app.Text("编辑框1"), "27790 (20231101)");
    EXPECT_EQ(app.Text("编辑框2"), "27830 (20231201)\r\n");
    EXPECT_TRUE(app.IsEnabled("按钮1"));
    EXPECT_TRUE(app.OpenMessageBoxes().empty());
    EXPECT_EQ(app.CaptionW(app.Main()), L"Korvane Scan");

    // The version file was fetched once, as a plain GET with the agent HTTPREAD.
    int gets = 0;
    for (const auto& r : server::Log()) {
        if (r.path != "/eset/Update/info.txt") continue;
        ++gets;
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.Header("User-Agent"), "HTTPREAD");
    }
    EXPECT_EQ(gets, 1);
}

TEST(Startup, SecondStartFromAnotherFolderWithChineseAndBlanksRecordsThatFolder) {
    ForgetEarlierRuns();
    const std::wstring first = MakeRunFolder(L"first");
    {
        App app;
        ASSERT_TRUE(app.Launch(first));
        ASSERT_TRUE(app.WaitIdle());
    }
    const std::wstring second = MakeRunFolder(L"扫描 程序 二");
    App app;
    ASSERT_TRUE(app.Launch(second));
    ASSERT_TRUE(app.WaitIdle());
    std::wstring path;
    ASSERT_TRUE(ReadRegText(HKEY_LOCAL_MACHINE, kInstallKey, L"Path", path));
    EXPECT_EQ(path, second);
    // The data root already existed: nothing is reported.
    EXPECT_TRUE(app.OpenMessageBoxes().empty());
}

TEST(Startup, UnreachableVersionFileAndMissingEngineFolderLeaveFieldsEmptyWithoutMessage) {
    ForgetEarlierRuns();
    server::Delete("/eset/Update/info.txt");
    RunFolderOptions options;
    options.engineFolder = false;
    const std::wstring run = MakeRunFolder(L"no engine", options);
    App app;
    ASSERT_TRUE(app.Launch(run));
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_EQ(app.Text("编辑框1"), "");
    EXPECT_EQ(app.Text("编辑框2"), "");
    EXPECT_TRUE(app.OpenMessageBoxes().empty());
    EXPECT_FALSE(FolderExists(run + L"\\data")) << "the engine folder is never created";
}

TEST(Window, StartsOnHomeWithNothingSelectedAndPagesShowTheirOwnControls) {
    ForgetEarlierRuns();
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"pages")));
    ASSERT_TRUE(app.WaitIdle());

    EXPECT_EQ(app.SelectedPage(), 0);
    for (const LayoutRow& row : MainWindowLayout()) {
        if (row.kind == ControlKind::RadioButton) {
            EXPECT_FALSE(app.IsChecked(row.name)) << row.name;
        }
    }
    // One control of each page tells which page is showing.
    const char* marker[kPageCount] = {"按钮2", "按钮9", "按钮5", "超级列表框_国内", "标签12"};
    const char* shotName[kPageCount] = {"page-home", "page-update", "page-quarantine", "page-notes", "page-about"};
    for (int page = 0; page < kPageCount; ++page) {
        app.SelectPage(static_cast<Page>(page));
        EXPECT_EQ(app.SelectedPage(), page);
        for (int other = 0; other < kPageCount; ++other) {
            EXPECT_EQ(app.IsVisible(marker[other]), other == page) << "page " << page << " control " << marker[other];
        }
        EXPECT_FALSE(app.IsVisible("编辑框6"));
        EXPECT_FALSE(app.IsVisible("编辑框3"));
        Sleep(300);
        server::Screenshot(shotName[page]);
    }
}

TEST(Window, RadioButtonsClearTheOthersOfTheirGroupOnly) {
    ForgetEarlierRuns();
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"radios")));
    ASSERT_TRUE(app.WaitIdle());
    app.Click("单选框8");
    ASSERT_TRUE(WaitFor([&] { return app.IsChecked("单选框8"); }, 5s));
    app.Click("单选框13");
    ASSERT_TRUE(WaitFor([&] { return app.IsChecked("单选框13"); }, 5s));
    EXPECT_FALSE(app.IsChecked("单选框8"));

    app.SelectPage(Page::Update);
    app.Click("单选框6");
    ASSERT_TRUE(WaitFor([&] { return app.IsChecked("单选框6"); }, 5s));
    EXPECT_TRUE(app.IsChecked("单选框13")) << "the update group is a group of its own";
    app.Click("单选框5");
    ASSERT_TRUE(WaitFor([&] { return app.IsChecked("单选框5"); }, 5s));
    EXPECT_FALSE(app.IsChecked("单选框6"));
}

TEST(Window, EscapeClosesTheWindowAndEndsTheProcess) {
    ForgetEarlierRuns();
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"escape")));
    ASSERT_TRUE(app.WaitIdle());
    app.PressEscape();
    EXPECT_TRUE(app.WaitExit(10s));
}

TEST(Window, CloseBoxEndsTheProcess) {
    ForgetEarlierRuns();
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"close")));
    ASSERT_TRUE(app.WaitIdle());
    app.Close();
    EXPECT_TRUE(app.WaitExit(10s));
}

// Runs under both LANG=zh_CN.UTF-8 (code page 936) and LANG=C.UTF-8 (1252): the
// window's own texts must not depend on the system's code page.
TEST(Captions, EveryControlShowsItsLaidOutText) {
    ForgetEarlierRuns();
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"captions")));
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_EQ(app.CaptionW(app.Main()), L"Korvane Scan");
    for (const LayoutRow& row : MainWindowLayout()) {
        HWND control = app.Control(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        if (IsCaptioned(row.kind)) {
            EXPECT_EQ(U8(app.CaptionW(control)), InitialText(row)) << row.name;
        }
    }
    EXPECT_EQ(app.Text("编辑框6"), "http://localhost:81/eset/Korvane_Scan.zip");
    EXPECT_EQ(app.Text("编辑框3"), "KorvaneScan");
    EXPECT_EQ(app.Text("编辑框4"), "1.5.1.1");
    EXPECT_EQ(app.PageTitles(), (std::vector<std::string>{"Home", "更新", "隔离", "说明", "关于"}));
    EXPECT_EQ(app.ListColumnTitles(), (std::vector<std::string>{"Lumor订阅(RSS)：", "地址"}));
}
