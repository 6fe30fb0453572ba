#include "app/EventBindings.h"

#include "app/AppContext.h"
#include "app/Config.h"
#include "platform/Shell.h"
#include "quarantine/RestoreTools.h"
#include "scan/HomeOk.h"
#include "scan/Maintenance.h"
#include "update/DatabaseUpdate.h"
#include "update/VersionCheck.h"

void HandleUiEvent(UiEvent event, AppContext& ctx) {
    switch (event) {
        case UiEvent::None: break;
        case UiEvent::HomeOk: HandleHomeOk(ctx); break;
        case UiEvent::DatabaseUpdateOk: DatabaseUpdateAction(ctx); break;
        case UiEvent::CheckVersion: CheckProgramVersion(ctx); break;
        case UiEvent::OpenQuarantine: OpenQuarantineFolder(ctx); break;
        case UiEvent::RunRestoreTool: RunRestoreTool(ctx); break;
        case UiEvent::CopyToQuarantine: CopyToEsetQuarantine(ctx); break;
        case UiEvent::ForumLink: ctx.shell.OpenAddress(ForumHomePage()); break;
    }
}

void HandleMainWindowDestroying(AppContext& ctx) { StopUpdateWorker(ctx); }
