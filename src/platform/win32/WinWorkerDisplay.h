#pragma once
#include <windows.h>

#include "platform/WorkerDisplay.h"
#include "platform/WorkerDisplayQueue.h"

// Hands the worker's display changes to the GUI thread through a hidden
// message-only window of the GUI thread: the worker queues and posts one wake-up,
// the GUI thread shows what waits, at most every kMinIntervalMs so that a fast
// download never floods it.
class WinWorkerDisplay final : public WorkerDisplay {
public:
    // GUI thread; `gui` shows the changes (on the GUI thread).
    explicit WinWorkerDisplay(WorkerDisplay& gui);
    ~WinWorkerDisplay() override;
    WinWorkerDisplay(const WinWorkerDisplay&) = delete;
    WinWorkerDisplay& operator=(const WinWorkerDisplay&) = delete;

    void SetProgressText(const std::string& text) override;
    void SetProgressPosition(int position) override;
    void SetBarText(int textStyle, const std::string& text) override;
    void ShowPending() override;

    static constexpr DWORD kMinIntervalMs = 40;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Push(DisplayChange change);
    void OnWake();

    WorkerDisplay& gui_;
    WorkerDisplayQueue queue_;
    HWND hwnd_ = nullptr;
    DWORD lastShown_ = 0;
    bool timerSet_ = false;
};
