#include "HomeHelpers.h"

#include <commctrl.h>
#include <shlobj.h>

namespace e2e {

void ChooseOnHome(App& app, const char* radio) {
    app.SelectPage(Page::Home);
    app.Click(radio);
    WaitFor([&] { return app.IsChecked(radio); }, 5s);
    app.Click("按钮2");
}

std::vector<std::string> RecordedLines(const std::wstring& runFolder, const wchar_t* file) {
    const std::string text = ReadFileBytes(runFolder + L"\\data\\" + file);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::vector<std::string> WaitForLines(const std::wstring& runFolder, const wchar_t* file, size_t count,
                                      Millis timeout) {
    std::vector<std::string> lines;
    WaitFor(
        [&] {
            lines = RecordedLines(runFolder, file);
            return lines.size() >= count;
        },
        timeout);
    return lines;
}

namespace {

struct Search {
    DWORD pid;
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if ((s->pid == 0 || pid == s->pid) && lstrcmpW(cls, s->cls) == 0 && IsWindowVisible(hwnd)) {
        s->found.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> TopLevel(DWORD pid, const wchar_t* cls) {
    Search s{pid, cls, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

BOOL CALLBACK FindTree(HWND hwnd, LPARAM lp) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (lstrcmpiW(cls, WC_TREEVIEWW) == 0) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The text of the tree's selected item, read from the program's memory.
std::wstring SelectedTreeText(const App& app, HWND tree) {
    DWORD_PTR item = 0;
    if (!SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, 5000, &item) || !item) return {};
    const size_t size = sizeof(TVITEMW) + 520 * sizeof(wchar_t);
    char* remote = static_cast<char*>(
        VirtualAllocEx(app.Process(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) return {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = reinterpret_cast<HTREEITEM>(item);
    tv.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TVITEMW));
    tv.cchTextMax = 512;
    WriteProcessMemory(app.Process(), remote, &tv, sizeof(tv), nullptr);
    DWORD_PTR ok = 0;
    SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &ok);
    wchar_t text[513] = {};
    if (ok) ReadProcessMemory(app.Process(), remote + sizeof(TVITEMW), text, 512 * sizeof(wchar_t), nullptr);
    VirtualFreeEx(app.Process(), remote, 0, MEM_RELEASE);
    return text;
}

BOOL CALLBACK FindEdit(HWND hwnd, LPARAM lp) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (lstrcmpiW(cls, L"Edit") == 0 && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND WaitFolderBrowser(const App& app, Millis timeout) {
    HWND browser = nullptr;
    WaitFor(
        [&] {
            for (HWND hwnd : TopLevel(app.Pid(), L"#32770")) {
                if (!GetDlgItem(hwnd, 0xFFFF)) {
                    browser = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return browser;
}

bool ChooseInFolderBrowser(const App& app, HWND browser, const std::wstring& folder) {
    // The path, in the program's memory, for the browser's own selection message.
    const size_t bytes = (folder.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(app.Process(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    WriteProcessMemory(app.Process(), remote, folder.c_str(), bytes, nullptr);
    // A dialog's answer to this message is not its result: the effect shows in the
    // tree. A browser still filling its tree may miss it, so select until the
    // tree's selected item is the folder itself (bounded).
    HWND tree = nullptr;
    EnumChildWindows(browser, FindTree, reinterpret_cast<LPARAM>(&tree));
    const std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
    WaitFor(
        [&] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                                10000, &ignored);
            return !tree || SelectedTreeText(app, tree) == leaf;
        },
        10s);
    VirtualFreeEx(app.Process(), remote, 0, MEM_RELEASE);

    HWND edit = nullptr;
    EnumChildWindows(browser, FindEdit, reinterpret_cast<LPARAM>(&edit));
    if (!edit) return false;
    DWORD_PTR r = 0;
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()), SMTO_ABORTIFHUNG, 5000, &r);
    // Tell the dialog the text changed, as typing does.
    SendMessageTimeoutW(browser, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(edit), EN_CHANGE), reinterpret_cast<LPARAM>(edit),
                        SMTO_ABORTIFHUNG, 5000, &r);
    PostMessageW(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(browser, IDOK)));
    return WaitFor([&] { return !IsWindow(browser); }, 10s);
}

bool CancelFolderBrowser(HWND browser) {
    PostMessageW(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(browser, IDCANCEL)));
    return WaitFor([&] { return !IsWindow(browser); }, 10s);
}

namespace {

BOOL CALLBACK CollectText(HWND hwnd, LPARAM lp) {
    wchar_t text[512] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &got);
    reinterpret_cast<std::vector<std::string>*>(lp)->push_back(U8(text));
    return TRUE;
}

}  // namespace

std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::vector<HWND> WindowsOfClass(const wchar_t* cls) { return TopLevel(0, cls); }

namespace {

struct ForeignSearch {
    DWORD excludedPid;
    std::wstring part;
    HWND found;
};

std::wstring Lower(std::wstring s) {
    CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

BOOL CALLBACK FindForeign(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<ForeignSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->excludedPid || pid == GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t title[512] = {};
    GetWindowTextW(hwnd, title, 512);
    if (Lower(title).find(Lower(s->part)) != std::wstring::npos) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND WaitForeignWindow(const App& app, const std::wstring& part, Millis timeout) {
    ForeignSearch s{app.Pid(), part, nullptr};
    WaitFor(
        [&] {
            EnumWindows(FindForeign, reinterpret_cast<LPARAM>(&s));
            return s.found != nullptr;
        },
        timeout);
    return s.found;
}

void EndProcessOf(HWND window) {
    DWORD pid = 0, desktopPid = 0;
    GetWindowThreadProcessId(window, &pid);
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopPid);
    if (!pid) return;
    if (pid == desktopPid) {  // the desktop's own process hosts the window: only close it
        PostMessageW(window, WM_CLOSE, 0, 0);
        WaitFor([&] { return !IsWindow(window); }, 5s);
        return;
    }
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(p, 1);
        WaitForSingleObject(p, 5000);
        CloseHandle(p);
    }
}

void MouseClick(const App& app, const char* layoutName) {
    HWND control = app.Control(layoutName);
    RECT r{};
    GetWindowRect(control, &r);
    SetForegroundWindow(app.Main());
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Sleep(50);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
}

}  // namespace e2e
