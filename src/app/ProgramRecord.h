#pragma once
#include <string>

// Program-wide values that live from process start to exit.
struct ProgramRecord {
    std::string runDirectory;      // folder of the exe, no trailing backslash; the working directory
    std::string installPath;       // "Path" as read back from the registry at start-up
    std::string lastCustomFolder;  // the folder of the last custom scan
};
