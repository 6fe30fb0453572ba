#include "update/VersionCheck.h"

#include "app/AppContext.h"

void CheckProgramVersion(AppContext&) {
    // Bound to its button; the action itself is not built yet.
}
