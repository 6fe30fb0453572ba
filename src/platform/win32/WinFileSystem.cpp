#include "platform/win32/WinFileSystem.h"

#include "platform/win32/WinHandles.h"
#include "platform/win32/WinText.h"

bool WinFileSystem::ReadWholeFile(const std::string& path, Bytes& out) {
    out.clear();
    unique_file file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    Bytes data(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < data.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &got, nullptr)) {
            return false;
        }
        if (got == 0) break;
        done += got;
    }
    data.resize(done);
    out = std::move(data);
    return true;
}

bool WinFileSystem::WriteWholeFile(const std::string& path, const Bytes& data) {
    unique_file file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return data.empty() ||
           (WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
            written == data.size());
}

bool WinFileSystem::MakeFolder(const std::string& path) {
    return CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr) != FALSE;
}

bool WinFileSystem::Exists(const std::string& path) {
    WIN32_FIND_DATAW data;
    unique_find find(FindFirstFileW(Utf8ToWide(path).c_str(), &data));
    return static_cast<bool>(find);
}

bool WinFileSystem::RemoveFile(const std::string& path) { return DeleteFileW(Utf8ToWide(path).c_str()) != FALSE; }

bool WinFileSystem::RemoveFolder(const std::string& path) {
    return RemoveDirectoryW(Utf8ToWide(path).c_str()) != FALSE;
}

bool WinFileSystem::IsLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::vector<FolderEntry> WinFileSystem::ListFolder(const std::string& path) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data;
    unique_find find(FindFirstFileW(Utf8ToWide(path + "\\*").c_str(), &data));
    if (!find) return entries;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        FolderEntry entry;
        entry.name = WideToUtf8(name);
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(std::move(entry));
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

bool WinFileSystem::RenameFile(const std::string& from, const std::string& to) {
    return MoveFileW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str()) != FALSE;
}

bool WinFileSystem::CopyFileOver(const std::string& from, const std::string& to) {
    return CopyFileW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), FALSE) != FALSE;
}
