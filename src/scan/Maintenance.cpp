#include "scan/Maintenance.h"

#include "app/AppContext.h"

void OpenQuarantineFolder(AppContext&) {
    // Bound to its button; the action itself is not built yet.
}
