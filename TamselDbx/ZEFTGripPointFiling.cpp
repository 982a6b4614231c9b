// DWG and DXF records of the grip point and of its dimensional settings.
#include <cstdlib>
#include <cstring>
#include "FilerGroups.h"
#include "ZEFTGripPoint.h"

namespace {

const char kSubclass[] = "ZEFTGripPoint";

// Groups after the record's last statement and variable: point list 1 (173 count, 18 points),
// the children of list 1 (174 count, 330 id and 73/74 index list each), the sub-points (175
// count, 12 points) and the dimensional settings (176 count; 302 name, 140 minimum, 141 maximum,
// 177 value count, 142 values each). Each part is read only when its count group comes next.
enum AppendedGroup {
    kList1Count = 173,
    kList1Point = 18,
    kList1ChildCount = 174,
    kSubPointCount = 175,
    kSubPoint = 12,
    kSettingCount = 176,
    kSettingName = 302,
    kSettingMinimum = 140,
    kSettingMaximum = 141,
    kSettingValueCount = 177,
    kSettingValue = 142,
};

void writePoints(AcDbDwgFiler* filer, const AcGePoint3dArray& points) {
    const Adesk::UInt16 count = filedCount(points.length());
    filer->writeUInt16(count);
    for (int i = 0; i < count; ++i) filer->writePoint3d(points[i]);
}

void readPoints(AcDbDwgFiler* filer, AcGePoint3dArray& points) {
    points.removeAll();
    Adesk::UInt16 count = 0;
    filer->readUInt16(&count);
    for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        AcGePoint3d p;
        filer->readPoint3d(&p);
        points.append(p);
    }
}

void writeChildren(AcDbDwgFiler* filer, const AcArray<AcDbSoftPointerId>& ids, const AcArray<AcDbIntArray>& stretch) {
    const Adesk::UInt16 count = filedCount(ids.length());
    filer->writeUInt16(count);
    const AcDbIntArray none;
    for (int i = 0; i < count; ++i) {
        filer->writeSoftPointerId(ids[i]);
        dwgOutIntList(filer, i < stretch.length() ? stretch[i] : none);
    }
}

void readChildren(AcDbDwgFiler* filer, AcArray<AcDbSoftPointerId>& ids, AcArray<AcDbIntArray>& stretch) {
    ids.removeAll();
    stretch.removeAll();
    Adesk::UInt16 count = 0;
    filer->readUInt16(&count);
    if (filer->filerStatus() != Acad::eOk) return;
    ids.setPhysicalLength(count);
    stretch.setPhysicalLength(count);
    for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        AcDbSoftPointerId id;
        filer->readSoftPointerId(&id);
        ids.append(id);
        // Read in place: no list is copied.
        stretch.append(AcDbIntArray());
        dwgInIntList(filer, stretch.last());
    }
}

void dxfWritePoints(AcDbDxfFiler* filer, const AcGePoint3dArray& points, int countCode, int pointCode) {
    const Adesk::UInt16 count = filedCount(points.length());
    filer->writeUInt16(countCode, count);
    for (int i = 0; i < count; ++i) filer->writePoint3d(pointCode, points[i]);
}

Acad::ErrorStatus dxfReadPoints(AcDbDxfFiler* filer, AcGePoint3dArray& points, int countCode, int pointCode) {
    points.removeAll();
    resbuf rb;
    if (dxfReadGroup(filer, countCode, &rb) != Acad::eOk) return filer->filerStatus();
    const int count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
    for (int i = 0; i < count; ++i) {
        if (dxfReadGroup(filer, pointCode, &rb) != Acad::eOk) return filer->filerStatus();
        points.append(dxfGroupPoint(rb));
    }
    return Acad::eOk;
}

void dxfWriteChildren(AcDbDxfFiler* filer, const AcArray<AcDbSoftPointerId>& ids,
                      const AcArray<AcDbIntArray>& stretch, int countCode) {
    const Adesk::UInt16 count = filedCount(ids.length());
    filer->writeUInt16(countCode, count);
    const AcDbIntArray none;
    for (int i = 0; i < count; ++i) {
        filer->writeSoftPointerId(330, ids[i]);
        dxfOutIntList(filer, i < stretch.length() ? stretch[i] : none);
    }
}

