#pragma once
// The module's record per document: its database reactor and the last plain block reference
// converted in that document.
#include "db/database.h"
#include "ed/datamanager.h"

class AsdkDbReactor : public AcDbDatabaseReactor {};

class CDocData {
public:
    CDocData() = default;
    // A record that goes (its document is closing, or the module leaves) takes its reactor out of
    // the database it watches and deletes it.
    ~CDocData();
    CDocData(const CDocData&) = delete;
    CDocData& operator=(const CDocData&) = delete;

    // Creates the database reactor on first use and adds it to the working database.
    void attachDatabaseReactor();
    // Takes it out of the database it watches and deletes it.
    void detachDatabaseReactor();

    AsdkDbReactor* databaseReactor = nullptr;
    AcDbDatabase* watchedDatabase = nullptr;
    AcDbObjectId lastConvertedReferenceId;
};

// The per-document records, one static manager for the module.
AcApDataManager<CDocData>& docDataManager();
// The current document's record.
CDocData& currentDocData();
