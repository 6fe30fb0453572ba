#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

struct HeadProbe;
struct LocalFiles;
struct SkinnedProgressBar;
struct WorkerDisplay;
struct WorkerThread;
class WorkerStop;

// The nine module files of one update, in download order.
inline constexpr int kModuleCount = 9;
inline constexpr const char* kModuleFiles[kModuleCount] = {
    "em000_32.dat", "em001_32.dat", "em003_32.dat", "em004_32.dat", "em005_32.dat",
    "em006_32.dat", "ecls.exe",     "eclsLang.dll", "em002_32.dat",
};

// The install: ten moves from the update cache into the engine folder, in this order
// (relative to the run directory, the working directory).
struct InstallMove {
    const char* from;
    const char* to;
};
inline constexpr int kInstallMoveCount = 10;
inline constexpr InstallMove kInstallList[kInstallMoveCount] = {
    {"data\\temp\\em000_32.dat", "data\\em000_32.dat"},
    {"data\\temp\\em003_32.dat", "data\\em003_32.dat"},
    {"data\\temp\\em004_32.dat", "data\\em004_32.dat"},
    {"data\\temp\\em005_32.dat", "data\\em005_32.dat"},
    {"data\\temp\\em006_32.dat", "data\\em006_32.dat"},
    {"data\\temp\\em001_32.dat", "data\\em001_32.dat"},
    {"data\\temp\\ecls.exe", "data\\ecls.exe"},
    {"data\\temp\\eclsLang.dll", "data\\eclsLang.dll"},
    {"data\\temp\\info.txt", "data\\info.txt"},
    {"data\\temp\\em002_32.dat", "data\\em002_32.dat"},
};

// Where the engine files an install replaces are kept until it is complete.
inline constexpr const char* kInstallBackupFolder = "data\\temp\\backup";

inline constexpr const char* kPartialSuffix = ".p2p";

// The one program-wide record of the database update, shared by the GUI thread
// (which fills it before a worker starts and stops the worker) and the worker.
struct UpdateState {
    WorkerThread& workerThread;        // the thread of the last worker started
    SkinnedProgressBar& progressBar;   // the skin of the update group's progress bar
    std::int32_t fileCount = 0;
    std::string updateBase;
    // Module i (1-based, in the order of kModuleFiles) is entry i - 1.
    std::array<std::string, kModuleCount> sourceUrls;
    std::array<std::string, kModuleCount> targetPaths;  // absolute, in the update cache
    std::shared_ptr<WorkerStop> workerStop;  // the stop of the last worker started

    UpdateState(WorkerThread& thread, SkinnedProgressBar& bar) : workerThread(thread), progressBar(bar) {}
};

// What the database update reaches beyond the AppContext: its state and the
// services only it uses.
struct UpdateContext {
    UpdateState& state;
    LocalFiles& localFiles;   // the downloader's files
    WorkerDisplay& display;   // the worker's window changes, handed to the GUI thread
    HeadProbe& probe;         // the availability probe
};
