#pragma once
#include <string>

// The three things of the main window the update worker changes from its own
// thread: the progress text line below the bar, the bar's position and the text
// on the skinned bar. An implementation hands each change to the GUI thread, in
// the order they are made, without making the worker wait for the GUI.
struct WorkerDisplay {
    virtual ~WorkerDisplay() = default;
    // Worker thread.
    virtual void SetProgressText(const std::string& text) = 0;  // UTF-8, replaces the whole line
    virtual void SetProgressPosition(int position) = 0;          // 0 to 10000
    virtual void SetBarText(int textStyle, const std::string& text) = 0;
    // GUI thread: shows at once every change handed over and not shown yet.
    virtual void ShowPending() = 0;
};
