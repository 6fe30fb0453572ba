#include "update/UpdateWorker.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/SkinnedProgressBar.h"
#include "platform/WorkerDisplay.h"
#include "update/DownloadToFile.h"
#include "update/Install.h"
#include "update/ProgressText.h"
#include "update/WorkerStop.h"

void ShowDownloadProgress(WorkerDisplay& display, std::int32_t total, std::int32_t downloaded, std::int32_t,
                          std::int32_t) {
    display.SetProgressText(ProgressLabel(total, downloaded));
    display.SetProgressPosition(ProgressPosition(total, downloaded));
}

void UpdateWorker(WorkerServices& sys, WorkerStop& stop, const UpdateJob& job) {
    StoppableTransport http(sys.http, stop);
    StoppableLocalFiles localFiles(sys.localFiles, stop);
    StoppableMessages messages(sys.messages, stop);
    StoppableDisplay display(sys.display, stop);
    DownloadServices download{http, localFiles, messages, sys.clock};
    const DownloadProgress progress = [&display](std::int32_t total, std::int32_t downloaded, std::int32_t elapsed,
                                                 std::int32_t bytesThisCall) {
        ShowDownloadProgress(display, total, downloaded, elapsed, bytesThisCall);
    };

    const int n = std::clamp<std::int32_t>(job.fileCount, 0, kModuleCount);
    bool fetched = true;
    for (int i = 1; i <= n && fetched; ++i) {
        if (stop.Requested()) return;
        display.SetBarText(kBarTextWithPercent, UpdatingFileText(i));
        const std::string& target = job.targetPaths[static_cast<size_t>(i - 1)];
        const std::string partial = target + kPartialSuffix;
        // A file that did not arrive whole is never installed: the fetching ends here.
        fetched = DownloadToFile(download, job.sourceUrls[static_cast<size_t>(i - 1)], partial, progress, 0, false) == 0;
        if (fetched) stop.Run([&] { fetched = MoveReplacing(sys.files, partial, target); });
    }
    if (stop.Requested()) return;

    bool installed = false;
    if (fetched) {
        sys.clock.SleepMs(300);
        stop.Run([&] { installed = InstallDownloadedFiles(sys.files); });
    }
    if (stop.Requested()) return;

    if (installed) {
        messages.ShowMessage(kMsgUpdateSucceeded, kDefaultCaption);
        display.SetBarText(kBarTextWithPercent, kBarUpdateDone);
    } else {
        messages.ShowMessage(kMsgUpdateFailed, kDefaultCaption);
        display.SetBarText(kBarTextPlain, kBarUpdateFailed);
    }
}
