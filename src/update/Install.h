#pragma once
#include <string>

struct FileSystem;

// Moves a file over another: rename, else copy over the target and delete the
// source. True when the rename or the copy succeeded, whether or not the delete did.
bool MoveReplacing(FileSystem& files, const std::string& from, const std::string& to);

// Installs the ten files of the update cache into the engine folder in the order
// of kInstallList, all or nothing: each engine file that is replaced is kept in
// the backup folder until all ten moves are done. If any move fails, the files
// already moved go back into the update cache, the engine's own copies are put
// back, and the result is false.
bool InstallDownloadedFiles(FileSystem& files);
