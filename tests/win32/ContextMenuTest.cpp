// The registry item operations over the real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/WinRegistry.h"
#include "platform/win32/WinText.h"
#include "shellmenu/ContextMenu.h"
#include "shellmenu/RegistryItems.h"

namespace {

bool KeyThere(HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, Utf8ToWide(key).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

// The stored value with its type and byte count.
bool RawValue(HKEY root, const std::string& key, const std::string& name, DWORD& type, std::wstring& data,
              DWORD& bytes) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, Utf8ToWide(key).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    wchar_t buffer[1024] = {};
    bytes = sizeof(buffer);
    const LONG r = RegQueryValueExW(k, Utf8ToWide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                    &bytes);
    RegCloseKey(k);
    data = buffer;
    return r == ERROR_SUCCESS;
}

class ContextMenuRegistry : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScanWin32Test");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"*\\shell\\KorvaneScanWin32Test");
    }
    WinRegistry registry_;
};

}  // namespace

TEST_F(ContextMenuRegistry, WriteCreatesMissingKeysAndStoresTextWithItsZero) {
    const std::string command = BuildContextMenuCommand("C:\\Program Files\\杀毒 工具");
    ASSERT_TRUE(WriteRegistryItemText(registry_, RegRoot::ClassesRoot, "*\\shell\\KorvaneScanWin32Test\\command\\",
                                      command));
    DWORD type = 0, bytes = 0;
    std::wstring data;
    ASSERT_TRUE(RawValue(HKEY_CLASSES_ROOT, "*\\shell\\KorvaneScanWin32Test\\command", "", type, data, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(WideToUtf8(data), command);
    EXPECT_EQ(bytes, (Utf8ToWide(command).size() + 1) * sizeof(wchar_t));
    // The menu key itself carries no value: Explorer shows its name.
    EXPECT_FALSE(RawValue(HKEY_CLASSES_ROOT, "*\\shell\\KorvaneScanWin32Test", "", type, data, bytes));

    // Writing again overwrites.
    ASSERT_TRUE(WriteRegistryItemText(registry_, RegRoot::ClassesRoot, "*\\shell\\KorvaneScanWin32Test\\command\\",
                                      "second"));
    EXPECT_EQ(registry_.ReadText(RegRoot::ClassesRoot, "*\\shell\\KorvaneScanWin32Test\\command", ""), "second");
}

TEST_F(ContextMenuRegistry, DeleteTakesTheValueThenTheKeyAndNeverAKeyWithSubkeys) {
    const std::string base = "SOFTWARE\\KorvaneScanWin32Test";
    ASSERT_TRUE(WriteRegistryItemText(registry_, RegRoot::LocalMachine, base + "\\Path", "C:\\run"));
    ASSERT_TRUE(WriteRegistryItemText(registry_, RegRoot::LocalMachine, base + "\\menu\\command\\", "cmd"));

    // A key with a subkey does not go.
    EXPECT_FALSE(DeleteRegistryItem(registry_, RegRoot::LocalMachine, base + "\\menu"));
    EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, base + "\\menu\\command"));
    // No value named "command": the command key goes, its default value with it.
    EXPECT_TRUE(DeleteRegistryItem(registry_, RegRoot::LocalMachine, base + "\\menu\\command"));
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, base + "\\menu\\command"));
    EXPECT_TRUE(DeleteRegistryItem(registry_, RegRoot::LocalMachine, base + "\\menu"));
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, base + "\\menu"));

    // A named value goes alone.
    ASSERT_TRUE(WriteRegistryItemText(registry_, RegRoot::LocalMachine, base + "\\Other", "x"));
    EXPECT_TRUE(DeleteRegistryItem(registry_, RegRoot::LocalMachine, base + "\\Other"));
    EXPECT_EQ(registry_.ReadText(RegRoot::LocalMachine, base, "Path"), "C:\\run");
    // Trailing backslash, no default value: the key goes with its Path value.
    EXPECT_TRUE(DeleteRegistryItem(registry_, RegRoot::LocalMachine, base + "\\"));
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, base));
    // Gone: the deletion now fails.
    EXPECT_FALSE(DeleteRegistryItem(registry_, RegRoot::LocalMachine, base + "\\"));
    EXPECT_FALSE(DeleteRegistryItem(registry_, RegRoot::LocalMachine, base + "\\menu\\command"));
}
