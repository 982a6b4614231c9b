#pragma once
// Filing helpers shared by the records of the enabler: checked DXF group reads, the values of
// groups, and the integer list (stretch-point indices of one child).
#include "ZeftExport.h"
#include "db/filer.h"
#include "db/types.h"
#include "ge/vector.h"
#include "ui/cstring.h"

// Reads the next group into item and checks its code. On a mismatch or a missing group the
// item is left to be read again, the filer's error is set to eInvalidDxfCode with
// "nError: expected group code %d", and that status is returned.
ZEFT_API Acad::ErrorStatus dxfReadGroup(AcDbDxfFiler* filer, int groupCode, resbuf* item);

// Values of a group read by the filer, whatever kind its code delivers.
ZEFT_API int dxfGroupInt(const resbuf& item);
ZEFT_API double dxfGroupReal(const resbuf& item);
// The item just read from the filer as a real, also when a real was filed under an integer code.
ZEFT_API double dxfGroupReal(AcDbDxfFiler* filer, const resbuf& item);
// A point filed under an integer code: x under the item's code, y and z under code+10 and
// code+20 when they follow.
ZEFT_API AcGePoint3d dxfPointUnderIntegerCode(AcDbDxfFiler* filer, const resbuf& item);
ZEFT_API CString dxfGroupText(const resbuf& item);
ZEFT_API AcGePoint3d dxfGroupPoint(const resbuf& item);
// An id group written as the 32-bit in-memory form; null when the database does not know it.
ZEFT_API AcDbObjectId dxfGroupOldId(const resbuf& item, AcDbDatabase* database);

// Integer list: count then items, each a 16-bit unsigned value. Lists longer than 65535
// items are written cut to 65535 so the count always matches the items that follow.
ZEFT_API Acad::ErrorStatus dwgOutIntList(AcDbDwgFiler* filer, const AcDbIntArray& list);
ZEFT_API Acad::ErrorStatus dwgInIntList(AcDbDwgFiler* filer, AcDbIntArray& list);
// DXF form: the count under countCode, then one itemCode group per item (73 and 74 for a
// child's stretch-point indices). The reader empties the list first.
ZEFT_API Acad::ErrorStatus dxfOutIntList(AcDbDxfFiler* filer, const AcDbIntArray& list, int countCode = 73,
                                         int itemCode = 74);
ZEFT_API Acad::ErrorStatus dxfInIntList(AcDbDxfFiler* filer, AcDbIntArray& list, int countCode = 73,
                                        int itemCode = 74);

// Count of a list as written in a 16-bit field.
inline Adesk::UInt16 filedCount(int count) {
    return static_cast<Adesk::UInt16>(count < 0 ? 0 : count > 0xFFFF ? 0xFFFF : count);
}