Acad::ErrorStatus dxfReadChildren(AcDbDxfFiler* filer, AcArray<AcDbSoftPointerId>& ids,
                                  AcArray<AcDbIntArray>& stretch, int countCode) {
    ids.removeAll();
    stretch.removeAll();
    resbuf rb;
    if (dxfReadGroup(filer, countCode, &rb) != Acad::eOk) return filer->filerStatus();
    const int count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
    for (int i = 0; i < count; ++i) {
        if (dxfReadGroup(filer, 330, &rb) != Acad::eOk) return filer->filerStatus();
        AcDbObjectId id;
        if (acdbGetObjectId(id, rb.resval.rlname) != Acad::eOk) id = AcDbObjectId::kNull;
        AcDbIntArray indices;
        const Acad::ErrorStatus es = dxfInIntList(filer, indices);
        ids.append(AcDbSoftPointerId(id));
        stretch.append(indices);
        if (es != Acad::eOk) return filer->filerStatus();
    }
    return Acad::eOk;
}

// Group code of the next item, or -1 at the end of the object's data.
int dxfNextCode(AcDbDxfFiler* filer) {
    resbuf rb;
    if (filer->readItem(&rb) != Acad::eOk) return -1;
    filer->pushBackItem();
    return rb.restype;
}

// A name read as empty text is no name.
char* keptName(char* text) {
    if (text && !*text) {
        std::free(text);
        return nullptr;
    }
    return text;
}

}  // namespace

