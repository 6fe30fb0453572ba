#include "Driver.h"

#include "ui/MainWindow_win.h"

#include <commctrl.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace e2e {

// ---- Text ---------------------------------------------------------------
std::wstring W(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string U8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring EnvPath(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) throw std::runtime_error(std::string("environment variable not set: ") + name);
    return W(v);
}

// ---- Files -------------------------------------------------------------
bool FileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string data;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
    CloseHandle(f);
    return data;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + U8(path));
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

void RemoveTree(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY) || (a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(a & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(path.c_str());
        else RemoveDirectoryW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
        } while (FindNextFileW(h, &d));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((from + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CopyTree(from + L"\\" + name, to + L"\\" + name);
        else CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
    } while (FindNextFileW(h, &d));
    FindClose(h);
}

std::wstring MakeRunFolder(const std::wstring& name, const RunFolderOptions& options) {
    const std::wstring root = EnvPath("KORVANE_E2E_ROOT");
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring folder = root + L"\\" + name;
    RemoveTree(folder);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) throw std::runtime_error("cannot create " + U8(folder));
    if (!CopyFileW(EnvPath("KORVANE_E2E_EXE").c_str(), (folder + L"\\KorvaneScan.exe").c_str(), FALSE)) {
        throw std::runtime_error("cannot copy KorvaneScan.exe");
    }
    if (!options.engineFolder) return folder;
    const std::wstring data = folder + L"\\data";
    CreateDirectoryW(data.c_str(), nullptr);
    if (options.sampleData) CopyTree(EnvPath("KORVANE_E2E_SAMPLE") + L"\\run\\data", data);
    if (options.standins) {
        const std::wstring standins = EnvPath("KORVANE_E2E_STANDINS");
        CopyFileW((standins + L"\\ecls.exe").c_str(), (data + L"\\ecls.exe").c_str(), FALSE);
        CopyFileW((standins + L"\\KorvaneQR.exe").c_str(), (data + L"\\KorvaneQR.exe").c_str(), FALSE);
    }
    return folder;
}

void KillProcessesNamed(const std::wstring& exeName) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof(pe);
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (lstrcmpiW(pe.szExeFile, exeName.c_str()) != 0) continue;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID)) {
            TerminateProcess(p, 1);
            WaitForSingleObject(p, 5000);
            CloseHandle(p);
        }
    }
    CloseHandle(snap);
}

