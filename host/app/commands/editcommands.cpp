// Changing the drawing: ERASE.
#include "app/commands/hostcommands.h"
#include "db/entity.h"
#include "ed/pick.h"
#include "rx/print.h"

namespace {
int eraseCommand() {
    if (!requireDocument()) return RTERROR;
    AcDbObjectIdArray ids;
    int rc = acedHostSelectObjects(nullptr, ids);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    int skipped = 0;
    for (AcDbObjectId id : ids) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenObject(entity, id, AcDb::kForWrite) != Acad::eOk) {
            ++skipped;
            continue;
        }
        if (entity->erase() != Acad::eOk) ++skipped;
        entity->close();
    }
    if (skipped) acutPrintf("\n%d object(s) could not be erased.", skipped);
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(edit, {
    {"ERASE", eraseCommand},
});
