#include "platform/win32/WinPaintingWait.h"

#include <process.h>

#include "platform/win32/WinHandles.h"

namespace {

DWORD g_guiThread = 0;

unsigned __stdcall RunCall(void* arg) {
    (*static_cast<const std::function<void()>*>(arg))();
    return 0;
}

// Paints what is waiting to be painted and answers messages sent by other
// threads. Bounded, so a window that never validates itself cannot hold us.
void DispatchPendingPaints() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    for (int i = 0; i < 64 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) DispatchMessageW(&msg);
}

}  // namespace

void SetGuiThread() { g_guiThread = GetCurrentThreadId(); }

void WaitKeepingWindowPainted(HANDLE handle) {
    for (;;) {
        DispatchPendingPaints();
        // MWMO_INPUTAVAILABLE: a paint already pending before the wait wakes it too.
        // The short time-out keeps this thread looking for messages, which is what
        // tells the system the window is alive.
        const DWORD r = MsgWaitForMultipleObjectsEx(1, &handle, 200, QS_PAINT | QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
    }
}

void RunKeepingWindowPainted(const std::function<void()>& blockingCall) {
    if (GetCurrentThreadId() != g_guiThread) {
        blockingCall();
        return;
    }
    unique_handle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, RunCall, const_cast<std::function<void()>*>(&blockingCall), 0, nullptr)));
    if (!thread) {
        blockingCall();
        return;
    }
    WaitKeepingWindowPainted(thread.get());
}
