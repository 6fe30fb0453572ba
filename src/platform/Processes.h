#pragma once
#include <string>

enum class ShowMode { Normal, Hidden };

enum class WaitMode {
    InputIdle1000,  // wait at most 1000 ms for the new process to become idle
    UntilExit,      // wait until it ends (the window keeps painting, takes no input)
    None,
};

// Starting other programs: no application name, the command line unchanged, no
// handle inheritance, the caller's environment and working directory. Both
// handles are closed before returning; exit codes are never read.
struct Processes {
    virtual ~Processes() = default;
    // True when the process was created.
    virtual bool StartProgram(const std::string& commandLine, ShowMode show, WaitMode wait) = 0;
};
