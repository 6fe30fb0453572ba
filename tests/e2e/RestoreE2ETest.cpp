// The quarantine page's restore helpers on the real exe.
#include <gtest/gtest.h>

#include "Driver.h"
#include "HomeHelpers.h"

using namespace e2e;

namespace {

void FreshMachine() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScan");
    RemoveTree(L"C:\\KorvaneScanData");
    server::Reset();
}

// A copyQ.cmd that runs until the test creates data\copyQ-go.txt; it marks its
// start and, last thing before it ends, appends to copyQ-ran.txt.
const char kGatedCopy[] =
    "@echo off\r\n"
    "echo started>\"%~dp0copyQ-started.txt\"\r\n"
    ":wait\r\n"
    "if not exist \"%~dp0copyQ-go.txt\" goto wait\r\n"
    ">>\"%~dp0copyQ-ran.txt\" echo copyQ ran\r\n"
    "exit /b 0\r\n";

bool NoBoxFor(App& app, Millis time) {
    return !WaitFor([&] { return !app.OpenMessageBoxes().empty(); }, time);
}

class RestoreE2E : public ::testing::Test {
protected:
    void Start(const wchar_t* name, const RunFolderOptions& options = {}) {
        FreshMachine();
        run_ = MakeRunFolder(name, options);
        ASSERT_TRUE(app_.Launch(run_));
        ASSERT_TRUE(app_.WaitIdle());
        app_.SelectPage(Page::Quarantine);
    }
    std::wstring run_;
    App app_;
};

}  // namespace

TEST_F(RestoreE2E, RestoreToolStartsWithItsQuotedPath) {
    Start(L"restore 恢复 tool");
    app_.Click("按钮1");
    const auto lines = WaitForLines(run_, L"KorvaneQR-calls.txt", 1);
    ASSERT_EQ(lines.size(), 1u);
    std::string quoted = "\"";
    quoted += U8(run_) + "\\data\\KorvaneQR.exe\"";
    EXPECT_EQ(lines[0], quoted);
    EXPECT_TRUE(NoBoxFor(app_, 1500ms));
    EXPECT_TRUE(app_.WaitIdle());
}

TEST_F(RestoreE2E, MissingRestoreToolShowsNothing) {
    RunFolderOptions options;
    options.standins = false;
    Start(L"restore missing", options);
    app_.Click("按钮1");
    EXPECT_TRUE(NoBoxFor(app_, 2s));
    EXPECT_TRUE(app_.WaitIdle());
    EXPECT_TRUE(app_.Running());
}

TEST_F(RestoreE2E, CopyWithoutTheRadioDoesNothing) {
    Start(L"copy no radio");
    app_.Click("按钮5");
    EXPECT_TRUE(NoBoxFor(app_, 3s));
    EXPECT_FALSE(FileExists(run_ + L"\\data\\copyQ-ran.txt"));
}

TEST_F(RestoreE2E, CopyTellsOnlyAfterTheBatchFileHasRun) {
    Start(L"copy 复制");
    app_.Click("单选框4");
    ASSERT_TRUE(WaitFor([&] { return app_.IsChecked("单选框4"); }, 5s));
    app_.Click("按钮5");
    const MessageBoxInfo box = app_.WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_TRUE(FileExists(run_ + L"\\data\\copyQ-ran.txt")) << "the message came before the batch file ran";
    EXPECT_EQ(box.text, "复制隔离文件到 ESET 隔离区。");
    EXPECT_EQ(box.caption, "信息：");
    app_.PressOk(box);
    EXPECT_TRUE(app_.WaitIdle());
    EXPECT_EQ(RecordedLines(run_, L"copyQ-ran.txt").size(), 1u);
}

TEST_F(RestoreE2E, WhileTheCopyRunsTheWindowPaintsAndTakesNoInput) {
    Start(L"copy wait");
    WriteFileBytes(run_ + L"\\data\\copyQ.cmd", kGatedCopy);
    app_.Click("单选框4");
    ASSERT_TRUE(WaitFor([&] { return app_.IsChecked("单选框4"); }, 5s));
    app_.Click("按钮5");
    ASSERT_TRUE(WaitFor([&] { return FileExists(run_ + L"\\data\\copyQ-started.txt"); }, 20s));

    // The batch file still runs: no message yet.
    EXPECT_TRUE(NoBoxFor(app_, 1500ms));
    // The window answers and repaints what was made invalid.
    EXPECT_LT(app_.Ping(3s), 1s);
    InvalidateRect(app_.Main(), nullptr, TRUE);
    EXPECT_TRUE(WaitFor([&] { return !GetUpdateRect(app_.Main(), nullptr, FALSE); }, 5s)) << "the window did not paint";
    server::Screenshot("restore-copy-waiting");
    // A real click on "复制" meanwhile starts no second copy, neither now nor later.
    MouseClick(app_, "按钮5");
    Sleep(500);

    WriteFileBytes(run_ + L"\\data\\copyQ-go.txt", "go");
    const MessageBoxInfo box = app_.WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(RecordedLines(run_, L"copyQ-ran.txt").size(), 1u) << "the message came before the batch file ended";
    EXPECT_EQ(box.text, "复制隔离文件到 ESET 隔离区。");
    app_.PressOk(box);
    ASSERT_TRUE(app_.WaitIdle());
    EXPECT_TRUE(NoBoxFor(app_, 2s)) << "the click made during the copy was taken afterwards";
    EXPECT_EQ(RecordedLines(run_, L"copyQ-ran.txt").size(), 1u);

    // The same click now is taken: a second copy, a second message.
    MouseClick(app_, "按钮5");
    const MessageBoxInfo again = app_.WaitMessageBox();
    ASSERT_TRUE(again) << "a real click does not reach the window here";
    EXPECT_EQ(RecordedLines(run_, L"copyQ-ran.txt").size(), 2u);
    app_.PressOk(again);
}
