#pragma once
#include <string>

#include "platform/Bytes.h"

// The text fields other parts of the program read or write, by role.
enum class TextField {
    ReleaseUrl,         // 编辑框6, hidden: the release package address
    MenuName,           // 编辑框3, hidden: the Explorer menu name
    CurrentDbVersion,   // 编辑框1
    OnlineDbVersion,    // 编辑框2
    CurrentVersion,     // 编辑框4
    OnlineVersion,      // 编辑框5
    ProgressText,       // 标签2, below the update progress bar
};

// The radio buttons, by role. The first ten are the Home choices in the order in
// which the Home page's OK examines them.
enum class Choice {
    ClearUpdateCache,        // 单选框11 删除更新缓存文件
    ScanCustomFolder,        // 单选框2  自定义扫描
    ScanFullClean,           // 单选框1  全盘扫描（扫描过程中自动处理威胁）
    ScanFast,                // 单选框8  快速扫描
    ScanFullAsk,             // 单选框7  全盘扫描（扫描完毕后询问处理威胁方式）
    ViewScanLog,             // 单选框9
    ClearScanLog,            // 单选框10
    ClearQuarantine,         // 单选框12
    AddContextMenuEntry,     // 单选框3
    RemoveContextMenuEntry,  // 单选框13
    UpdateDatabase,          // 单选框6 更新数据库
    StopUpdate,              // 单选框5 停止更新
    CopyToEsetQuarantine,    // 单选框4 on page 隔离
};

// The main window as the program's logic sees it. GUI thread only.
struct WindowFields {
    virtual ~WindowFields() = default;
    virtual std::string ReadText(TextField field) = 0;        // UTF-8
    virtual void ReplaceText(TextField field, const std::string& text) = 0;  // UTF-8 text of our own
    // Bytes from outside (server or file), shown as the system's ANSI code page shows them.
    virtual void ReplaceTextBytes(TextField field, const Bytes& bytes) = 0;
    virtual bool IsSelected(Choice choice) = 0;
    virtual void DisableRestoreButton() = 0;
    // The update progress bar's position, 0 to 10000.
    virtual void SetProgressPosition(int position) = 0;
    // The news list: append an empty row; set a cell's text (UTF-8).
    virtual void AppendNewsRow() = 0;
    virtual void SetNewsCell(int row, int column, const std::string& text) = 0;
};
