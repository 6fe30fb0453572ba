#include "platform/WorkerDisplayQueue.h"

bool WorkerDisplayQueue::Push(DisplayChange change) {
    std::lock_guard<std::mutex> lock(mutex_);
    bool replaced = false;
    if (change.kind != DisplayChange::Kind::BarText) {
        for (auto it = waiting_.rbegin(); it != waiting_.rend() && it->kind != DisplayChange::Kind::BarText; ++it) {
            if (it->kind == change.kind) {
                *it = std::move(change);
                replaced = true;
                break;
            }
        }
    }
    if (!replaced) waiting_.push_back(std::move(change));
    const bool wake = !wakePending_;
    wakePending_ = true;
    return wake;
}

std::vector<DisplayChange> WorkerDisplayQueue::TakeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<DisplayChange> taken;
    taken.swap(waiting_);
    wakePending_ = false;
    return taken;
}

void ShowChanges(const std::vector<DisplayChange>& changes, WorkerDisplay& display) {
    for (const DisplayChange& c : changes) {
        switch (c.kind) {
            case DisplayChange::Kind::ProgressText: display.SetProgressText(c.text); break;
            case DisplayChange::Kind::Position: display.SetProgressPosition(c.number); break;
            case DisplayChange::Kind::BarText: display.SetBarText(c.number, c.text); break;
        }
    }
}
