#include "app/Startup.h"

#include "app/AppContext.h"
#include "app/Config.h"
#include "app/Paths.h"
#include "app/ProgramRecord.h"
#include "news/NewsList.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/Registry.h"
#include "ui/WindowFields.h"
#include "update/FetchUrlBody.h"

void RunMainWindowCreatedEvent(AppContext& ctx) {
    LoadNewsList(ctx);
    OnMainWindowCreated(ctx);
}

void OnMainWindowCreated(AppContext& ctx) {
    ctx.registry.WriteText(RegRoot::LocalMachine, kInstallKey, kInstallValue, ctx.program.runDirectory);

    ctx.files.MakeFolder(kDataRoot);
    ctx.files.MakeFolder(kDataRootData);
    ctx.files.MakeFolder(kQuarantineFolder);

    ctx.program.installPath = ctx.registry.ReadText(RegRoot::LocalMachine, kInstallKey, kInstallValue);
    if (ctx.program.installPath.empty()) {
        ctx.messages.ShowMessage("未发现KorvaneScan路径");
        ctx.window.DisableRestoreButton();
    }

    const Bytes onlineVersion = bodyToText(FetchUrlBody(ctx.http, UpdateBase() + "info.txt"));
    Bytes localFile;
    ctx.files.ReadWholeFile(kLocalVersionFile, localFile);
    const Bytes localVersion = bodyToText(localFile);

    ctx.window.ReplaceTextBytes(TextField::CurrentDbVersion, localVersion);
    ctx.window.ReplaceTextBytes(TextField::OnlineDbVersion, onlineVersion);
}

std::string RunDirectoryOf(const std::string& exePath) {
    const auto slash = exePath.find_last_of('\\');
    return slash == std::string::npos ? std::string() : exePath.substr(0, slash);
}

int RunProgram(ProgramHost& host, const std::string& exePath, std::string& runDirectory) {
    runDirectory = RunDirectoryOf(exePath);
    host.SetWorkingDirectory(runDirectory);
    host.CreateSkinResources();
    if (!host.CreateMainWindow()) return 1;
    host.RunCreatedEvent();
    host.RunEventLoop();
    return 0;
}
