#include "blocks/DocData.h"

namespace {
AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }
}  // namespace

void CDocData::attachDatabaseReactor() {
    if (!databaseReactor) databaseReactor = new AsdkDbReactor;
    if (AcDbDatabase* db = workingDatabase()) db->addReactor(databaseReactor);
}

void CDocData::detachDatabaseReactor() {
    AcDbDatabase* db = workingDatabase();
    if (!db) return;
    db->removeReactor(databaseReactor);
    delete databaseReactor;
    databaseReactor = nullptr;
}

namespace {
// Made when the module is mapped, so that it watches documents from the start.
AcApDataManager<CDocData> g_docData;
}  // namespace

AcApDataManager<CDocData>& docDataManager() { return g_docData; }

CDocData& currentDocData() { return docDataManager().docData(); }
