#pragma once
#include "platform/SkinnedProgressBar.h"
#include "platform/WorkerDisplay.h"
#include "ui/WindowFields.h"

// Shows the worker's changes on the main window directly: the GUI thread's end
// of the hand-over.
struct WindowWorkerDisplay final : WorkerDisplay {
    WindowFields& window;
    SkinnedProgressBar& bar;
    WindowWorkerDisplay(WindowFields& w, SkinnedProgressBar& b) : window(w), bar(b) {}
    void SetProgressText(const std::string& text) override { window.ReplaceText(TextField::ProgressText, text); }
    void SetProgressPosition(int position) override { window.SetProgressPosition(position); }
    void SetBarText(int textStyle, const std::string& text) override { bar.SetText(textStyle, text); }
    void ShowPending() override {}
};
