#pragma once
// The module's record per document: its database reactor and the last plain block reference
// converted in that document.
#include "db/database.h"
#include "ed/datamanager.h"

class AsdkDbReactor : public AcDbDatabaseReactor {};

class CDocData {
public:
    // Creates the database reactor on first use and adds it to the working database.
    void attachDatabaseReactor();
    // Takes it out of the working database and deletes it (only while there is one).
    void detachDatabaseReactor();

    // Copies share the reactor; the record that detaches it deletes it.
    AsdkDbReactor* databaseReactor = nullptr;
    AcDbObjectId lastConvertedReferenceId;
};

// The per-document records, one static manager for the module.
AcApDataManager<CDocData>& docDataManager();
// The current document's record.
CDocData& currentDocData();
