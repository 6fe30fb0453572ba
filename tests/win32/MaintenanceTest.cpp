// DeleteFolderTree over the real file system.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/WinFileSystem.h"
#include "platform/win32/WinText.h"
#include "scan/Maintenance.h"

namespace {

std::wstring W(const std::string& s) { return Utf8ToWide(s); }

bool FileThere(const std::string& path) {
    const DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool FolderThere(const std::string& path) {
    const DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
void MakeFile(const std::string& path, const std::string& text = "x") {
    HANDLE f = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}
void MakeFolder(const std::string& path) { CreateDirectoryW(W(path).c_str(), nullptr); }

// Wine can run Unix programs; used to make a Unix symbolic link, which Wine
// shows as a reparse point, where CreateSymbolicLinkW makes nothing.
bool RunUnix(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = program + L" " + arguments;
    line.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW((L"Z:" + program).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return false;
    }
    // For a Unix program Wine gives no process handle and leaves the thread
    // handle undefined: closing that value could close a live handle of ours.
    if (pi.hProcess) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return true;
}

std::wstring UnixPathOf(const std::string& path) {
    using Fn = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unixPath = toUnix(W(path).c_str());
    if (!unixPath) return {};
    std::wstring result = Utf8ToWide(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool IsLinkNow(const std::string& path) {
    const DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Makes `link` a link to the folder `target`: a Windows directory symbolic link
// where the system makes one, else (Wine) a Unix one. Returns how, or "".
std::string MakeFolderLink(const std::string& link, const std::string& target) {
    if (CreateSymbolicLinkW(W(link).c_str(), W(target).c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        IsLinkNow(link)) {
        return "CreateSymbolicLinkW";
    }
    const std::wstring unixTarget = UnixPathOf(target), unixLink = UnixPathOf(link);
    if (unixTarget.empty() || unixLink.empty()) return "";
    if (!RunUnix(L"/bin/ln", L"-s \"" + unixTarget + L"\" \"" + unixLink + L"\"")) return "";
    for (int i = 0; i < 250 && !IsLinkNow(link); ++i) Sleep(20);
    return IsLinkNow(link) ? "Unix symbolic link" : "";
}

void RemoveFolderLink(const std::string& link) {
    if (!IsLinkNow(link)) return;
    if (RemoveDirectoryW(W(link).c_str())) return;
    const std::wstring unixLink = UnixPathOf(link);
    if (!unixLink.empty()) RunUnix(L"/bin/rm", L"-f \"" + unixLink + L"\"");
    for (int i = 0; i < 250 && IsLinkNow(link); ++i) Sleep(20);
}

class MaintenanceTree : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        base_ = WideToUtf8(temp) + "korvane-tree-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        MakeFolder(base_);
        root_ = base_ + "\\data\\temp";
        MakeFolder(base_ + "\\data");
        MakeFolder(root_);
    }
    void TearDown() override { Scrub(base_); }
    // Test clean-up: make everything writable and remove it, links as links.
    static void Scrub(const std::string& folder) {
        RemoveFolderLink(folder);
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(W(folder + "\\*").c_str(), &d);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = WideToUtf8(d.cFileName);
                if (name == "." || name == "..") continue;
                const std::string child = folder + "\\" + name;
                SetFileAttributesW(W(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                if (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    RemoveFolderLink(child);
                } else if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Scrub(child);
                } else {
                    DeleteFileW(W(child).c_str());
                }
            } while (FindNextFileW(h, &d));
            FindClose(h);
        }
        RemoveDirectoryW(W(folder).c_str());
    }
    std::string base_, root_;
    WinFileSystem files_;
};

}  // namespace

TEST_F(MaintenanceTree, RemovesANestedTreeWithUnicodeNames) {
    MakeFolder(root_ + "\\a");
    MakeFolder(root_ + "\\a\\b");
    MakeFolder(root_ + "\\a\\b\\空 文件夹");
    MakeFile(root_ + "\\a\\b\\em000_32.dat.p2p");
    MakeFolder(root_ + "\\新建 文件夹");
    MakeFile(root_ + "\\新建 文件夹\\病毒库.txt");
    MakeFile(root_ + "\\info.txt");
    MakeFile(base_ + "\\data\\info.txt");
    EXPECT_TRUE(DeleteFolderTree(files_, root_));
    EXPECT_FALSE(FolderThere(root_));
    EXPECT_TRUE(FileThere(base_ + "\\data\\info.txt"));
    EXPECT_FALSE(DeleteFolderTree(files_, root_));  // nothing left to delete
}

TEST_F(MaintenanceTree, ReadOnlyFileStaysWithItsFoldersAndTheRestGoes) {
    MakeFolder(root_ + "\\a");
    MakeFolder(root_ + "\\a\\b");
    MakeFile(root_ + "\\a\\b\\locked.dat");
    SetFileAttributesW(W(root_ + "\\a\\b\\locked.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFile(root_ + "\\a\\free.dat");
    MakeFolder(root_ + "\\z");
    MakeFile(root_ + "\\z\\free.dat");
    EXPECT_FALSE(DeleteFolderTree(files_, root_));
    EXPECT_TRUE(FileThere(root_ + "\\a\\b\\locked.dat"));
    EXPECT_FALSE(FileThere(root_ + "\\a\\free.dat"));
    EXPECT_FALSE(FolderThere(root_ + "\\z"));

    SetFileAttributesW(W(root_ + "\\a\\b\\locked.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(DeleteFolderTree(files_, root_));
    EXPECT_FALSE(FolderThere(root_));
}

TEST_F(MaintenanceTree, FileHeldOpenStays) {
    MakeFile(root_ + "\\busy.dat");
    HANDLE busy = CreateFileW(W(root_ + "\\busy.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFolderTree(files_, root_));
    CloseHandle(busy);
    EXPECT_TRUE(FileThere(root_ + "\\busy.dat"));
}

TEST_F(MaintenanceTree, LinkInsideTheTreeIsNotFollowed) {
    const std::string outside = base_ + "\\outside";
    MakeFolder(outside);
    MakeFile(outside + "\\keep.txt", "precious");
    MakeFolder(outside + "\\deeper");
    MakeFile(outside + "\\deeper\\keep2.txt", "precious");
    MakeFolder(root_ + "\\sub");
    MakeFile(root_ + "\\sub\\file.dat");
    const std::string how = MakeFolderLink(root_ + "\\sub\\link", outside);
    if (how.empty()) GTEST_SKIP() << "this system makes no folder link";
    std::cout << "[ info     ] folder link made with " << how << "\n";
    ASSERT_TRUE(FileThere(root_ + "\\sub\\link\\keep.txt"));  // the link does lead outside

    const bool gone = DeleteFolderTree(files_, root_);
    EXPECT_TRUE(FileThere(outside + "\\keep.txt"));
    EXPECT_TRUE(FileThere(outside + "\\deeper\\keep2.txt"));
    EXPECT_FALSE(FileThere(root_ + "\\sub\\file.dat"));
    // Where the system can remove a link, the tree goes; where it cannot (Wine
    // keeps a Unix link to a folder with files), the tree stays with the link.
    EXPECT_EQ(gone, !FolderThere(root_));
    std::cout << "[ info     ] tree removed: " << (gone ? "yes" : "no, the link stayed") << "\n";
}

TEST_F(MaintenanceTree, TreeThatIsItselfALinkIsNotFollowed) {
    const std::string outside = base_ + "\\outside";
    MakeFolder(outside);
    MakeFile(outside + "\\keep.txt", "precious");
    const std::string link = base_ + "\\data\\cache-link";
    const std::string how = MakeFolderLink(link, outside);
    if (how.empty()) GTEST_SKIP() << "this system makes no folder link";
    const bool gone = DeleteFolderTree(files_, link);
    EXPECT_TRUE(FileThere(outside + "\\keep.txt"));
    EXPECT_EQ(gone, !IsLinkNow(link));
}
