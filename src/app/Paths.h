#pragma once

// Fixed places of the program. Relative paths resolve against the run directory,
// which is the working directory for the whole run.
inline constexpr const char* kDataRoot = "C:\\KorvaneScanData";
inline constexpr const char* kDataRootData = "c:\\KorvaneScanData\\data";
inline constexpr const char* kQuarantineFolder = "c:\\KorvaneScanData\\data\\quarantine";
inline constexpr const char* kScanLog = "c:\\KorvaneScanData\\ScanLog.txt";
inline constexpr const char* kEngineFolder = "data";
inline constexpr const char* kLocalVersionFile = "data\\info.txt";
inline constexpr const char* kUpdateCache = "data\\temp";

// The install path's registry home (HKEY_LOCAL_MACHINE).
inline constexpr const char* kInstallKey = "SOFTWARE\\KorvaneScan";
inline constexpr const char* kInstallValue = "Path";
