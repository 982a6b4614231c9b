#include "attedit/AttributeRows.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/objectiterator.h"

void writePlainAttributeRows(AcDbBlockReference* reference, CListCtrl& list) {
    const int rows = list.GetItemCount();
    AcDbObjectIterator* it = reference->attributeIterator();
    int row = 0;
    for (; it && !it->done() && row < rows; it->step()) {
        AcDbAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, it->objectId(), AcDb::kForWrite) != Acad::eOk) continue;
        if (!attribute->isConstant()) attribute->setTextString(list.GetItemText(row++, 1));
        attribute->close();
    }
    delete it;
}
