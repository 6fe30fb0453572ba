#include "platform/win32/WinServices.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "platform/win32/WinHandles.h"
#include "platform/win32/WinPaintingWait.h"
#include "platform/win32/WinSystemLibrary.h"
#include "platform/win32/WinText.h"

void WinMessages::ShowMessage(const std::string& text, const std::string& caption) {
    MessageBoxW(nullptr, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), MB_OK | MB_TASKMODAL);
}


bool WinProcesses::StartProgram(const std::string& commandLine, ShowMode show, WaitMode wait) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(show == ShowMode::Hidden ? SW_HIDE : SW_SHOWNORMAL);
    PROCESS_INFORMATION pi{};
    std::wstring line = Utf8ToWide(commandLine);
    line.push_back(L'\0');  // CreateProcessW may write into the command line
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    unique_handle process(pi.hProcess);
    unique_handle thread(pi.hThread);
    if (wait == WaitMode::InputIdle1000) {
        WaitForInputIdle(process.get(), 1000);
    } else if (wait == WaitMode::UntilExit) {
        WaitKeepingWindowPainted(process.get());
    }
    return true;
}

void WinShell::OpenDocument(const std::string& file, const std::string& parameters) {
    const std::wstring wparams = Utf8ToWide(parameters);
    ShellExecuteW(nullptr, nullptr, Utf8ToWide(file).c_str(), wparams.empty() ? nullptr : wparams.c_str(), L"",
                  SW_SHOWNORMAL);
}

void WinShell::OpenAddress(const std::string& url) {
    const std::wstring wurl = Utf8ToWide(url);
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", wurl.c_str(), nullptr, nullptr,
                                                                SW_SHOWNORMAL));
    if (result > 32) return;
    // The shell refused: start the program registered for .htm files with the address.
    wchar_t exe[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (FAILED(AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, L".htm", L"open", exe, &size))) return;
    std::wstring line = L"\"" + std::wstring(exe) + L"\" \"" + wurl + L"\"";
    line.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

bool WinShell::PickFolder(const std::string& title, bool newStyle, std::string& folder) {
    const std::wstring wtitle = Utf8ToWide(title.empty() ? std::string("请选择目录") : title);
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = wtitle.c_str();
    bi.ulFlags = newStyle ? (BIF_NEWDIALOGSTYLE | BIF_EDITBOX) : BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&bi);
    if (!item) return false;
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    if (!ok) return false;
    folder = WideToUtf8(path);
    return true;
}

namespace {

// DoFileDownload of shdocvw.dll, the system's file-download dialog for an address;
// nullptr where the system has none.
using DownloadDialogFn = HRESULT(WINAPI*)(LPCWSTR url);

DownloadDialogFn DownloadDialog() {
    // Looked up once; shdocvw.dll then stays loaded, since the dialog may still be
    // working on its own thread after the call has returned.
    static const DownloadDialogFn entry = [] {
        HMODULE shdocvw = LoadSystemLibrary(L"shdocvw.dll");
        return shdocvw ? reinterpret_cast<DownloadDialogFn>(
                             reinterpret_cast<void*>(GetProcAddress(shdocvw, "DoFileDownload")))
                       : nullptr;
    }();
    return entry;
}

}  // namespace

void WinShell::OfferDownload(const std::string& url) {
    // The whole address, however long: a cut one would offer some other file.
    const std::wstring wurl = Utf8ToWide(url);
    if (const DownloadDialogFn dialog = DownloadDialog()) {
        dialog(wurl.c_str());
        return;
    }
    // No download dialog on this system: let the shell's default action offer the file.
    ShellExecuteW(nullptr, nullptr, wurl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::uint32_t WinClock::TickCount() { return GetTickCount(); }
void WinClock::SleepMs(std::uint32_t ms) { Sleep(ms); }
