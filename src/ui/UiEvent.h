#pragma once

// The user events the main window forwards; each runs one operation.
enum class UiEvent {
    None,
    HomeOk,             // 按钮2 确定 on page Home
    DatabaseUpdateOk,   // 按钮9 确定 in group 病毒库更新
    CheckVersion,       // 按钮4 检查更新
    OpenQuarantine,     // 按钮3 打开隔离目录
    RunRestoreTool,     // 按钮1 恢复隔离文件
    CopyToQuarantine,   // 按钮5 复制
    ForumLink,          // 超级链接框1, 超级链接框2
};
