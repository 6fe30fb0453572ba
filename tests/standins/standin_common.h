// Helpers shared by the stand-in programs that the end-to-end tests and the
// run folder use in place of the real scanner and restore tool.
#pragma once

#include <windows.h>

#include <string>

namespace standin {

inline std::string ToUtf8(const wchar_t* text) {
    if (text == nullptr || *text == L'\0') return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

// Folder of this exe with a trailing backslash.
inline std::wstring ExeFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L".\\";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // truncated: try a bigger buffer
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
}

inline bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Appends `line` + CRLF to `path` in one write, so that several copies running
// at once each leave a whole line. Retries briefly while another copy has the
// file open without sharing.
inline bool AppendLine(const std::wstring& path, const std::string& line) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const bool ok = WriteAll(file, line + "\r\n");
            CloseHandle(file);
            return ok;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) return false;
        Sleep(20);
    }
    return false;
}

// Records this run's command line, exactly as received, beside the exe.
inline bool RecordCall(const wchar_t* fileName) {
    return AppendLine(ExeFolder() + fileName, ToUtf8(GetCommandLineW()));
}

// A whole number from the environment, or `fallback` if unset or not a number.
inline long EnvNumber(const wchar_t* name, long fallback) {
    wchar_t buffer[32];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32);
    if (n == 0 || n >= 32) return fallback;
    wchar_t* end = nullptr;
    const long value = wcstol(buffer, &end, 10);
    return (end != buffer && *end == L'\0') ? value : fallback;
}

}  // namespace standin
