#include "update/VersionCheck.h"

#include <algorithm>

#include "app/AppContext.h"
#include "app/Config.h"
#include "platform/Messages.h"
#include "platform/Shell.h"
#include "ui/WindowFields.h"
#include "update/FetchUrlBody.h"

namespace {

constexpr const char* kVersionCaption = "版本更新";
constexpr const char* kNewerRelease = "检测到最新版本,点击确定下载新版本！";
constexpr const char* kAlreadyCurrent = "当前版本已是最新！";

}  // namespace

bool IsNewerRelease(const std::string& local, const std::string& server) {
    return std::lexicographical_compare(local.begin(), local.end(), server.begin(), server.end(),
                                        [](char a, char b) {
                                            return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
                                        });
}

void CheckProgramVersion(AppContext& ctx) {
    // The whole body is the version: no trimming, a trailing line end stays.
    const Bytes serverVersion = FetchUrlText(ctx.http, UpdateBase() + "inf.txt");
    const std::string localVersion = kProgramVersion;
    ctx.window.ReplaceText(TextField::CurrentVersion, localVersion);
    ctx.window.ReplaceTextBytes(TextField::OnlineVersion, serverVersion);
    if (IsNewerRelease(localVersion, serverVersion)) {
        // The box offers no choice: the download dialog always follows it.
        ctx.messages.ShowMessage(kNewerRelease, kVersionCaption);
        OpenReleaseDownload(ctx);
    } else {
        ctx.messages.ShowMessage(kAlreadyCurrent, kVersionCaption);
    }
}

void OpenReleaseDownload(AppContext& ctx) {
    ctx.shell.OfferDownload(ctx.window.ReadText(TextField::ReleaseUrl));
}
