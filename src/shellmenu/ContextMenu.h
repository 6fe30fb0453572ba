#pragma once
#include <string>

struct AppContext;

// The command Explorer runs for the context-menu entry: the scanner in the
// install folder on the clicked file, both quoted so that blanks in either path
// keep it one argument.
std::string BuildContextMenuCommand(const std::string& installPath);

// The Home choices that add and remove Explorer's "scan this file" entry.
void AddContextMenuEntry(AppContext& ctx);
void RemoveContextMenuEntry(AppContext& ctx);
