// The wait for the copy batch file: until it ends, the calling thread's window
// keeps painting and answering other threads, and takes no input.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32/WinServices.h"
#include "platform/win32/WinText.h"

namespace {

std::string TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return WideToUtf8(temp) + "korvane-wait-" + std::to_string(GetCurrentProcessId());
}

bool FileThere(const std::string& path) {
    return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteText(const std::string& path, const std::string& text) {
    HANDLE f = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

template <typename F>
bool WaitFor(F condition, DWORD ms) {
    for (DWORD waited = 0;; waited += 20) {
        if (condition()) return true;
        if (waited >= ms) return false;
        Sleep(20);
    }
}

struct Counts {
    std::atomic<int> paints{0}, clicks{0}, keys{0};
};
Counts* g_counts = nullptr;

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            ++g_counts->paints;
            return 0;
        }
        case WM_LBUTTONDOWN: ++g_counts->clicks; return 0;
        case WM_KEYDOWN: ++g_counts->keys; return 0;
        case WM_APP: return 42;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void PressKey() {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = 'A';
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Runs the thread's messages for a while, as the event loop would.
void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

}  // namespace

TEST(RestoreCopyWait, UntilExitWaitsForTheEndPaintingAndTakingNoInput) {
    Counts counts;
    g_counts = &counts;
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KorvaneWaitTest";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"wait test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                  120, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) GTEST_SKIP() << "no desktop to make a window on";
    UpdateWindow(window);
    SetForegroundWindow(window);
    SetFocus(window);
    Pump(200);

    // A batch file that runs until the test lets it go, then leaves a marker.
    const std::string folder = TempFolder();
    CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr);
    const std::string go = folder + "\\go.txt", started = folder + "\\started.txt", done = folder + "\\done.txt";
    const std::string batch = folder + "\\gate.cmd";
    WriteText(batch, "@echo off\r\n"
                     "echo started>\"" + started + "\"\r\n"
                     ":wait\r\n"
                     "if not exist \"" + go + "\" goto wait\r\n"
                     "echo done>\"" + done + "\"\r\n");

    std::atomic<bool> sawStart{false}, answered{false}, painted{false}, returnedEarly{false};
    std::atomic<bool> waitReturned{false};
    std::thread helper([&] {
        sawStart = WaitFor([&] { return FileThere(started); }, 20000);
        // Other threads' messages are answered while the wait lasts.
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(window, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) && result == 42;
        // A part made invalid gets painted.
        const int before = counts.paints;
        InvalidateRect(window, nullptr, TRUE);
        painted = WaitFor([&] { return counts.paints > before; }, 5000);
        // A key pressed meanwhile.
        PressKey();
        Sleep(200);
        returnedEarly = waitReturned.load();
        WriteText(go, "go");
    });

    WinProcesses processes;
    const bool ok = processes.StartProgram("\"" + batch + "\"", ShowMode::Hidden, WaitMode::UntilExit);
    waitReturned = true;
    helper.join();

    EXPECT_TRUE(ok);
    EXPECT_TRUE(sawStart);
    EXPECT_FALSE(returnedEarly);
    EXPECT_TRUE(FileThere(done)) << "the wait ended before the batch file did";
    EXPECT_TRUE(answered);
    EXPECT_TRUE(painted);

    // The key pressed during the wait was not taken.
    Pump(500);
    EXPECT_EQ(counts.keys, 0);
    // Pressed now, the same key is taken: input reaches this window at all.
    PressKey();
    Pump(500);
    if (counts.keys == 0) std::cout << "[ info     ] keyboard input does not reach the window here\n";

    DestroyWindow(window);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
    for (const std::string& f : {go, started, done, batch}) DeleteFileW(Utf8ToWide(f).c_str());
    RemoveDirectoryW(Utf8ToWide(folder).c_str());
    g_counts = nullptr;
}

TEST(RestoreCopyWait, NothingStartsFromAMissingProgram) {
    WinProcesses processes;
    EXPECT_FALSE(processes.StartProgram("data\\no-such-copyQ.cmd", ShowMode::Hidden, WaitMode::UntilExit));
    EXPECT_FALSE(processes.StartProgram("\"C:\\no such folder\\KorvaneQR.exe\"", ShowMode::Normal,
                                        WaitMode::InputIdle1000));
}
