#pragma once
#include <string>

struct AppContext;

// The front end's own version, built in.
inline constexpr const char* kProgramVersion = "1.5.1.1";

// True when `server` sorts after `local` as a byte string: byte by byte as unsigned
// values, the first differing byte decides, a prefix sorts first. Versions are never
// read as numbers, so "1.10" sorts before "1.5".
bool IsNewerRelease(const std::string& local, const std::string& server);

// Fetches the release version file, shows both versions, tells whether a newer
// release exists and, when one does, offers the release package for download.
void CheckProgramVersion(AppContext& ctx);

// Hands the release URL field's text to the system's download dialog.
void OpenReleaseDownload(AppContext& ctx);
