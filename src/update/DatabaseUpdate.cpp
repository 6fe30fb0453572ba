#include "update/DatabaseUpdate.h"

#include <cstdint>
#include <memory>

#include "app/AppContext.h"
#include "app/Config.h"
#include "app/Paths.h"
#include "app/ProgramRecord.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/HeadProbe.h"
#include "platform/Messages.h"
#include "platform/SkinnedProgressBar.h"
#include "platform/WorkerDisplay.h"
#include "platform/WorkerThread.h"
#include "ui/WindowFields.h"
#include "update/FetchUrlBody.h"
#include "update/ProgressText.h"
#include "update/UpdateState.h"
#include "update/UpdateWorker.h"
#include "update/WorkerStop.h"

namespace {

constexpr const char* kServerVersionCopy = "data\\temp\\info.txt";

void StartWorker(AppContext& ctx, UpdateContext& update) {
    UpdateState& state = update.state;
    auto stop = std::make_shared<WorkerStop>(ctx.http);
    UpdateJob job;
    job.fileCount = state.fileCount;
    job.sourceUrls = state.sourceUrls;
    job.targetPaths = state.targetPaths;
    WorkerServices services{ctx.http, update.localFiles, ctx.files, ctx.messages, ctx.clock, update.display};
    state.workerStop = stop;
    state.workerThread.Start([services, stop, job]() mutable { UpdateWorker(services, *stop, job); });
}

void StartDatabaseUpdate(AppContext& ctx, UpdateContext& update) {
    UpdateState& state = update.state;
    // One worker at a time: a new start replaces an update still running.
    if (state.workerStop && state.workerThread.Running()) StopUpdateWorker(ctx);

    const Bytes serverText = FetchUrlText(ctx.http, UpdateBase() + "info.txt");
    Bytes localFile;
    ctx.files.ReadWholeFile(kLocalVersionFile, localFile);
    const Bytes localText = bodyToText(localFile);
    ctx.window.ReplaceTextBytes(TextField::CurrentDbVersion, localText);
    ctx.window.ReplaceTextBytes(TextField::OnlineDbVersion, serverText);

    if (localText == serverText) {
        ctx.messages.ShowMessage(kMsgDatabaseCurrent, kUpdateCaption);
        return;
    }
    ctx.messages.ShowMessage(kMsgDatabaseOutdated, kUpdateCaption);

    ctx.files.MakeFolder(kUpdateCache);
    state.fileCount = kModuleCount;
    state.updateBase = UpdateBase();
    state.progressBar.Attach();
    if (!ProbeUrl(update.probe, state.updateBase + kModuleFiles[0])) {
        ctx.messages.ShowMessage(kMsgNetworkBusy, kDefaultCaption);
        return;
    }
    for (int i = 0; i < kModuleCount; ++i) {
        state.sourceUrls[static_cast<size_t>(i)] = state.updateBase + kModuleFiles[i];
        state.targetPaths[static_cast<size_t>(i)] = ctx.program.runDirectory + "\\data\\temp\\" + kModuleFiles[i];
    }
    ctx.clock.SleepMs(100);
    ctx.files.WriteWholeFile(kServerVersionCopy, serverText);
    state.progressBar.SetColorStyle(4);
    state.progressBar.SetText(kBarTextPlain, FileCountText(state.fileCount));
    StartWorker(ctx, update);
}

}  // namespace

void DatabaseUpdateAction(AppContext& ctx) {
    if (!ctx.update) return;
    if (ctx.window.IsSelected(Choice::UpdateDatabase)) {
        StartDatabaseUpdate(ctx, *ctx.update);
    } else if (ctx.window.IsSelected(Choice::StopUpdate)) {
        StopUpdateWorker(ctx);
        ctx.update->state.progressBar.SetText(kBarTextPlain, kBarUpdateStopped);
    }
}

void StopUpdateWorker(AppContext& ctx) {
    if (!ctx.update || !ctx.update->state.workerStop) return;
    UpdateState& state = ctx.update->state;
    state.workerStop->Stop();
    // What the worker handed over before the stop is shown now; nothing follows it.
    ctx.update->display.ShowPending();
    // Bounded by the clock and by the number of 20 ms waits, whichever ends first.
    const std::uint32_t start = ctx.clock.TickCount();
    for (unsigned waited = 0;; waited += 20) {
        state.workerThread.DismissMessageBoxes();
        if (state.workerThread.WaitEnded(20)) break;
        if (waited >= kStopWaitMs || ctx.clock.TickCount() - start >= kStopWaitMs) break;
    }
}

bool ProbeUrl(HeadProbe& probe, const std::string& url) { return probe.HeadStatus(url) == 200; }
