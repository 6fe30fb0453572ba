#pragma once

struct AppContext;

// Starts or stops the signature database update, by the selected radio button.
void DatabaseUpdateAction(AppContext& ctx);
// Stops a running update worker; bound to the main window's destruction too.
void StopUpdateWorker(AppContext& ctx);
