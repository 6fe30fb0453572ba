#include "platform/win32/WinLocalFiles.h"

#include <windows.h>

#include "platform/win32/WinHandles.h"
#include "platform/win32/WinText.h"

namespace {

HANDLE AsFile(LocalFileHandle h) { return reinterpret_cast<HANDLE>(h); }

LocalFileHandle Open(const std::string& path, DWORD disposition) {
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<LocalFileHandle>(file);
}

}  // namespace

bool WinLocalFiles::Exists(const std::string& path) {
    WIN32_FIND_DATAW data;
    unique_find find(FindFirstFileW(Utf8ToWide(path).c_str(), &data));
    return static_cast<bool>(find);
}

LocalFileHandle WinLocalFiles::OpenTruncate(const std::string& path) { return Open(path, CREATE_ALWAYS); }

LocalFileHandle WinLocalFiles::OpenKeep(const std::string& path) { return Open(path, OPEN_ALWAYS); }

bool WinLocalFiles::SeekEnd(LocalFileHandle file) {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(AsFile(file), zero, nullptr, FILE_END) != FALSE;
}

bool WinLocalFiles::Write(LocalFileHandle file, const void* data, std::uint32_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(AsFile(file), bytes, size, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

void WinLocalFiles::Close(LocalFileHandle file) { CloseHandle(AsFile(file)); }
