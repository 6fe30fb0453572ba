// The Home page's maintenance choices and the quarantine page's folder button,
// on the real exe: their messages and what they leave on disk.
#include <gtest/gtest.h>

#include "Driver.h"
#include "HomeHelpers.h"

using namespace e2e;

namespace {

const std::wstring kLog = L"C:\\KorvaneScanData\\ScanLog.txt";
const std::wstring kDataFolder = L"C:\\KorvaneScanData\\data";
const std::wstring kQuarantine = L"C:\\KorvaneScanData\\data\\quarantine";

void FreshMachine() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScan");
    RemoveTree(L"C:\\KorvaneScanData");
    server::Reset();
}

// Chooses on Home, waits for the message, checks its caption and answers it.
std::string MessageOf(App& app, const char* radio) {
    ChooseOnHome(app, radio);
    const MessageBoxInfo box = app.WaitMessageBox();
    if (!box) return "(no message)";
    EXPECT_EQ(box.caption, "信息：");
    app.PressOk(box);
    EXPECT_TRUE(app.WaitIdle());
    return box.text;
}

class MaintenanceE2E : public ::testing::Test {
protected:
    void SetUp() override {
        FreshMachine();
        run_ = MakeRunFolder(L"maintenance 维护");
        ASSERT_TRUE(app_.Launch(run_));
        ASSERT_TRUE(app_.WaitIdle());
    }
    std::wstring run_;
    App app_;
};

}  // namespace

TEST_F(MaintenanceE2E, ScanLogViewAndClear) {
    // No log yet.
    EXPECT_EQ(MessageOf(app_, "单选框9"), "未发现扫描日志！");
    EXPECT_EQ(MessageOf(app_, "单选框10"), "未发现扫描日志！");

    // With a log, viewing opens it in Notepad and says nothing.
    WriteFileBytes(kLog, "scan log\r\n");
    ChooseOnHome(app_, "单选框9");
    HWND notepad = WaitForeignWindow(app_, L"ScanLog");
    ASSERT_NE(notepad, nullptr) << "Notepad did not open the log";
    Sleep(300);
    server::Screenshot("maintenance-notepad");
    EndProcessOf(notepad);
    ASSERT_TRUE(app_.WaitIdle());
    EXPECT_TRUE(app_.OpenMessageBoxes().empty());

    // Cleared, the log is gone, and so it is for the next view.
    EXPECT_EQ(MessageOf(app_, "单选框10"), "扫描日志已成功清除！");
    EXPECT_FALSE(FileExists(kLog));
    EXPECT_EQ(MessageOf(app_, "单选框9"), "未发现扫描日志！");
}

TEST_F(MaintenanceE2E, ClearQuarantineTwice) {
    WriteFileBytes(kQuarantine + L"\\infected.NQF", "quarantined");
    CreateDirectoryW((kQuarantine + L"\\sub").c_str(), nullptr);
    WriteFileBytes(kQuarantine + L"\\sub\\more.NQF", "quarantined");
    WriteFileBytes(kLog, "scan log\r\n");

    EXPECT_EQ(MessageOf(app_, "单选框12"), "隔离文件已成功清除！");
    EXPECT_FALSE(FolderExists(kQuarantine));
    EXPECT_FALSE(FolderExists(kDataFolder));
    EXPECT_TRUE(FileExists(kLog)) << "the log beside the data folder stays";
    EXPECT_EQ(MessageOf(app_, "单选框12"), "未发现已隔离文件！");
}

TEST_F(MaintenanceE2E, ClearUpdateCacheWithANestedTreeAndWithNone) {
    const std::wstring cache = run_ + L"\\data\\temp";
    CreateDirectoryW(cache.c_str(), nullptr);
    CreateDirectoryW((cache + L"\\a").c_str(), nullptr);
    CreateDirectoryW((cache + L"\\a\\b 二").c_str(), nullptr);
    WriteFileBytes(cache + L"\\info.txt", "27830");
    WriteFileBytes(cache + L"\\a\\b 二\\em000_32.dat.p2p", "partial");

    EXPECT_EQ(MessageOf(app_, "单选框11"), "更新缓存已成功清除！");
    EXPECT_FALSE(FolderExists(cache));
    EXPECT_TRUE(FileExists(run_ + L"\\data\\info.txt")) << "the engine folder keeps its files";
    EXPECT_TRUE(FileExists(run_ + L"\\data\\ecls.exe"));

    EXPECT_EQ(MessageOf(app_, "单选框11"), "更新缓存清除失败或未发现缓存文件！");
}

TEST_F(MaintenanceE2E, ClearUpdateCacheWithAFileInUseReportsFailure) {
    const std::wstring cache = run_ + L"\\data\\temp";
    CreateDirectoryW(cache.c_str(), nullptr);
    WriteFileBytes(cache + L"\\em001_32.dat.p2p", "downloading");
    WriteFileBytes(cache + L"\\info.txt", "27830");
    HANDLE busy = CreateFileW((cache + L"\\em001_32.dat.p2p").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    EXPECT_EQ(MessageOf(app_, "单选框11"), "更新缓存清除失败或未发现缓存文件！");
    CloseHandle(busy);
    EXPECT_TRUE(FileExists(cache + L"\\em001_32.dat.p2p"));
    EXPECT_FALSE(FileExists(cache + L"\\info.txt")) << "what could go went";
}

TEST_F(MaintenanceE2E, OpenQuarantineFolderShowsNoMessage) {
    app_.SelectPage(Page::Quarantine);
    app_.Click("按钮3");
    HWND folderWindow = WaitForeignWindow(app_, L"quarantine", 20s);
    Sleep(300);
    server::Screenshot("maintenance-quarantine-folder");
    EXPECT_NE(folderWindow, nullptr) << "no file manager window on the quarantine folder";
    if (folderWindow) EndProcessOf(folderWindow);
    ASSERT_TRUE(app_.WaitIdle());
    EXPECT_TRUE(app_.OpenMessageBoxes().empty());
}
