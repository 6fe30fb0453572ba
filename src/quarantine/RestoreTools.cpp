#include "quarantine/RestoreTools.h"

#include "app/AppContext.h"

// Bound to their buttons; the actions themselves are not built yet.
void RunRestoreTool(AppContext&) {}
void CopyToEsetQuarantine(AppContext&) {}