Acad::ErrorStatus ZEFTGripPoint::dwgOutSmartGripData(AcDbDwgFiler* filer, const CSmartGripData& data) {
    filer->writeString(data.name ? data.name : "");
    filer->writeDouble(data.minimum);
    filer->writeDouble(data.maximum);
    const Adesk::UInt16 count = filedCount(data.values.length());
    filer->writeUInt16(count);
    for (int i = 0; i < count; ++i) filer->writeDouble(data.values[i]);
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTGripPoint::dwgInSmartGripData(AcDbDwgFiler* filer, CSmartGripData& data,
                                                    Adesk::UInt16 version) {
    data.values.removeAll();
    char* text = nullptr;
    filer->readString(&text);
    data.releaseName();
    data.name = keptName(text);
    if (version == 8) {
        // Three optional values: minimum, maximum and the one entry of values.
        double* targets[2] = {&data.minimum, &data.maximum};
        for (int i = 0; i < 3; ++i) {
            Adesk::Boolean present = 0;
            filer->readBoolean(&present);
            if (present != 1) continue;
            double value = 0.0;
            filer->readDouble(&value);
            if (i < 2) *targets[i] = value;
            else data.values.append(value);
        }
    } else if (version == 9) {
        filer->readDouble(&data.minimum);
        filer->readDouble(&data.maximum);
        double value = 0.0;
        filer->readDouble(&value);
        data.values.append(value);
    } else {
        filer->readDouble(&data.minimum);
        filer->readDouble(&data.maximum);
        Adesk::UInt16 count = 0;
        filer->readUInt16(&count);
        for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
            double value = 0.0;
            filer->readDouble(&value);
            data.values.append(value);
        }
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTGripPoint::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeUInt16(kCurrentVersionNumber);
    filer->writeBoolean(m_topBottom);
    filer->writeBoolean(m_leftRight);
    filer->writePoint3d(m_centerOfRadius);
    filer->writeInt16(m_gripType);
    filer->writePoint3d(m_position);
    filer->writePoint3d(m_insBase);
    for (int l = 0; l < 2; ++l) {
        writePoints(filer, pointLists[l]);
        writeChildren(filer, childIds[l], childStretchIds[l]);
    }
    writePoints(filer, subPoints);

    const Adesk::UInt16 settings = filedCount(smartGripData.length());
    filer->writeUInt16(settings);
    for (int i = 0; i < settings; ++i) dwgOutSmartGripData(filer, smartGripData[i]);

    Adesk::UInt16 count = filedCount(formulas.GetCount());
    filer->writeUInt16(count);
    POSITION pos = formulas.GetHeadPosition();
    for (int i = 0; i < count; ++i) {
        const CCondFormula* statement = formulas.GetNext(pos);
        if (statement) statement->dwgOutFields(filer);
        else CCondFormula().dwgOutFields(filer);
    }
    count = filedCount(variables.GetCount());
    filer->writeUInt16(count);
    pos = variables.GetHeadPosition();
    for (int i = 0; i < count; ++i) {
        const CVariable* variable = variables.GetNext(pos);
        if (variable) variable->dwgOutFields(filer);
        else CVariable().dwgOutFields(filer);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTGripPoint::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer); es != Acad::eOk) return es;
    Adesk::UInt16 version = 0;
    filer->readUInt16(&version);
    if (version > kCurrentVersionNumber) return Acad::eMakeMeProxy;
    Adesk::Boolean flag = 0;
    filer->readBoolean(&flag);
    m_topBottom = flag;
    filer->readBoolean(&flag);
    m_leftRight = flag;
    filer->readPoint3d(&m_centerOfRadius);
    filer->readInt16(&m_gripType);
    filer->readPoint3d(&m_position);
    filer->readPoint3d(&m_insBase);

    if (version >= 1 && version <= 6) {
        readPoints(filer, pointLists[0]);
        if (version >= 3) readChildren(filer, childIds[0], childStretchIds[0]);
        if (version >= 5) {
            readPoints(filer, subPoints);
            Adesk::UInt16 dropped = 0;
            filer->readUInt16(&dropped);
            if (version == 6) filer->readUInt16(&dropped);
        }
    } else if (version >= 7) {
        for (int l = 0; l < 2; ++l) {
            readPoints(filer, pointLists[l]);
            readChildren(filer, childIds[l], childStretchIds[l]);
        }
        readPoints(filer, subPoints);
    }
    if (version >= 8) {
        clearDimensionalSettings();
        Adesk::UInt16 count = 0;
        filer->readUInt16(&count);
        for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
            CSmartGripData setting;
            dwgInSmartGripData(filer, setting, version);
            smartGripData.append(setting);  // the name now belongs to the array
        }
    }

    for (POSITION pos = formulas.GetHeadPosition(); pos;) delete formulas.GetNext(pos);
    formulas.RemoveAll();
    if (version >= 11) {
        Adesk::UInt16 count = 0;
        filer->readUInt16(&count);
        for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
            auto* statement = new CCondFormula();
            statement->dwgInFields(filer);
            formulas.AddTail(statement);
        }
        for (POSITION pos = variables.GetHeadPosition(); pos;) delete variables.GetNext(pos);
        variables.RemoveAll();
        filer->readUInt16(&count);
        for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
            auto* variable = new CVariable();
            variable->dwgInFields(filer);
            variables.AddTail(variable);
        }
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTGripPoint::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass(kSubclass);
    filer->writeUInt16(70, kCurrentVersionNumber);
    filer->writeBoolean(280, m_topBottom);
    filer->writeBoolean(281, m_leftRight);
    filer->writePoint3d(11, m_centerOfRadius);
    filer->writeInt16(170, m_gripType);
    filer->writePoint3d(10, m_position);
    filer->writePoint3d(16, m_insBase);
    dxfWritePoints(filer, pointLists[0], 171, 17);
    dxfWriteChildren(filer, childIds[0], childStretchIds[0], 72);

    Adesk::UInt16 count = filedCount(formulas.GetCount());
    filer->writeUInt16(77, count);
    POSITION pos = formulas.GetHeadPosition();
    for (int i = 0; i < count; ++i) {
        const CCondFormula* statement = formulas.GetNext(pos);
        if (statement) statement->dxfOutFields(filer);
        else CCondFormula().dxfOutFields(filer);
    }
    count = filedCount(variables.GetCount());
    filer->writeUInt16(78, count);
    pos = variables.GetHeadPosition();
    for (int i = 0; i < count; ++i) {
        const CVariable* variable = variables.GetNext(pos);
        if (variable) variable->dxfOutFields(filer);
        else CVariable().dxfOutFields(filer);
    }

    // The rest of the grip point, so that a DXF round trip loses nothing.
    dxfWritePoints(filer, pointLists[1], kList1Count, kList1Point);
    dxfWriteChildren(filer, childIds[1], childStretchIds[1], kList1ChildCount);
    dxfWritePoints(filer, subPoints, kSubPointCount, kSubPoint);
    const Adesk::UInt16 settings = filedCount(smartGripData.length());
    filer->writeUInt16(kSettingCount, settings);
    for (int i = 0; i < settings; ++i) {
        const CSmartGripData& setting = smartGripData[i];
        filer->writeString(kSettingName, setting.name ? setting.name : "");
        filer->writeDouble(kSettingMinimum, setting.minimum);
        filer->writeDouble(kSettingMaximum, setting.maximum);
        const Adesk::UInt16 values = filedCount(setting.values.length());
        filer->writeUInt16(kSettingValueCount, values);
        for (int v = 0; v < values; ++v) filer->writeDouble(kSettingValue, setting.values[v]);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTGripPoint::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer); es != Acad::eOk) return es;
    if (!filer->atSubclassData(kSubclass)) {
        filer->setError(Acad::eInvalidDxfCode, "nError: expected group code %d", 100);
        return filer->filerStatus();
    }
    resbuf rb;
    const bool haveItem = filer->readItem(&rb) == Acad::eOk;
    if (!haveItem || rb.restype != 70) {
        if (!haveItem && filer->filerStatus() != Acad::eOk) return filer->filerStatus();
        if (haveItem) filer->pushBackItem();
        filer->setError(Acad::eInvalidDxfCode, "nError: expected object version group code %d", 70);
        return filer->filerStatus();
    }
    if (dxfGroupInt(rb) > kCurrentVersionNumber) return Acad::eMakeMeProxy;

    if (dxfReadGroup(filer, 280, &rb) != Acad::eOk) return filer->filerStatus();
    m_topBottom = dxfGroupInt(rb);
    if (dxfReadGroup(filer, 281, &rb) != Acad::eOk) return filer->filerStatus();
    m_leftRight = dxfGroupInt(rb);
    if (dxfReadGroup(filer, 11, &rb) != Acad::eOk) return filer->filerStatus();
    m_centerOfRadius = dxfGroupPoint(rb);
    if (dxfReadGroup(filer, 170, &rb) != Acad::eOk) return filer->filerStatus();
    m_gripType = static_cast<Adesk::Int16>(dxfGroupInt(rb));
    if (dxfReadGroup(filer, 10, &rb) != Acad::eOk) return filer->filerStatus();
    m_position = dxfGroupPoint(rb);
    if (dxfReadGroup(filer, 16, &rb) != Acad::eOk) return filer->filerStatus();
    m_insBase = dxfGroupPoint(rb);
    if (dxfReadPoints(filer, pointLists[0], 171, 17) != Acad::eOk) return filer->filerStatus();
    if (dxfReadChildren(filer, childIds[0], childStretchIds[0], 72) != Acad::eOk) return filer->filerStatus();

    for (POSITION pos = formulas.GetHeadPosition(); pos;) delete formulas.GetNext(pos);
    formulas.RemoveAll();
    if (dxfReadGroup(filer, 77, &rb) != Acad::eOk) return filer->filerStatus();
    int count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
    for (int i = 0; i < count; ++i) {
        auto* statement = new CCondFormula();
        statement->dxfInFields(filer);  // a wrong group is reported through the filer
        formulas.AddTail(statement);
    }
    for (POSITION pos = variables.GetHeadPosition(); pos;) delete variables.GetNext(pos);
    variables.RemoveAll();
    if (dxfReadGroup(filer, 78, &rb) != Acad::eOk) return filer->filerStatus();
    count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
    for (int i = 0; i < count; ++i) {
        auto* variable = new CVariable();
        variable->dxfInFields(filer);
        variables.AddTail(variable);
    }
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();

    // Records written before the rest of the grip point was carried end here.
    if (dxfNextCode(filer) == kList1Count &&
        dxfReadPoints(filer, pointLists[1], kList1Count, kList1Point) != Acad::eOk)
        return filer->filerStatus();
    if (dxfNextCode(filer) == kList1ChildCount &&
        dxfReadChildren(filer, childIds[1], childStretchIds[1], kList1ChildCount) != Acad::eOk)
        return filer->filerStatus();
    if (dxfNextCode(filer) == kSubPointCount &&
        dxfReadPoints(filer, subPoints, kSubPointCount, kSubPoint) != Acad::eOk)
        return filer->filerStatus();
    if (dxfNextCode(filer) == kSettingCount) {
        clearDimensionalSettings();
        dxfReadGroup(filer, kSettingCount, &rb);
        count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
        for (int i = 0; i < count; ++i) {
            CSmartGripData setting;
            if (dxfReadGroup(filer, kSettingName, &rb) != Acad::eOk) return filer->filerStatus();
            const CString name = dxfGroupText(rb);
            setting.name = name.IsEmpty() ? nullptr : strdup(name);
            smartGripData.append(setting);  // owned from here on
            CSmartGripData& kept = smartGripData.last();
            if (dxfReadGroup(filer, kSettingMinimum, &rb) != Acad::eOk) return filer->filerStatus();
            kept.minimum = dxfGroupReal(filer, rb);
            if (dxfReadGroup(filer, kSettingMaximum, &rb) != Acad::eOk) return filer->filerStatus();
            kept.maximum = dxfGroupReal(filer, rb);
            if (dxfReadGroup(filer, kSettingValueCount, &rb) != Acad::eOk) return filer->filerStatus();
            const int values = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
            for (int v = 0; v < values; ++v) {
                if (dxfReadGroup(filer, kSettingValue, &rb) != Acad::eOk) return filer->filerStatus();
                kept.values.append(dxfGroupReal(filer, rb));
            }
        }
    }
    return filer->filerStatus();
}
