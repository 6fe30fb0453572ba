#pragma once
#include <cstdint>
#include <functional>

// The one background thread of the program (the database update worker), as the
// GUI thread starts, watches and stops it. Every call but the body's own runs on
// the GUI thread.
struct WorkerThread {
    virtual ~WorkerThread() = default;
    // Runs body on a new thread. False when no thread could be made.
    virtual bool Start(std::function<void()> body) = 0;
    // True while the thread started last has not ended.
    virtual bool Running() = 0;
    // Waits at most `ms` for the thread to end (the GUI thread keeps answering
    // messages sent to it meanwhile). True when it has ended or none was started.
    virtual bool WaitEnded(std::uint32_t ms) = 0;
    // Closes the message boxes that the thread has open right now, as OK would.
    virtual void DismissMessageBoxes() = 0;
};
