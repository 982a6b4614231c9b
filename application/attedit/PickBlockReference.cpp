#include "attedit/PickBlockReference.h"
#include "ZEFTBlockReference.h"
#include "db/blockref.h"
#include "ed/pick.h"
#include "frame/ResourceString.h"
#include "res/resource.h"
#include "rx/print.h"

bool pickBlockReference(ads_name entity, AcDbEntity*& picked) {
    picked = nullptr;
    const CString prompt = loadResourceString(IDS_SELECT_BLOCK);
    ads_point point;
    for (;;) {
        const int rc = acedEntSel(prompt, entity, point);
        if (rc == RTNORM) break;
        if (rc == RTCAN) return false;
    }
    AcDbObjectId id;
    if (acdbGetObjectId(id, entity) != Acad::eOk || acdbOpenObject(picked, id, AcDb::kForRead) != Acad::eOk) {
        picked = nullptr;
        return false;
    }
    if (picked->isA() != AcDbBlockReference::desc() && picked->isA() != ZEFTBlockReference::desc()) {
        acutPrintf("%s", static_cast<const char*>(loadResourceString(IDS_NOT_A_BLOCK)));
        picked->close();
        picked = nullptr;
        return false;
    }
    return true;
}
