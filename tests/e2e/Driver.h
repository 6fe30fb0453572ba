#pragma once
// Drives the real KorvaneScan.exe from outside, the way UI automation does:
// finds its window, reads and clicks controls through window messages, answers
// message boxes, and talks to the local test server's control API.
// Every wait is bounded; every process started here is ended by its id.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/MainWindowLayout.h"

namespace e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// ---- Text ---------------------------------------------------------------
std::wstring W(const std::string& utf8);
std::string U8(const std::wstring& wide);

// ---- Environment set by run_e2e.py ---------------------------------------
// KORVANE_E2E_EXE (KorvaneScan.exe), KORVANE_E2E_STANDINS (folder with ecls.exe,
// KorvaneQR.exe), KORVANE_E2E_SAMPLE (the repo's sample/ folder), KORVANE_E2E_ROOT
// (a Windows folder for run folders), KORVANE_E2E_CTL (control base URL).
std::wstring EnvPath(const char* name);

// ---- Files -------------------------------------------------------------
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);  // "" when missing
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
void RemoveTree(const std::wstring& path);             // test set-up only
void CopyTree(const std::wstring& from, const std::wstring& to);
// Ends every process with that image name (for programs the app starts, e.g. notepad.exe).
void KillProcessesNamed(const std::wstring& exeName);

// A fresh run folder <root>\<name> holding KorvaneScan.exe and data\ (the sample
// run data, the stand-in ecls.exe and KorvaneQR.exe). Removed first if present.
struct RunFolderOptions {
    bool sampleData = true;  // data\info.txt and data\copyQ.cmd from sample/run/data
    bool standins = true;    // data\ecls.exe and data\KorvaneQR.exe
    bool engineFolder = true;  // false: no data\ at all
};
std::wstring MakeRunFolder(const std::wstring& name, const RunFolderOptions& options = {});

// ---- Registry ----------------------------------------------------------
// Reads a REG_SZ/REG_EXPAND_SZ value as stored; nullopt-like empty + false when missing.
bool ReadRegText(HKEY root, const std::wstring& key, const std::wstring& value, std::wstring& out);
bool RegKeyExists(HKEY root, const std::wstring& key);
void DeleteRegTree(HKEY root, const std::wstring& key);

// ---- The test server's control API (update port) -------------------------
struct LoggedRequest {
    std::string server, method, path, version;
    std::vector<std::pair<std::string, std::string>> headers;  // names as sent, in order
    std::string Header(const std::string& name) const;        // first match, case-insensitive; "" if none
    bool HasHeader(const std::string& name) const;
};
namespace server {
void Reset();
void SetBody(const std::string& path, const std::string& bytes);
void Unset(const std::string& path);
void Delete(const std::string& path);  // path answers 404
// kind and extra query parameters, e.g. Fault("/eset/Update/em001_32.dat", "cut", "after=100")
void Fault(const std::string& path, const std::string& kind, const std::string& params = "");
void Clear(const std::string& path);
std::vector<LoggedRequest> Log();
int Hits(const std::string& path);
void Screenshot(const std::string& name);  // saved by the server as <shot dir>/<name>.png
}  // namespace server

// ---- Message boxes -----------------------------------------------------
struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string text;     // UTF-8
    std::string caption;  // UTF-8
    explicit operator bool() const { return hwnd != nullptr; }
};

// ---- The running program -----------------------------------------------
class App {
public:
    App() = default;
    ~App();  // kills the process if it still runs
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Starts <runFolder>\KorvaneScan.exe and waits (bounded) for its main window.
    // Does not wait for start-up to finish: see WaitIdle.
    bool Launch(const std::wstring& runFolder, Millis timeout = 30s);
    // Waits until the window answers messages, no message box of the program is
    // open and the window is not marked busy (start-up or an event's operation
    // still running), i.e. the GUI thread is back in its event loop.
    bool WaitIdle(Millis timeout = 30s);

    DWORD Pid() const { return pi_.dwProcessId; }
    HANDLE Process() const { return pi_.hProcess; }
    HWND Main() const { return main_; }
    HWND Control(const char* layoutName) const;

    std::string Text(const char* layoutName) const;        // WM_GETTEXT, UTF-8
    std::wstring TextW(const char* layoutName) const;
    std::wstring CaptionW(HWND hwnd) const;                  // GetWindowTextW
    bool IsChecked(const char* layoutName) const;
    bool IsEnabled(const char* layoutName) const;
    bool IsVisible(const char* layoutName) const;
    int ProgressPosition() const;                            // the update bar, 0..10000

    // Shows a page the way a user does: the tab is selected and its page shown.
    void SelectPage(Page page);
    int SelectedPage() const;
    std::vector<std::string> PageTitles() const;

    // Clicks a control without waiting for what the click runs (posted BM_CLICK).
    void Click(const char* layoutName);
    // Types a text into an edit control (WM_SETTEXT).
    void SetText(const char* layoutName, const std::string& utf8);

    // News list cells (cross-process read).
    int ListRowCount() const;
    std::string ListCell(int row, int column) const;
    std::vector<std::string> ListColumnTitles() const;

    // Waits for a message box of this program; empty info on time-out.
    MessageBoxInfo WaitMessageBox(Millis timeout = 20s);
    // All message boxes of this program open right now.
    std::vector<MessageBoxInfo> OpenMessageBoxes() const;
    // Presses OK on the box and waits until it is gone.
    bool PressOk(const MessageBoxInfo& box, Millis timeout = 10s);
    // Waits for a box, checks nothing, presses OK, returns its text ("" on time-out).
    std::string AnswerMessageBox(Millis timeout = 20s);

    // Sends WM_NULL and returns how long the GUI thread took to answer (or timeout).
    Millis Ping(Millis timeout = 5s) const;

    void PressEscape();
    void Close();  // WM_CLOSE, as the close box does
    bool WaitExit(Millis timeout);
    bool Running() const;
    void Kill();

private:
    PROCESS_INFORMATION pi_{};
    HWND main_ = nullptr;
};

// Polls `condition` every 20 ms until true or the timeout; returns its last value.
template <typename F>
bool WaitFor(F condition, Millis timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        Sleep(20);
    }
}

}  // namespace e2e
