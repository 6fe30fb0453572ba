#pragma once
#include <windows.h>

#include <functional>

// Runs a blocking call on a helper thread while the calling (GUI) thread keeps
// its windows painted and answers messages other programs send to it, so the
// window never turns into a "Not Responding" ghost. Input made meanwhile is not
// taken: clicks and keys queued during the wait are dropped when it ends.
// Called on any thread but the GUI thread, it just runs the call.
void RunKeepingWindowPainted(const std::function<void()>& blockingCall);

// Waits for a handle the same way (the window paints, takes no input).
void WaitKeepingWindowPainted(HANDLE handle);

// Marks the calling thread as the GUI thread (once, at process start).
void SetGuiThread();
