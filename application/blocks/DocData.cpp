#include "blocks/DocData.h"

namespace {
AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }
}  // namespace

CDocData::~CDocData() { detachDatabaseReactor(); }

void CDocData::attachDatabaseReactor() {
    AcDbDatabase* db = workingDatabase();
    if (!db) return;
    if (databaseReactor && watchedDatabase && watchedDatabase != db) watchedDatabase->removeReactor(databaseReactor);
    if (!databaseReactor) databaseReactor = new AsdkDbReactor;
    db->addReactor(databaseReactor);
    watchedDatabase = db;
}

void CDocData::detachDatabaseReactor() {
    if (databaseReactor && watchedDatabase) watchedDatabase->removeReactor(databaseReactor);
    delete databaseReactor;
    databaseReactor = nullptr;
    watchedDatabase = nullptr;
}

namespace {
// Made when the module is mapped, so that it watches documents from the start.
AcApDataManager<CDocData> g_docData;
}  // namespace

AcApDataManager<CDocData>& docDataManager() { return g_docData; }

CDocData& currentDocData() { return docDataManager().docData(); }
