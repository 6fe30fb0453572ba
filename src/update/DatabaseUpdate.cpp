#include "update/DatabaseUpdate.h"

#include "app/AppContext.h"

// Bound to the update group's OK and to the window's destruction; the update
// itself is not built yet.
void DatabaseUpdateAction(AppContext&) {}
void StopUpdateWorker(AppContext&) {}
