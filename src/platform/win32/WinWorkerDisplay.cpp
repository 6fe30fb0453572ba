#include "platform/win32/WinWorkerDisplay.h"

namespace {

constexpr wchar_t kClassName[] = L"KorvaneScanWorkerDisplay";
constexpr UINT kWakeMessage = WM_APP + 41;
constexpr UINT_PTR kTimerId = 1;

}  // namespace

WinWorkerDisplay::WinWorkerDisplay(WorkerDisplay& gui) : gui_(gui) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // fails harmlessly when already registered
    hwnd_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    lastShown_ = GetTickCount() - kMinIntervalMs;
}

WinWorkerDisplay::~WinWorkerDisplay() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK WinWorkerDisplay::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<WinWorkerDisplay*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg == kWakeMessage) {
        self->OnWake();
        return 0;
    }
    if (self && msg == WM_TIMER && wp == kTimerId) {
        self->ShowPending();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void WinWorkerDisplay::Push(DisplayChange change) {
    if (queue_.Push(std::move(change)) && hwnd_) PostMessageW(hwnd_, kWakeMessage, 0, 0);
}

void WinWorkerDisplay::SetProgressText(const std::string& text) {
    Push({DisplayChange::Kind::ProgressText, 0, text});
}

void WinWorkerDisplay::SetProgressPosition(int position) { Push({DisplayChange::Kind::Position, position, {}}); }

void WinWorkerDisplay::SetBarText(int textStyle, const std::string& text) {
    Push({DisplayChange::Kind::BarText, textStyle, text});
}

void WinWorkerDisplay::OnWake() {
    const DWORD since = GetTickCount() - lastShown_;
    if (since >= kMinIntervalMs) {
        ShowPending();
    } else if (!timerSet_) {
        // Shown a moment ago: the rest comes with the timer; the queue keeps
        // gathering meanwhile without waking us again.
        timerSet_ = SetTimer(hwnd_, kTimerId, kMinIntervalMs - since, nullptr) != 0;
        if (!timerSet_) ShowPending();
    }
}

void WinWorkerDisplay::ShowPending() {
    if (timerSet_) {
        KillTimer(hwnd_, kTimerId);
        timerSet_ = false;
    }
    lastShown_ = GetTickCount();
    ShowChanges(queue_.TakeAll(), gui_);
}
