// The standard tables and records of a new drawing.
#include "db/database.h"
#include "db/hostinternal.h"

using namespace cadhost::db;

namespace {
template <class Table>
AcDbObjectId ensureTable(AcDbDatabase* db, int index, AcDbObjectId current) {
    if (!current.isNull() && current.isValid()) return current;
    auto* table = new Table;
    AcDbObjectId id;
    db->addAcDbObject(id, table);
    table->close();
    db->internalSetTableId(index, id);
    return id;
}

// Adds the record unless the table has one of that name; answers the record's id.
template <class Record>
AcDbObjectId ensureRecord(AcDbObjectId tableId, const char* name, void (*setup)(Record*) = nullptr) {
    auto* table = peekAs<AcDbSymbolTable>(tableId);
    if (!table) return AcDbObjectId::kNull;
    if (AcDbObjectId existing = table->internalLookup(name); !existing.isNull()) return existing;
    AcDbSymbolTable* open = nullptr;
    if (acdbOpenObject(open, tableId, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId::kNull;
    auto* record = new Record;
    record->setName(name);
    if (setup) setup(record);
    AcDbObjectId id;
    if (open->add(id, record) == Acad::eOk) record->close();
    else delete record;
    open->close();
    return id;
}
}  // namespace

// Creates what is missing: tables first, then the records a drawing cannot do without.
void AcDbDatabase::internalBuildDefaults() {
    ensureTable<AcDbBlockTable>(this, 0, m_tables[0]);
    ensureTable<AcDbLayerTable>(this, 1, m_tables[1]);
    ensureTable<AcDbTextStyleTable>(this, 3, m_tables[3]);
    ensureTable<AcDbLinetypeTable>(this, 2, m_tables[2]);
    ensureTable<AcDbViewTable>(this, 4, m_tables[4]);
    ensureTable<AcDbUCSTable>(this, 5, m_tables[5]);
    ensureTable<AcDbViewportTable>(this, 6, m_tables[6]);
    ensureTable<AcDbRegAppTable>(this, 7, m_tables[7]);
    ensureTable<AcDbDimStyleTable>(this, 8, m_tables[8]);

    ensureRecord<AcDbLinetypeTableRecord>(linetypeTableId(), "ByBlock");
    ensureRecord<AcDbLinetypeTableRecord>(linetypeTableId(), "ByLayer");
    ensureRecord<AcDbLinetypeTableRecord>(linetypeTableId(), "Continuous",
                                          [](AcDbLinetypeTableRecord* r) { r->setComments("Solid line"); });
    AcDbObjectId continuous = continuousLinetype();
    AcDbObjectId layer0 = ensureRecord<AcDbLayerTableRecord>(layerTableId(), "0");
    if (auto* layer = peekAs<AcDbLayerTableRecord>(layer0); layer && layer->linetypeObjectId().isNull()) {
        AcDbLayerTableRecord* open = nullptr;
        if (acdbOpenObject(open, layer0, AcDb::kForWrite) == Acad::eOk) {
            open->setLinetypeObjectId(continuous);
            open->close();
        }
    }
    ensureRecord<AcDbTextStyleTableRecord>(textStyleTableId(), "Standard");
    ensureRecord<AcDbBlockTableRecord>(blockTableId(), ACDB_MODEL_SPACE);
    ensureRecord<AcDbBlockTableRecord>(blockTableId(), ACDB_PAPER_SPACE);
    ensureRecord<AcDbRegAppTableRecord>(regAppTableId(), "ACAD");
    ensureRecord<AcDbDimStyleTableRecord>(dimStyleTableId(), "Standard");
    ensureRecord<AcDbViewportTableRecord>(viewportTableId(), "*Active");
}