// ---- Registry ----------------------------------------------------------
bool ReadRegText(HKEY root, const std::wstring& key, const std::wstring& value, std::wstring& out) {
    out.clear();
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool ok = RegQueryValueExW(k, value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    if (ok) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        ok = RegQueryValueExW(k, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
             ERROR_SUCCESS;
        if (ok) out = buffer.c_str();
    }
    RegCloseKey(k);
    return ok;
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

void DeleteRegTree(HKEY root, const std::wstring& key) { RegDeleteTreeW(root, key.c_str()); }

// ---- The test server's control API -------------------------------------
namespace {

struct HttpResult {
    DWORD status = 0;
    std::string body;
};

HttpResult CtlRequest(const wchar_t* verb, const std::string& pathAndQuery, const std::string& body = "") {
    // KORVANE_E2E_CTL is "http://127.0.0.1:PORT".
    const std::string base = U8(EnvPath("KORVANE_E2E_CTL"));
    const auto colon = base.rfind(':');
    const INTERNET_PORT port = static_cast<INTERNET_PORT>(std::atoi(base.c_str() + colon + 1));
    const std::wstring host = W(base.substr(7, colon - 7));
    HttpResult result;
    HINTERNET root = InternetOpenW(L"korvane-e2e", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET conn = root ? InternetConnectW(root, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                          : nullptr;
    HINTERNET req = conn ? HttpOpenRequestW(conn, verb, W(pathAndQuery).c_str(), nullptr, nullptr, nullptr,
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                         : nullptr;
    if (req && HttpSendRequestW(req, nullptr, 0, const_cast<char*>(body.data()), static_cast<DWORD>(body.size()))) {
        DWORD size = sizeof(result.status);
        HttpQueryInfoW(req, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &result.status, &size, nullptr);
        char buffer[8192];
        DWORD got = 0;
        while (InternetReadFile(req, buffer, sizeof(buffer), &got) && got > 0) result.body.append(buffer, got);
    }
    if (req) InternetCloseHandle(req);
    if (conn) InternetCloseHandle(conn);
    if (root) InternetCloseHandle(root);
    if (result.status != 200) {
        throw std::runtime_error("control request failed: " + pathAndQuery + " -> " + std::to_string(result.status) +
                                 " " + result.body);
    }
    return result;
}

std::string Encode(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

}  // namespace

std::string LoggedRequest::Header(const std::string& name) const {
    for (const auto& [n, v] : headers) {
        if (lstrcmpiA(n.c_str(), name.c_str()) == 0) return v;
    }
    return {};
}

bool LoggedRequest::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& h) { return lstrcmpiA(h.first.c_str(), name.c_str()) == 0; });
}

namespace server {
void Reset() { CtlRequest(L"POST", "/_ctl/reset"); }
void SetBody(const std::string& path, const std::string& bytes) { CtlRequest(L"POST", "/_ctl/set?path=" + Encode(path), bytes); }
void Unset(const std::string& path) { CtlRequest(L"POST", "/_ctl/unset?path=" + Encode(path)); }
void Delete(const std::string& path) { CtlRequest(L"POST", "/_ctl/delete?path=" + Encode(path)); }
void Fault(const std::string& path, const std::string& kind, const std::string& params) {
    CtlRequest(L"POST", "/_ctl/fault?path=" + Encode(path) + "&kind=" + kind + (params.empty() ? "" : "&" + params));
}
void Clear(const std::string& path) { CtlRequest(L"POST", "/_ctl/clear?path=" + Encode(path)); }
int Hits(const std::string& path) { return std::atoi(CtlRequest(L"GET", "/_ctl/hits?path=" + Encode(path)).body.c_str()); }
void Screenshot(const std::string& name) { CtlRequest(L"POST", "/_ctl/screenshot?name=" + Encode(name)); }

std::vector<LoggedRequest> Log() {
    const std::string text = CtlRequest(L"GET", "/_ctl/log").body;
    std::vector<LoggedRequest> log;
    std::istringstream in(text);
    std::string line;
    LoggedRequest* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            current = nullptr;
            continue;
        }
        if (!current) {
            LoggedRequest r;
            std::istringstream first(line);
            first >> r.server >> r.method >> r.path >> r.version;
            log.push_back(r);
            current = &log.back();
        } else {
            const auto colon = line.find(':');
            std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
            if (!value.empty() && value[0] == ' ') value.erase(0, 1);
            current->headers.emplace_back(line.substr(0, colon), value);
        }
    }
    return log;
}
}  // namespace server

// ---- The running program -----------------------------------------------
namespace {

constexpr wchar_t kMainClass[] = L"KorvaneScanMainWindow";

struct FindTopLevel {
    DWORD pid;
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindTopLevel*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == f->pid && lstrcmpW(cls, f->cls) == 0) f->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* cls) {
    FindTopLevel f{pid, cls, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

struct FindChild {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildById(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindChild*>(lp);
    if (GetDlgCtrlID(hwnd) == f->id) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                        &got);
    text.resize(got);
    return text;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

// Memory in the program's address space for messages that carry pointers.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size) : process_(process) {
        ptr_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (ptr_) VirtualFreeEx(process_, ptr_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    char* get() const { return static_cast<char*>(ptr_); }
    void Write(size_t offset, const void* data, size_t size) const {
        WriteProcessMemory(process_, get() + offset, data, size, nullptr);
    }
    void Read(size_t offset, void* data, size_t size) const {
        ReadProcessMemory(process_, get() + offset, data, size, nullptr);
    }

private:
    HANDLE process_;
    void* ptr_ = nullptr;
};

}  // namespace

App::~App() { Kill(); }

bool App::Launch(const std::wstring& runFolder, Millis timeout) {
    const std::wstring exe = runFolder + L"\\KorvaneScan.exe";
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, runFolder.c_str(), &si, &pi_)) {
        return false;
    }
    return WaitFor(
        [&] {
            const auto windows = TopLevelWindows(pi_.dwProcessId, kMainClass);
            main_ = windows.empty() ? nullptr : windows.front();
            return main_ != nullptr;
        },
        timeout);
}

bool App::WaitIdle(Millis timeout) {
    return WaitFor(
        [&] {
            return Ping(1s) < 1s && OpenMessageBoxes().empty() && !GetPropW(main_, kBusyProperty);
        },
        timeout);
}

HWND App::Control(const char* layoutName) const {
    const LayoutRow* row = FindLayoutRow(layoutName);
    if (!row || !main_) return nullptr;
    FindChild f{ControlIdOf(*row), nullptr};
    EnumChildWindows(main_, FindChildById, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

std::wstring App::TextW(const char* layoutName) const { return WindowText(Control(layoutName)); }
std::string App::Text(const char* layoutName) const { return U8(TextW(layoutName)); }

std::wstring App::CaptionW(HWND hwnd) const {
    wchar_t buffer[4096] = {};
    GetWindowTextW(hwnd, buffer, 4096);
    return buffer;
}

bool App::IsChecked(const char* layoutName) const { return Send(Control(layoutName), BM_GETCHECK) == BST_CHECKED; }
bool App::IsEnabled(const char* layoutName) const { return IsWindowEnabled(Control(layoutName)) != FALSE; }
bool App::IsVisible(const char* layoutName) const { return IsWindowVisible(Control(layoutName)) != FALSE; }
int App::ProgressPosition() const { return static_cast<int>(Send(Control("进度条1"), PBM_GETPOS)); }

void App::SelectPage(Page page) {
    HWND tab = Control("选择夹1");
    // Setting the focus item of a tab control without button style selects it and
    // notifies the parent, as a click on the tab does.
    Send(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(page));
    WaitFor([&] { return SelectedPage() == static_cast<int>(page); }, 2s);
}

int App::SelectedPage() const { return static_cast<int>(Send(Control("选择夹1"), TCM_GETCURSEL)); }

std::vector<std::string> App::PageTitles() const {
    HWND tab = Control("选择夹1");
    std::vector<std::string> titles;
    const int count = static_cast<int>(Send(tab, TCM_GETITEMCOUNT));
    RemoteBuffer remote(pi_.hProcess, sizeof(TCITEMW) + 512 * sizeof(wchar_t));
    for (int i = 0; i < count; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote.get() + sizeof(TCITEMW));
        item.cchTextMax = 512;
        remote.Write(0, &item, sizeof(item));
        wchar_t zero[512] = {};
        remote.Write(sizeof(TCITEMW), zero, sizeof(zero));
        Send(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.get()));
        wchar_t text[512] = {};
        remote.Read(sizeof(TCITEMW), text, sizeof(text) - sizeof(wchar_t));
        titles.push_back(U8(text));
    }
    return titles;
}

void App::Click(const char* layoutName) { PostMessageW(Control(layoutName), BM_CLICK, 0, 0); }

void App::SetText(const char* layoutName, const std::string& utf8) {
    const std::wstring w = W(utf8);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(Control(layoutName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()), SMTO_ABORTIFHUNG,
                        5000, &r);
}

int App::ListRowCount() const { return static_cast<int>(Send(Control("超级列表框_国内"), LVM_GETITEMCOUNT)); }

std::string App::ListCell(int row, int column) const {
    RemoteBuffer remote(pi_.hProcess, sizeof(LVITEMW) + 4096 * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote.get() + sizeof(LVITEMW));
    item.cchTextMax = 4096;
    remote.Write(0, &item, sizeof(item));
    const auto n = Send(Control("超级列表框_国内"), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(remote.get()));
    std::wstring text(static_cast<size_t>(n), L'\0');
    if (n > 0) remote.Read(sizeof(LVITEMW), text.data(), static_cast<size_t>(n) * sizeof(wchar_t));
    return U8(text);
}

std::vector<std::string> App::ListColumnTitles() const {
    HWND list = Control("超级列表框_国内");
    std::vector<std::string> titles;
    RemoteBuffer remote(pi_.hProcess, sizeof(LVCOLUMNW) + 512 * sizeof(wchar_t));
    for (int c = 0;; ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        col.pszText = reinterpret_cast<wchar_t*>(remote.get() + sizeof(LVCOLUMNW));
        col.cchTextMax = 512;
        remote.Write(0, &col, sizeof(col));
        wchar_t zero[512] = {};
        remote.Write(sizeof(LVCOLUMNW), zero, sizeof(zero));
        if (!Send(list, LVM_GETCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(remote.get()))) break;
        wchar_t text[512] = {};
        remote.Read(sizeof(LVCOLUMNW), text, sizeof(text) - sizeof(wchar_t));
        titles.push_back(U8(text));
    }
    return titles;
}

std::vector<MessageBoxInfo> App::OpenMessageBoxes() const {
    std::vector<MessageBoxInfo> boxes;
    for (HWND hwnd : TopLevelWindows(pi_.dwProcessId, L"#32770")) {
        if (!IsWindowVisible(hwnd)) continue;
        MessageBoxInfo info;
        info.hwnd = hwnd;
        info.caption = U8(CaptionW(hwnd));
        if (HWND text = GetDlgItem(hwnd, 0xFFFF)) info.text = U8(WindowText(text));
        boxes.push_back(info);
    }
    return boxes;
}

MessageBoxInfo App::WaitMessageBox(Millis timeout) {
    MessageBoxInfo found;
    WaitFor(
        [&] {
            const auto boxes = OpenMessageBoxes();
            for (const auto& box : boxes) {
                // A box just created may not show its text yet: every box of the program has one.
                if (GetDlgItem(box.hwnd, 0xFFFF) && !box.text.empty()) {
                    found = box;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

bool App::PressOk(const MessageBoxInfo& box, Millis timeout) {
    if (!box.hwnd) return false;
    PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitFor([&] { return !IsWindow(box.hwnd); }, timeout);
}

std::string App::AnswerMessageBox(Millis timeout) {
    const MessageBoxInfo box = WaitMessageBox(timeout);
    if (!box) return {};
    PressOk(box);
    return box.text;
}

Millis App::Ping(Millis timeout) const {
    const auto start = std::chrono::steady_clock::now();
    DWORD_PTR r = 0;
    if (!main_ || !SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout.count()), &r)) {
        return timeout;
    }
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
}

void App::PressEscape() {
    PostMessageW(main_, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(main_, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void App::Close() { PostMessageW(main_, WM_CLOSE, 0, 0); }

bool App::WaitExit(Millis timeout) {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool App::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

void App::Kill() {
    if (!pi_.hProcess) return;
    if (Running()) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 10000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    pi_ = {};
    main_ = nullptr;
}

}  // namespace e2e
