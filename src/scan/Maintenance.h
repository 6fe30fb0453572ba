#pragma once
#include <string>

struct AppContext;
struct FileSystem;

// Deletes a folder with everything in it. Refuses (false, disk untouched) an
// empty or blank path and a drive or volume root. Links inside the tree are
// removed as links and never entered, so nothing outside the tree is touched.
// Failures on the way are passed over; read-only files stay. True exactly when
// the folder itself is gone at the end.
bool DeleteFolderTree(FileSystem& files, const std::string& path);

// The maintenance choices of page Home.
void ViewScanLog(AppContext& ctx);
void ClearScanLog(AppContext& ctx);
void ClearQuarantine(AppContext& ctx);
void ClearUpdateCache(AppContext& ctx);

// Opens the quarantine folder in the file manager.
void OpenQuarantineFolder(AppContext& ctx);
