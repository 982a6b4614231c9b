#include "attedit/EditedBlock.h"
#include "ZEFTBlockReference.h"
#include "db/blockref.h"
#include "db/database.h"
#include "db/text.h"
#include "ed/display.h"
#include "ed/transactions.h"

void refreshEditedBlock(const ads_name entity) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    const bool wasRecording = db && db->undoRecording();
    if (db) db->disableUndoRecording(false);
    AcDbObjectId id;
    AcDbEntity* reference = nullptr;
    if (acdbGetObjectId(id, entity) == Acad::eOk && acdbOpenObject(reference, id, AcDb::kForWrite) == Acad::eOk) {
        if (reference->isA() == AcDbBlockReference::desc() || reference->isA() == ZEFTBlockReference::desc())
            reference->recordGraphicsModified(true);
        reference->close();
    }
    actrTransactionManager->flushGraphics();
    acedUpdateDisplay();
    if (db) db->disableUndoRecording(!wasRecording);
}

bool changeTextAttribute(AcDbObjectId id, const std::function<void(AcDbText*)>& change) {
    AcDbEntity* entity = nullptr;
    if (id.isNull() || acdbOpenObject(entity, id, AcDb::kForWrite) != Acad::eOk) return false;
    auto* text = AcDbText::cast(entity);
    if (text) change(text);
    entity->close();
    return text != nullptr;
}
