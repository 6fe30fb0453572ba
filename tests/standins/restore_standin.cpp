// Stand-in for the quarantine restore tool KorvaneQR.exe, used by the
// end-to-end tests and the run folder. It appends its command line (UTF-8,
// exactly as received, CRLF-terminated) to KorvaneQR-calls.txt beside the exe,
// shows a small window for about a second (KORVANE_QR_SLEEP_MS overrides the
// time) and exits 0.
#include "standin_common.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kCloseTimer) {
                KillTimer(window, kCloseTimer);
                DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    standin::RecordCall(L"KorvaneQR-calls.txt");
    const DWORD lifetime = static_cast<DWORD>(standin::EnvNumber(L"KORVANE_QR_SLEEP_MS", 1000));

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"KorvaneQRStandIn";
    HWND window = nullptr;
    if (RegisterClassW(&windowClass)) {
        window = CreateWindowExW(0, windowClass.lpszClassName, L"KorvaneQR (stand-in)",
                                 WS_OVERLAPPED | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT, 260, 90,
                                 nullptr, nullptr, instance, nullptr);
    }
    if (window == nullptr || !SetTimer(window, kCloseTimer, lifetime, nullptr)) {
        // No window to show (no desktop): still take as long as a real run.
        if (window != nullptr) DestroyWindow(window);
        Sleep(lifetime);
        return 0;
    }
    CreateWindowExW(0, L"STATIC", L"Restoring from quarantine...", WS_CHILD | WS_VISIBLE, 12, 14,
                    230, 20, window, nullptr, instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
