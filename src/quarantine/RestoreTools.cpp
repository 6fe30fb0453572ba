#include "quarantine/RestoreTools.h"

#include "app/AppContext.h"
#include "app/ProgramRecord.h"
#include "platform/Messages.h"
#include "platform/Processes.h"
#include "ui/WindowFields.h"

void RunRestoreTool(AppContext& ctx) {
    // Quoted, so a run directory with blanks still names the tool.
    const std::string commandLine = "\"" + ctx.program.runDirectory + "\\data\\KorvaneQR.exe\"";
    ctx.processes.StartProgram(commandLine, ShowMode::Normal, WaitMode::InputIdle1000);
}

void CopyToEsetQuarantine(AppContext& ctx) {
    if (!ctx.window.IsSelected(Choice::CopyToEsetQuarantine)) return;
    // The batch file runs hidden; the window keeps painting but takes no input
    // until it ends, and only then is the user told.
    if (ctx.processes.StartProgram("data\\copyQ.cmd", ShowMode::Hidden, WaitMode::UntilExit)) {
        ctx.messages.ShowMessage("复制隔离文件到 ESET 隔离区。");
    }
}
