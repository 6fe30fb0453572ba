#include "scan/Maintenance.h"

#include "app/AppContext.h"
#include "app/Paths.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/Shell.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// True for a path that names a whole drive or the root of the current drive:
// "C:", "C:\", "\" (separators repeated or mixed count the same).
bool IsRootPath(const std::string& path) {
    size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1])) --end;
    if (end == 0) return true;
    return end == 2 && path[1] == ':';
}

// Removes everything inside the folder. A link is removed as a link: its
// target may lie anywhere, so it is never listed.
void EmptyFolder(FileSystem& files, const std::string& folder) {
    for (const FolderEntry& entry : files.ListFolder(folder)) {
        const std::string child = folder + "\\" + entry.name;
        if (entry.isFolder && !entry.isLink) {
            EmptyFolder(files, child);
            files.RemoveFolder(child);
        } else if (entry.isFolder) {
            files.RemoveFolder(child);
        } else {
            files.RemoveFile(child);
        }
    }
}

}  // namespace

bool DeleteFolderTree(FileSystem& files, const std::string& path) {
    const size_t start = path.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    std::string folder = path.substr(start);
    if (IsRootPath(folder)) return false;
    while (IsSeparator(folder.back())) folder.pop_back();

    // The folder itself may be a link: then only the link goes.
    if (!files.IsLink(folder)) EmptyFolder(files, folder);
    return files.RemoveFolder(folder);
}

void ViewScanLog(AppContext& ctx) {
    if (!ctx.files.Exists(kScanLog)) {
        ctx.messages.ShowMessage("未发现扫描日志！");
        return;
    }
    ctx.shell.OpenDocument("notepad.exe", kScanLog);
}

void ClearScanLog(AppContext& ctx) {
    ctx.messages.ShowMessage(ctx.files.RemoveFile(kScanLog) ? "扫描日志已成功清除！" : "未发现扫描日志！");
}

void ClearQuarantine(AppContext& ctx) {
    // The quarantine's parent goes with it; start-up creates both again.
    ctx.messages.ShowMessage(DeleteFolderTree(ctx.files, kDataRootData) ? "隔离文件已成功清除！" : "未发现已隔离文件！");
}

void ClearUpdateCache(AppContext& ctx) {
    ctx.messages.ShowMessage(DeleteFolderTree(ctx.files, kUpdateCache) ? "更新缓存已成功清除！"
                                                                       : "更新缓存清除失败或未发现缓存文件！");
}

void OpenQuarantineFolder(AppContext& ctx) { ctx.shell.OpenDocument(kQuarantineFolder, ""); }
