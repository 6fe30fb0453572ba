#pragma once
// Helpers the update's end-to-end tests need beyond the driver.
#include <windows.h>

#include <string>

namespace e2e {

// Under Xvfb there is no window manager, and Wine's X11 driver then waits up to
// 2 s for one whenever a managed top-level window goes away (a message box
// closing, the main window at exit), even in a program that does nothing else.
// While this object lives, programs started from now on get unmanaged windows,
// so that the times the tests measure are the program's own.
class UnmanagedWindows {
public:
    UnmanagedWindows();
    ~UnmanagedWindows();
    UnmanagedWindows(const UnmanagedWindows&) = delete;
    UnmanagedWindows& operator=(const UnmanagedWindows&) = delete;

private:
    bool hadValue_ = false;
    std::wstring previous_;
};

}  // namespace e2e
