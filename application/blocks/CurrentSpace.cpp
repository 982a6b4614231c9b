#include "blocks/CurrentSpace.h"
#include "db/blockref.h"

namespace {
AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }
}  // namespace

AcDbBlockTableRecord* openCurrentSpace() {
    AcDbDatabase* db = workingDatabase();
    if (!db) return nullptr;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return nullptr;
    AcDbBlockTableRecord* space = nullptr;
    const Acad::ErrorStatus es = table->getAt(db->tilemode() ? ACDB_MODEL_SPACE : ACDB_PAPER_SPACE, space, AcDb::kForWrite);
    table->close();
    return es == Acad::eOk ? space : nullptr;
}

AcDbBlockTableRecord* openBlockDefinition(const char* name) {
    AcDbDatabase* db = workingDatabase();
    if (!db || !name) return nullptr;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return nullptr;
    AcDbBlockTableRecord* definition = nullptr;
    if (table->getAt(name, definition, AcDb::kForRead) != Acad::eOk) definition = nullptr;
    table->close();
    return definition;
}

bool blockExists(const char* name) {
    AcDbDatabase* db = workingDatabase();
    if (!db || !name) return false;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return false;
    const bool found = table->has(name);
    table->close();
    return found;
}

CString getBlockName(AcDbObjectId definitionId) {
    if (!workingDatabase()) return CString();
    AcDbBlockTableRecord* record = nullptr;
    if (acdbOpenObject(record, definitionId, AcDb::kForRead) != Acad::eOk) return CString();
    const char* name = nullptr;
    CString result;
    if (record->getName(name) == Acad::eOk && name) result = name;
    record->close();
    return result;
}

bool isPlainBlockReference(const AcDbEntity* entity) {
    return entity && entity->isA() == AcDbBlockReference::desc();
}
