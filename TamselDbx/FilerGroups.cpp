#include "FilerGroups.h"
#include <cmath>
#include <cstdint>
#include "db/dxftokens.h"

using cadhost::dxf::kindOfGroupCode;
using cadhost::dxf::ValueKind;

Acad::ErrorStatus dxfReadGroup(AcDbDxfFiler* filer, int groupCode, resbuf* item) {
    if (filer->readItem(item) == Acad::eOk) {
        if (item->restype == groupCode) return Acad::eOk;
        filer->pushBackItem();
    } else if (filer->filerStatus() != Acad::eOk) {
        return filer->filerStatus();  // the filer's own error says more
    }
    filer->setError(Acad::eInvalidDxfCode, "nError: expected group code %d", groupCode);
    return filer->filerStatus();
}

int dxfGroupInt(const resbuf& item) {
    switch (kindOfGroupCode(item.restype)) {
    case ValueKind::String:
        return item.resval.rstring ? cadhost::dxf::parseInt(item.resval.rstring).value_or(0) : 0;
    case ValueKind::Double: {
        double v = item.resval.rreal;
        if (std::isnan(v)) return 0;
        if (v >= 2147483647.0) return INT32_MAX;
        if (v <= -2147483648.0) return INT32_MIN;
        return static_cast<int>(v);
    }
    case ValueKind::Int16:
    case ValueKind::Bool:
        return item.resval.rint;
    case ValueKind::Int32:
        return item.resval.rlong;
    case ValueKind::Int64:
    case ValueKind::Handle:
        return static_cast<int>(static_cast<int32_t>(item.resval.rlname[0]));
    case ValueKind::Binary:
        break;
    }
    return 0;
}

double dxfGroupReal(const resbuf& item) {
    switch (kindOfGroupCode(item.restype)) {
    case ValueKind::Double:
        return item.resval.rreal;
    case ValueKind::String:
        return item.resval.rstring ? cadhost::dxf::parseDouble(item.resval.rstring).value_or(0.0) : 0.0;
    default:
        return dxfGroupInt(item);
    }
}

double dxfGroupReal(AcDbDxfFiler* filer, const resbuf& item) {
    double value = 0.0;
    if (kindOfGroupCode(item.restype) != ValueKind::Double && filer && filer->lastItemAsReal(value))
        return value;
    return dxfGroupReal(item);
}

AcGePoint3d dxfPointUnderIntegerCode(AcDbDxfFiler* filer, const resbuf& item) {
    if (kindOfGroupCode(item.restype) == ValueKind::Double) return dxfGroupPoint(item);
    AcGePoint3d p(dxfGroupReal(filer, item), 0.0, 0.0);
    for (int axis = 1; axis < 3; ++axis) {
        resbuf next;
        if (filer->readItem(&next) != Acad::eOk) break;
        if (next.restype != item.restype + 10 * axis) {
            filer->pushBackItem();
            break;
        }
        p[axis] = dxfGroupReal(filer, next);
    }
    return p;
}

CString dxfGroupText(const resbuf& item) {
    if (kindOfGroupCode(item.restype) != ValueKind::String) return CString();
    return CString(item.resval.rstring);
}

AcGePoint3d dxfGroupPoint(const resbuf& item) {
    if (kindOfGroupCode(item.restype) != ValueKind::Double) return AcGePoint3d();
    return AcGePoint3d(item.resval.rpoint[0], item.resval.rpoint[1], item.resval.rpoint[2]);
}

AcDbObjectId dxfGroupOldId(const resbuf& item, AcDbDatabase* database) {
    AcDbObjectId id;
    id.setFromOldId(dxfGroupInt(item), database);
    return id;
}

Acad::ErrorStatus dwgOutIntList(AcDbDwgFiler* filer, const AcDbIntArray& list) {
    const Adesk::UInt16 count = filedCount(list.length());
    filer->writeUInt16(count);
    for (int i = 0; i < count; ++i) filer->writeUInt16(static_cast<Adesk::UInt16>(list[i]));
    return filer->filerStatus();
}

Acad::ErrorStatus dwgInIntList(AcDbDwgFiler* filer, AcDbIntArray& list) {
    list.removeAll();
    Adesk::UInt16 count = 0;
    filer->readUInt16(&count);
    if (filer->filerStatus() == Acad::eOk) list.setPhysicalLength(count);
    for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        Adesk::UInt16 item = 0;
        if (filer->readUInt16(&item) == Acad::eOk) list.append(item);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus dxfOutIntList(AcDbDxfFiler* filer, const AcDbIntArray& list, int countCode, int itemCode) {
    const Adesk::UInt16 count = filedCount(list.length());
    filer->writeUInt16(countCode, count);
    for (int i = 0; i < count; ++i) filer->writeUInt16(itemCode, static_cast<Adesk::UInt16>(list[i]));
    return filer->filerStatus();
}

Acad::ErrorStatus dxfInIntList(AcDbDxfFiler* filer, AcDbIntArray& list, int countCode, int itemCode) {
    list.removeAll();
    resbuf rb;
    if (dxfReadGroup(filer, countCode, &rb) != Acad::eOk) return filer->filerStatus();
    const int count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
    for (int i = 0; i < count; ++i) {
        if (dxfReadGroup(filer, itemCode, &rb) != Acad::eOk) return filer->filerStatus();
        list.append(static_cast<Adesk::UInt16>(dxfGroupInt(rb)));
    }
    return Acad::eOk;
}
