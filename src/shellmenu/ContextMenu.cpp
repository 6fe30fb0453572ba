#include "shellmenu/ContextMenu.h"

#include "app/AppContext.h"
#include "app/ProgramRecord.h"
#include "platform/Messages.h"
#include "shellmenu/RegistryItems.h"
#include "ui/WindowFields.h"

std::string BuildContextMenuCommand(const std::string& installPath) {
    return "\"" + installPath +
           "\\data\\ecls.exe\" /unwanted /unsafe /clean-mode=rigorous /quarantine "
           "/quar-dir=c:\\KorvaneScanData\\data\\quarantine /log-file=c:\\KorvaneScanData\\ScanLog.txt /aind \"%1\"";
}

namespace {

// The entry lives under every file class; its key name is the menu text.
std::string MenuKey(AppContext& ctx) { return "*\\shell\\" + ctx.window.ReadText(TextField::MenuName); }

}  // namespace

void AddContextMenuEntry(AppContext& ctx) {
    // The trailing backslash names the command key's default value.
    if (!WriteRegistryItemText(ctx.registry, RegRoot::ClassesRoot, MenuKey(ctx) + "\\command\\",
                               BuildContextMenuCommand(ctx.program.installPath))) {
        ctx.messages.ShowMessage("添加右键扫描失败！");
        return;
    }
    WriteRegistryItemText(ctx.registry, RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan\\Path",
                          ctx.program.runDirectory);
    ctx.messages.ShowMessage("添加右键扫描成功！");
}

void RemoveContextMenuEntry(AppContext& ctx) {
    const std::string menuKey = MenuKey(ctx);
    // There is no value named "command", so this deletes the command key.
    if (!DeleteRegistryItem(ctx.registry, RegRoot::ClassesRoot, menuKey + "\\command")) {
        ctx.messages.ShowMessage("卸载右键扫描失败，未找到相应键值！");
        return;
    }
    DeleteRegistryItem(ctx.registry, RegRoot::ClassesRoot, menuKey);
    // Names the install key's default value, which is never written: the key goes.
    DeleteRegistryItem(ctx.registry, RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan\\");
    ctx.messages.ShowMessage("右键扫描已卸载！");
}
