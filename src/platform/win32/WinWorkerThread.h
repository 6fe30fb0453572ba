#pragma once
#include <windows.h>

#include "platform/WorkerThread.h"
#include "platform/win32/WinHandles.h"

// The worker thread on CreateThread. Its message boxes are found by thread and
// closed as OK would close them.
class WinWorkerThread final : public WorkerThread {
public:
    bool Start(std::function<void()> body) override;
    bool Running() override;
    bool WaitEnded(std::uint32_t ms) override;
    void DismissMessageBoxes() override;

private:
    unique_handle thread_;
    DWORD threadId_ = 0;
};
