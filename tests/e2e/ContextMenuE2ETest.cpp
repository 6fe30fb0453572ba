// The Explorer context-menu entry on the real exe: registry state and messages.
#include <gtest/gtest.h>

#include "Driver.h"

#include <shellapi.h>

#include "HomeHelpers.h"

using namespace e2e;

namespace {

const std::wstring kInstallKey = L"SOFTWARE\\KorvaneScan";
const std::wstring kMenuKey = L"*\\shell\\KorvaneScan";
const std::wstring kCommandKey = L"*\\shell\\KorvaneScan\\command";

std::string MessageOf(App& app, const char* radio) {
    ChooseOnHome(app, radio);
    const MessageBoxInfo box = app.WaitMessageBox();
    if (!box) return "(no message)";
    EXPECT_EQ(box.caption, "信息：");
    app.PressOk(box);
    EXPECT_TRUE(app.WaitIdle());
    return box.text;
}

class ContextMenuE2E : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRegTree(HKEY_CLASSES_ROOT, kMenuKey);
        DeleteRegTree(HKEY_LOCAL_MACHINE, kInstallKey);
        RemoveTree(L"C:\\KorvaneScanData");
        server::Reset();
        run_ = MakeRunFolder(L"Program Files 右键");
        ASSERT_TRUE(app_.Launch(run_));
        ASSERT_TRUE(app_.WaitIdle());
    }
    void TearDown() override { DeleteRegTree(HKEY_CLASSES_ROOT, kMenuKey); }
    std::wstring run_;
    App app_;
};

}  // namespace

TEST_F(ContextMenuE2E, AddTwiceThenRemoveTwice) {
    const std::wstring command = L"\"" + run_ +
                                 L"\\data\\ecls.exe\" /unwanted /unsafe /clean-mode=rigorous /quarantine "
                                 L"/quar-dir=c:\\KorvaneScanData\\data\\quarantine "
                                 L"/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind \"%1\"";
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        // Something else in the Path value: adding writes the run folder again.
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallKey.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        const wchar_t stale[] = L"D:\\elsewhere";
        RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(stale), sizeof(stale));
        RegCloseKey(key);

        EXPECT_EQ(MessageOf(app_, "单选框3"), "添加右键扫描成功！");
        std::wstring value;
        ASSERT_TRUE(ReadRegText(HKEY_CLASSES_ROOT, kCommandKey, L"", value));
        EXPECT_EQ(value, command);
        EXPECT_FALSE(ReadRegText(HKEY_CLASSES_ROOT, kMenuKey, L"", value)) << "the menu key has no text of its own";
        ASSERT_TRUE(ReadRegText(HKEY_LOCAL_MACHINE, kInstallKey, L"Path", value));
        EXPECT_EQ(value, run_);
    }

    EXPECT_EQ(MessageOf(app_, "单选框13"), "右键扫描已卸载！");
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kCommandKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kMenuKey));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kInstallKey));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, L"*")) << "only our own keys go";

    EXPECT_EQ(MessageOf(app_, "单选框13"), "卸载右键扫描失败，未找到相应键值！");
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kInstallKey));
}

TEST_F(ContextMenuE2E, RemovingWithoutAnEntryKeepsTheInstallKey) {
    EXPECT_EQ(MessageOf(app_, "单选框13"), "卸载右键扫描失败，未找到相应键值！");
    std::wstring value;
    ASSERT_TRUE(ReadRegText(HKEY_LOCAL_MACHINE, kInstallKey, L"Path", value));
    EXPECT_EQ(value, run_);
}

TEST_F(ContextMenuE2E, CommandRunsTheScannerOnAFileWithBlanksAsOneArgument) {
    ASSERT_EQ(MessageOf(app_, "单选框3"), "添加右键扫描成功！");
    std::wstring command;
    ASSERT_TRUE(ReadRegText(HKEY_CLASSES_ROOT, kCommandKey, L"", command));
    // What Explorer does with the entry: put the clicked file in place of %1 and
    // start the command from some other folder.
    const std::wstring file = L"C:\\e2e\\可疑 文件 (1).exe";
    WriteFileBytes(file, "MZ");
    std::wstring line = command;
    line.replace(line.find(L"%1"), 2, file);

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    ASSERT_GE(argc, 2);
    EXPECT_EQ(std::wstring(argv[0]), run_ + L"\\data\\ecls.exe");
    EXPECT_EQ(std::wstring(argv[argc - 1]), file);
    LocalFree(argv);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    line.push_back(L'\0');
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\", &si, &pi));
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const auto lines = RecordedLines(run_, L"ecls-calls.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(W(lines[0]), line.substr(0, line.size() - 1));
}
