#include <gtest/gtest.h>

#include <windows.h>

#include "Driver.h"
#include "platform/win32/WinRegistry.h"

namespace {

const wchar_t* kKey = L"SOFTWARE\\KorvaneScanTest";

struct RegistryTest : ::testing::Test {
    void SetUp() override { e2e::DeleteRegTree(HKEY_LOCAL_MACHINE, kKey); }
    void TearDown() override { e2e::DeleteRegTree(HKEY_LOCAL_MACHINE, kKey); }

    static void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(k);
    }
    WinRegistry registry;
};

}  // namespace

TEST_F(RegistryTest, ReadsTextTypesAndNothingElse) {
    const wchar_t sz[] = L"C:\\扫描 程序";
    SetRaw(L"Sz", REG_SZ, sz, sizeof(sz));
    const wchar_t expand[] = L"%SystemRoot%\\data";
    SetRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
    const DWORD number = 42;
    SetRaw(L"Dword", REG_DWORD, &number, sizeof(number));
    const wchar_t noZero[] = {L'a', L'b'};
    SetRaw(L"NoTerminator", REG_SZ, noZero, sizeof(noZero));

    EXPECT_EQ(registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest", "Sz"), "C:\\扫描 程序");
    wchar_t systemRoot[MAX_PATH] = {};
    GetEnvironmentVariableW(L"SystemRoot", systemRoot, MAX_PATH);
    ASSERT_NE(systemRoot[0], L'\0');
    EXPECT_EQ(registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest", "Expand"),
              e2e::U8(systemRoot) + "\\data");
    EXPECT_EQ(registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest", "Dword"), "");
    EXPECT_EQ(registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest", "NoTerminator"), "ab");
    EXPECT_EQ(registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest", "Missing"), "");
    EXPECT_EQ(registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\NoSuchKeyHere", "Path"), "");
}

TEST_F(RegistryTest, WriteCreatesMissingKeysAndStoresRegSzWithItsTerminator) {
    ASSERT_TRUE(registry.WriteText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\a\\b", "Path", "D:\\工具"));
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScanTest\\a\\b", 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD type = 0;
    wchar_t data[64] = {};
    DWORD size = sizeof(data);
    ASSERT_EQ(RegQueryValueExW(k, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(data), &size), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, (lstrlenW(L"D:\\工具") + 1) * sizeof(wchar_t));
    EXPECT_STREQ(data, L"D:\\工具");
    // Writing again replaces the value; the default value is the empty name.
    ASSERT_TRUE(registry.WriteText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\a\\b", "Path", "E:\\x"));
    ASSERT_TRUE(registry.WriteText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\a\\b", "", "default"));
    EXPECT_EQ(registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\a\\b", "Path"), "E:\\x");
    EXPECT_EQ(registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\a\\b", ""), "default");
}

TEST_F(RegistryTest, DeleteValueAndKeyWithTheirFailures) {
    ASSERT_TRUE(registry.WriteText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\child", "v", "1"));
    EXPECT_TRUE(registry.DeleteValue(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\child", "v"));
    EXPECT_FALSE(registry.DeleteValue(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\child", "v"));
    EXPECT_FALSE(registry.DeleteValue(RegRoot::LocalMachine, "SOFTWARE\\NoSuchKeyHere", "v"));
    EXPECT_FALSE(registry.DeleteKey(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest")) << "it has a subkey";
    EXPECT_TRUE(registry.DeleteKey(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest\\child"));
    EXPECT_TRUE(registry.DeleteKey(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScanTest"));
    EXPECT_FALSE(e2e::RegKeyExists(HKEY_LOCAL_MACHINE, kKey));
}

TEST_F(RegistryTest, ClassesRootIsWritable) {
    ASSERT_TRUE(registry.WriteText(RegRoot::ClassesRoot, "*\\shell\\KorvaneScanTest\\command", "", "x %1"));
    EXPECT_EQ(registry.ReadText(RegRoot::ClassesRoot, "*\\shell\\KorvaneScanTest\\command", ""), "x %1");
    EXPECT_TRUE(registry.DeleteKey(RegRoot::ClassesRoot, "*\\shell\\KorvaneScanTest\\command"));
    EXPECT_TRUE(registry.DeleteKey(RegRoot::ClassesRoot, "*\\shell\\KorvaneScanTest"));
}
