#pragma once
#include <string>

struct AppContext;

// The created event of the main window: the news list first, then the rest of start-up.
void RunMainWindowCreatedEvent(AppContext& ctx);

// Records the run directory in the registry and reads it back as the install path,
// creates the data root's folders and shows the local and online database versions.
void OnMainWindowCreated(AppContext& ctx);

// The run directory: the exe's full path cut at its last backslash.
std::string RunDirectoryOf(const std::string& exePath);

// The steps of a process's life, in the order RunProgram takes them.
struct ProgramHost {
    virtual ~ProgramHost() = default;
    virtual void SetWorkingDirectory(const std::string& runDirectory) = 0;
    virtual void CreateSkinResources() = 0;
    // Creates the main window with all its controls; false when it could not.
    virtual bool CreateMainWindow() = 0;
    virtual void RunCreatedEvent() = 0;
    virtual void RunEventLoop() = 0;  // until the main window is destroyed
};

// Process start to end: working directory, program-wide state, skin resources,
// main window, created event, event loop. Returns the process exit code.
int RunProgram(ProgramHost& host, const std::string& exePath, std::string& runDirectory);
