#include "attedit/RecordBox.h"
#include "db/symtab.h"

void fillRecordBox(CComboBox& box, AcDbObjectId tableId, AcDbObjectId selected) {
    box.ResetContent();
    AcDbSymbolTable* table = nullptr;
    if (tableId.isNull() || acdbOpenObject(table, tableId, AcDb::kForRead) != Acad::eOk) return;
    AcDbSymbolTableIterator* it = nullptr;
    if (table->newIterator(it) == Acad::eOk) {
        for (; !it->done(); it->step()) {
            AcDbSymbolTableRecord* record = nullptr;
            if (it->getRecord(record, AcDb::kForRead) != Acad::eOk) continue;
            const int item = box.AddString(record->name());
            if (item >= 0) box.SetItemData(item, static_cast<DWORD_PTR>(static_cast<uint32_t>(record->objectId().asOldId())));
            record->close();
        }
        delete it;
    }
    table->close();
    // Selected by id once all are in: a sorted box moves items as later ones arrive.
    if (selected.isNull()) return;
    for (int item = 0; item < box.GetCount(); ++item)
        if (recordOfItem(box, item, tableId.database()) == selected) box.SetCurSel(item);
}

AcDbObjectId recordOfItem(const CComboBox& box, int item, AcDbDatabase* db) {
    AcDbObjectId id;
    if (item < 0 || item >= box.GetCount() || !db) return id;
    id.setFromOldId(static_cast<int32_t>(static_cast<uint32_t>(box.GetItemData(item))), db);
    return id;
}
