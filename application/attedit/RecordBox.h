#pragma once
// Drop-down lists of a drawing's symbol table records (text styles, layers, linetypes): the
// records' names with their ids as item data.
#include "db/objectid.h"
#include "ui/ctrls.h"

// Empties the box, lists every record of the table in table order and selects the one whose id
// is selected. The box stays empty without a table.
void fillRecordBox(CComboBox& box, AcDbObjectId tableId, AcDbObjectId selected);
// The record of an item; null for no item.
AcDbObjectId recordOfItem(const CComboBox& box, int item, AcDbDatabase* db);
