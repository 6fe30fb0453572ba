#pragma once
#include <string>

struct AppContext;
struct HeadProbe;

// Starts or stops the signature database update, by the selected radio button.
void DatabaseUpdateAction(AppContext& ctx);
// Stops a running update worker; bound to the main window's destruction too.
// Returns within a second; from then on the worker changes no file, window text
// or message, and a message box it had open is closed.
void StopUpdateWorker(AppContext& ctx);
// True when the server answers a HEAD request for the URL with status 200.
bool ProbeUrl(HeadProbe& probe, const std::string& url);

// How long StopUpdateWorker waits for the worker to leave. A worker still blocked
// in a network read after this has been cut off from every change and leaves
// when the read returns.
inline constexpr unsigned kStopWaitMs = 800;

inline constexpr const char* kUpdateCaption = "数据库更新";
inline constexpr const char* kMsgDatabaseCurrent = "数据库已是最新，无需下载！";
inline constexpr const char* kMsgDatabaseOutdated = "数据库不是最新，需要下载最新版本！";
inline constexpr const char* kMsgNetworkBusy = "网络繁忙，请稍候更新！";
