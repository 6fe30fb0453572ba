#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "platform/WorkerDisplay.h"

// One change of the worker's display, waiting for the GUI thread.
struct DisplayChange {
    enum class Kind { ProgressText, Position, BarText };
    Kind kind;
    int number = 0;    // the position, or the bar text's style
    std::string text;  // the progress text or bar text
};

// The hand-over of the worker's display changes to the GUI thread, in order.
// The worker never waits: it queues and, when nothing was waiting, wakes the GUI
// thread once. A new progress text or position replaces one of its kind that is
// still waiting with no bar text after it, so the GUI shows the latest figures
// and every bar text in the order they were made, however far behind it is, and
// the queue stays small however fast the chunks come.
class WorkerDisplayQueue {
public:
    // Worker thread. True when the GUI thread must be woken: nothing was waiting.
    bool Push(DisplayChange change);
    // GUI thread: takes what waits, oldest first; the next Push wakes again.
    std::vector<DisplayChange> TakeAll();

private:
    std::mutex mutex_;
    std::vector<DisplayChange> waiting_;
    bool wakePending_ = false;
};

// Shows the changes, in order, through a display of the GUI thread.
void ShowChanges(const std::vector<DisplayChange>& changes, WorkerDisplay& display);
