#include "platform/win32/WinWorkerThread.h"

#include <memory>

namespace {

DWORD WINAPI ThreadEntry(void* parameter) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

BOOL CALLBACK CloseMessageBox(HWND hwnd, LPARAM) {
    wchar_t cls[16] = {};
    if (GetClassNameW(hwnd, cls, 16) && lstrcmpW(cls, L"#32770") == 0) {
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return TRUE;
}

}  // namespace

bool WinWorkerThread::Start(std::function<void()> body) {
    auto* parameter = new std::function<void()>(std::move(body));
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, parameter, 0, &id);
    if (!thread) {
        delete parameter;
        return false;
    }
    // Background work: when the processors are busy the GUI thread comes first.
    SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    thread_.reset(thread);
    threadId_ = id;
    return true;
}

bool WinWorkerThread::Running() { return thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT; }

bool WinWorkerThread::WaitEnded(std::uint32_t ms) {
    if (!thread_) return true;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        const DWORD left = waited >= ms ? 0 : ms - waited;
        HANDLE thread = thread_.get();
        // Messages sent to the GUI thread meanwhile (by the system on the
        // worker's behalf) are answered, so the worker never waits on us.
        const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return false;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (left == 0) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    }
}

void WinWorkerThread::DismissMessageBoxes() {
    if (Running()) EnumThreadWindows(threadId_, CloseMessageBox, 0);
}
