#include "scan/HomeOk.h"

#include <iterator>

#include "app/AppContext.h"
#include "app/ProgramRecord.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "scan/Maintenance.h"
#include "shellmenu/ContextMenu.h"
#include "ui/WindowFields.h"

namespace {

// The scanner gets its own console window; we wait briefly for it to settle and
// keep nothing of it.
void StartScanner(AppContext& ctx, const std::string& commandLine) {
    ctx.processes.StartProgram(commandLine, ShowMode::Normal, WaitMode::InputIdle1000);
}

void ScanFullClean(AppContext& ctx) { StartScan(ctx, ScanMode::FullClean); }
void ScanFast(AppContext& ctx) { StartScan(ctx, ScanMode::Fast); }
void ScanFullAsk(AppContext& ctx) { StartScan(ctx, ScanMode::FullAsk); }

struct HomeChoice {
    Choice choice;
    void (*action)(AppContext&);
};

// The Home choices in the order in which the OK button examines them.
constexpr HomeChoice kHomeChoices[] = {
    {Choice::ClearUpdateCache, ClearUpdateCache},
    {Choice::ScanCustomFolder, ScanCustomFolder},
    {Choice::ScanFullClean, ScanFullClean},
    {Choice::ScanFast, ScanFast},
    {Choice::ScanFullAsk, ScanFullAsk},
    {Choice::ViewScanLog, ViewScanLog},
    {Choice::ClearScanLog, ClearScanLog},
    {Choice::ClearQuarantine, ClearQuarantine},
    {Choice::AddContextMenuEntry, AddContextMenuEntry},
    {Choice::RemoveContextMenuEntry, RemoveContextMenuEntry},
};
static_assert(std::size(kHomeChoices) == 10);

}  // namespace

void StartScan(AppContext& ctx, ScanMode mode) { StartScanner(ctx, BuildScanCommandLine(mode, {})); }

void ScanCustomFolder(AppContext& ctx) {
    std::string folder;
    if (!ctx.shell.PickFolder("请选择需要扫描的目录：", true, folder) || folder.empty()) return;
    ctx.program.lastCustomFolder = folder;
    StartScanner(ctx, BuildScanCommandLine(ScanMode::CustomFolder, folder));
}

void HandleHomeOk(AppContext& ctx) {
    for (const HomeChoice& entry : kHomeChoices) {
        if (ctx.window.IsSelected(entry.choice)) {
            entry.action(ctx);
            return;
        }
    }
}
