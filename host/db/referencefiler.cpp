#include "db/referencefiler.h"
#include "db/hostinternal.h"

namespace cadhost::db {
bool collectReferences(AcDbObjectId id, ReferenceFiler& filer) {
    AcDbObject* obj = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(obj, id, AcDb::kForRead, true);
    if (es == Acad::eOk) {
        obj->dwgOutFields(&filer);
        obj->close();
        return true;
    }
    // Open for write elsewhere: readable all the same.
    if (es == Acad::eWasOpenForWrite && (obj = peek(id)) != nullptr) {
        obj->dwgOutFields(&filer);
        return true;
    }
    return false;
}
}  // namespace cadhost::db
