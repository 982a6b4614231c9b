// Looking at the drawing: LIST.
#include "app/commands/hostcommands.h"
#include "db/entity.h"
#include "ed/pick.h"
#include "rx/print.h"

namespace {
int listCommand() {
    if (!requireDocument()) return RTERROR;
    AcDbObjectIdArray ids;
    int rc = acedHostSelectObjects(nullptr, ids);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    for (AcDbObjectId id : ids) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) continue;
        acutPrintf("\n");
        entity->list();
        entity->close();
    }
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(inquiry, {
    {"LIST", listCommand},
});
