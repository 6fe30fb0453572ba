#pragma once

struct AppContext;

// Opens the quarantine folder in the file manager.
void OpenQuarantineFolder(AppContext& ctx);
