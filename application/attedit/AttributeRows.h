#pragma once
// The attribute editors' write-back of a plain block reference.
#include "ui/ctrls.h"

class AcDbBlockReference;

// Gives the reference's non-constant attributes, in order, the texts of the list's column 1;
// attributes past the last row keep theirs and one that cannot be opened is skipped.
void writePlainAttributeRows(AcDbBlockReference* reference, CListCtrl& list);
