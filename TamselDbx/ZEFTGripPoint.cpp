#include "ZEFTGripPoint.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "ClassParams.h"
#include "db/database.h"
#include "db/dwgmemfiler.h"
#include "db/symtab.h"
#include "db/units.h"
#include "rx/print.h"

ACRX_DXF_DEFINE_MEMBERS(ZEFTGripPoint, AcDbCurve, ZEFT_DWG_VERSION, ZEFT_MAINT_VERSION, ZEFT_PROXY_FLAGS,
                        "ZEFTGRIPPOINT", ZEFT_APP_NAME)

const Adesk::UInt16 ZEFTGripPoint::kCurrentVersionNumber = 11;

namespace {

bool isSubPointType(short type) { return type == 4 || type == 5; }

// The points behind the grips in the order getGripPoints reports them.
template <class Grip, class Point>
void collectGrips(Grip& grip, std::vector<Point*>& out, Point& position, Point& center, short type) {
    out.push_back(&position);
    auto addAll = [&out](auto& list) {
        for (int i = 0; i < list.length(); ++i) out.push_back(&list[i]);
    };
    switch (type) {
    case 1:
        addAll(grip.pointLists[0]);
        break;
    case 2:
        out.push_back(&center);
        break;
    case 3:
        out.push_back(&center);
        addAll(grip.pointLists[0]);
        break;
    case 4:
    case 5:
        if (grip.subPoints.length() > 0) out.push_back(&grip.subPoints[0]);
        addAll(grip.pointLists[0]);
        if (grip.subPoints.length() > 1) out.push_back(&grip.subPoints[1]);
        addAll(grip.pointLists[1]);
        for (int i = 2; i < grip.subPoints.length(); ++i) out.push_back(&grip.subPoints[i]);
        break;
    default:
        break;
    }
}

void listPoint(const char* label, const AcGePoint3d& p) {
    char x[64], y[64], z[64];
    if (acdbRToS(p.x, -1, -1, x, sizeof x) != RTNORM) std::snprintf(x, sizeof x, "%g", p.x);
    if (acdbRToS(p.y, -1, -1, y, sizeof y) != RTNORM) std::snprintf(y, sizeof y, "%g", p.y);
    if (acdbRToS(p.z, -1, -1, z, sizeof z) != RTNORM) std::snprintf(z, sizeof z, "%g", p.z);
    acutPrintf("%18s X=%s  Y=%s  Z=%s\n", label, x, y, z);
}

// Reference handed out for a child list or index the grip point does not have.
AcDbIntArray& noStretchIds() {
    thread_local AcDbIntArray none;
    none.removeAll();
    return none;
}

}  // namespace

ZEFTGripPoint::ZEFTGripPoint() = default;

ZEFTGripPoint::~ZEFTGripPoint() {
    clearDimensionalSettings();
    clearStatementsAndVariables();
    temporaries.RemoveAll();  // the interpreter releases them
}

// Accessors.

AcGePoint3d ZEFTGripPoint::position() const {
    assertReadEnabled();
    return m_position;
}

Acad::ErrorStatus ZEFTGripPoint::setPosition(AcGePoint3d point) {
    assertWriteEnabled();
    m_position = point;
    return Acad::eOk;
}

AcGePoint3d ZEFTGripPoint::centerOfRadius() const {
    assertReadEnabled();
    return m_centerOfRadius;
}

Acad::ErrorStatus ZEFTGripPoint::setCenterOfRadius(AcGePoint3d point) {
    assertWriteEnabled();
    m_centerOfRadius = point;
    return Acad::eOk;
}

AcGePoint3d ZEFTGripPoint::insBase() const {
    assertReadEnabled();
    return m_insBase;
}

Acad::ErrorStatus ZEFTGripPoint::setInsBase(AcGePoint3d point) {
    assertWriteEnabled();
    m_insBase = point;
    return Acad::eOk;
}

short ZEFTGripPoint::gripType() const {
    assertReadEnabled();
    return m_gripType;
}

Acad::ErrorStatus ZEFTGripPoint::setGripType(short type) {
    assertWriteEnabled();
    m_gripType = type;
    return Acad::eOk;
}

int ZEFTGripPoint::leftRight() const {
    assertReadEnabled();
    return m_leftRight;
}

Acad::ErrorStatus ZEFTGripPoint::setLeftRight(int value) {
    assertWriteEnabled();
    m_leftRight = value;
    return Acad::eOk;
}

int ZEFTGripPoint::topBottom() const {
    assertReadEnabled();
    return m_topBottom;
}

Acad::ErrorStatus ZEFTGripPoint::setTopBottom(int value) {
    assertWriteEnabled();
    m_topBottom = value;
    return Acad::eOk;
}

AcGeVector3d ZEFTGripPoint::lastOffset() const {
    assertReadEnabled();
    return m_lastOffset;
}

Acad::ErrorStatus ZEFTGripPoint::setLastOffset(AcGeVector3d offset) {
    assertWriteEnabled();
    m_lastOffset = offset;
    return Acad::eOk;
}

// Dimensional settings.

Acad::ErrorStatus ZEFTGripPoint::dimensionalSettings(int index, char*& text) const {
    assertReadEnabled();
    if (index < 0 || index >= smartGripData.length()) return Acad::eInvalidIndex;
    const char* name = smartGripData[index].name;
    text = name ? strdup(name) : nullptr;
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTGripPoint::setDimensionalSettings(int index, const char* text) {
    assertWriteEnabled();
    if (index < 0 || index > smartGripData.length()) return Acad::eInvalidIndex;
    if (index == smartGripData.length()) smartGripData.append(CSmartGripData());
    CSmartGripData& setting = smartGripData[index];
    char* copy = text ? strdup(text) : nullptr;  // first: text may be the current name
    setting.releaseName();
    setting.name = copy;
    return Acad::eOk;
}

void ZEFTGripPoint::clearDimensionalSettings() {
    for (int i = 0; i < smartGripData.length(); ++i) smartGripData[i].releaseName();
    smartGripData.removeAll();
}

// Child-entity lists.

int ZEFTGripPoint::childEntityCount(int list) const {
    const int l = mappedList(list);
    return (l == 0 || l == 1) ? childIds[l].length() : 0;
}

AcDbObjectId ZEFTGripPoint::getChildEntityId(int index, int list) const {
    const int l = mappedList(list);
    if ((l != 0 && l != 1) || index < 0 || index >= childIds[l].length()) return AcDbObjectId::kNull;
    return childIds[l][index];
}

AcDbIntArray& ZEFTGripPoint::getChildStretchPointIds(int index, int list) {
    const int l = mappedList(list);
    if ((l != 0 && l != 1) || index < 0 || index >= childStretchIds[l].length()) return noStretchIds();
    return childStretchIds[l][index];
}

const AcDbIntArray& ZEFTGripPoint::getChildStretchPointIds(int index, int list) const {
    return const_cast<ZEFTGripPoint*>(this)->getChildStretchPointIds(index, list);
}

void ZEFTGripPoint::clearChildEntities(int list) {
    const int l = mappedList(list);
    if (l != 0 && l != 1) return;
    childIds[l].removeAll();
    childStretchIds[l].removeAll();
}

Acad::ErrorStatus ZEFTGripPoint::appendChildEntity(AcDbObjectId& id, int list) {
    assertWriteEnabled();
    if (list != 0 && list != 1) return Acad::eInvalidIndex;
    if (!childIds[list].contains(AcDbSoftPointerId(id))) childIds[list].append(AcDbSoftPointerId(id));
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTGripPoint::setChildStretchPointIds(AcArray<int>& ids, int list) {
    assertWriteEnabled();
    if (list != 0 && list != 1) return Acad::eInvalidIndex;
    childStretchIds[list].append(ids);
    return Acad::eOk;
}

bool ZEFTGripPoint::hasChildEntity(AcDbObjectId& id, int list) const {
    if (list != 0 && list != 1) return false;
    return childIds[list].contains(AcDbSoftPointerId(id));
}

// Formula statements.

void ZEFTGripPoint::AddFormula(CCondFormula* formula) { formulas.AddTail(formula); }

CCondFormula* ZEFTGripPoint::GetFormula(int index) {
    POSITION pos = index < 0 ? nullptr : formulas.FindIndex(index);
    return pos ? formulas.GetAt(pos) : nullptr;
}

void ZEFTGripPoint::ClearFormula() { clearStatementsAndVariables(); }

void ZEFTGripPoint::clearStatementsAndVariables() {
    for (POSITION pos = formulas.GetHeadPosition(); pos;) delete formulas.GetNext(pos);
    formulas.RemoveAll();
    for (POSITION pos = variables.GetHeadPosition(); pos;) delete variables.GetNext(pos);
    variables.RemoveAll();
}

// Host protocol.

Acad::ErrorStatus ZEFTGripPoint::getClassID(CLSID* classId) const {
    if (!classId) return Acad::eNullObjectPointer;
#ifdef CADHOST_R15
    *classId = CLSID{0x6AD3E1D2, 0xDEE6, 0x4649, {0x87, 0xC1, 0x50, 0x6C, 0x3A, 0xAB, 0xE8, 0xA7}};
#else
    // The automation wrapper CIGripPoint.
    *classId = CLSID{0x90032FEB, 0x21E2, 0x46FA, {0x9F, 0xED, 0x05, 0x29, 0x7F, 0x7C, 0x9D, 0xC2}};
#endif
    return Acad::eOk;
}

bool ZEFTGripPoint::isPlanar() const { return false; }

Acad::ErrorStatus ZEFTGripPoint::getPlane(AcGePlane&, AcDb::Planarity&) const { return Acad::eNotApplicable; }

Acad::ErrorStatus ZEFTGripPoint::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    std::vector<const AcGePoint3d*> grips;
    collectGrips(*this, grips, m_position, m_centerOfRadius, m_gripType);
    for (const AcGePoint3d* p : grips) gripPoints.append(*p);
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTGripPoint::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    const short type = m_gripType;
    const bool outlineType = type == 1 || type == 3 || isSubPointType(type);
    if (!outlineType && indices.contains(0)) {
        // Grip 0 carries the whole grip point along.
        m_position += offset;
        m_centerOfRadius += offset;
        for (AcGePoint3dArray& list : pointLists)
            for (AcGePoint3d& p : list) p += offset;
        return Acad::eOk;
    }
    if (isSubPointType(type)) {
        std::vector<AcGePoint3d*> grips;
        collectGrips(*this, grips, m_position, m_centerOfRadius, type);
        for (int index : indices)
            if (index >= 1 && index < static_cast<int>(grips.size())) *grips[static_cast<size_t>(index)] += offset;
        return Acad::eOk;
    }
    const bool radiusType = type == 2 || type == 3;
    AcGePoint3dArray& outline = pointLists[0];
    for (int index : indices) {
        if (index == 0) {
            m_position += offset;
        } else if (index == 1) {
            if (radiusType) m_centerOfRadius += offset;
            else if (outline.length() > 0) outline[0] += offset;
        } else if (index > 1) {
            const int k = radiusType ? index - 2 : index - 1;
            if (k < outline.length()) outline[k] += offset;
        }
    }
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTGripPoint::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    AcDbIntArray osnapModes, geomIds;
    return getGripPoints(stretchPoints, osnapModes, geomIds);
}

Acad::ErrorStatus ZEFTGripPoint::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus ZEFTGripPoint::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    m_centerOfRadius.transformBy(xform);
    m_position.transformBy(xform);
    for (AcGePoint3dArray& list : pointLists)
        for (AcGePoint3d& p : list) p.transformBy(xform);
    for (AcGePoint3d& p : subPoints) p.transformBy(xform);
    for (POSITION pos = formulas.GetHeadPosition(); pos;) {
        CCondFormula* statement = formulas.GetNext(pos);
        if (!statement) continue;
        for (POSITION t = statement->tokens.GetHeadPosition(); t;) {
            CFormulaObject* token = statement->tokens.GetNext(t);
            if (token && token->type == 7) token->point.transformBy(xform);
        }
    }
    Acad::ErrorStatus es = AcDbCurve::transformBy(xform);
    // The host's entity level has no geometry to transform and answers eNotApplicable; the
    // grip point itself is transformed, so that is success.
    return es == Acad::eNotApplicable ? Acad::eOk : es;
}

Acad::ErrorStatus ZEFTGripPoint::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d&, const AcGePoint3d&,
                                                const AcGeMatrix3d&, AcGePoint3dArray& snapPoints,
                                                AcDbIntArray&) const {
    assertReadEnabled();
    switch (mode) {
    case AcDb::kOsModeNode:
        if (isSubPointType(m_gripType)) {
            for (const AcGePoint3d& p : subPoints) snapPoints.append(p);
        } else {
            snapPoints.append(m_position);
        }
        break;
    case AcDb::kOsModeCen:
        if (m_gripType == 2 || m_gripType == 3) snapPoints.append(m_centerOfRadius);
        break;
    case AcDb::kOsModeEnd:
        for (const AcGePoint3dArray& list : pointLists)
            for (const AcGePoint3d& p : list) snapPoints.append(p);
        break;
    case AcDb::kOsModeMid:
        // The outlines are closed: the last point joins point 0.
        for (const AcGePoint3dArray& list : pointLists) {
            const int n = list.length();
            for (int i = 0; i < n; ++i) {
                const AcGePoint3d& a = list[i];
                const AcGePoint3d& b = list[(i + 1) % n];
                snapPoints.append(AcGePoint3d((a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.z + b.z) / 2.0));
            }
        }
        break;
    default:
        break;
    }
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTGripPoint::getGeomExtents(AcDbExtents& extents) const {
    assertReadEnabled();
    extents.addPoint(m_position);
    if (m_gripType == 2 || m_gripType == 3) extents.addPoint(m_centerOfRadius);
    for (const AcGePoint3dArray& list : pointLists)
        for (const AcGePoint3d& p : list) extents.addPoint(p);
    for (const AcGePoint3d& p : subPoints) extents.addPoint(p);
    return Acad::eOk;
}

void ZEFTGripPoint::list() const {
    assertReadEnabled();
    AcDbCurve::list();
    acutPrintf("%18s Grip type: %d\n", "", static_cast<int>(m_gripType));
    listPoint("position", m_position);
    if (m_gripType == 2 || m_gripType == 3) listPoint("center of radius", m_centerOfRadius);
    listPoint("insertion base", m_insBase);
    if (m_gripType == -1 || m_gripType == 1)
        acutPrintf("%18s Moves: %s%s\n", "", m_leftRight ? "left/right " : "", m_topBottom ? "up/down" : "");
    for (int i = 0; i < subPoints.length(); ++i) {
        char label[32];
        std::snprintf(label, sizeof label, "sub-point %d", i);
        listPoint(label, subPoints[i]);
    }
    for (int l = 0; l < 2; ++l)
        if (pointLists[l].length() > 0 || childIds[l].length() > 0)
            acutPrintf("%18s Outline %d: %d points, %d children\n", "", l, pointLists[l].length(),
                       childIds[l].length());
    for (const CSmartGripData& setting : smartGripData)
        acutPrintf("%18s Dimension: \"%s\"\n", "", setting.name ? setting.name : "");
    acutPrintf("%18s Statements: %d  Variables: %d\n", "", static_cast<int>(formulas.GetCount()),
               static_cast<int>(variables.GetCount()));
}

// Cloning: the grip point owns no other objects; its children are soft pointers.

Acad::ErrorStatus ZEFTGripPoint::deepClone(AcDbObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                           Adesk::Boolean isPrimary) const {
    clone = nullptr;
    if (!owner) return Acad::eNullObjectPointer;
    AcDbDatabase* db = owner->database();
    if (objectId().isNull() || !db || owner->objectId().isNull()) return Acad::eNotInDatabase;
    AcDbIdPair known(objectId(), AcDbObjectId::kNull, false, isPrimary != 0);
    if (idMap.compute(known) && known.isCloned() && !known.value().isNull()) return Acad::eOk;

    AcRxObject* made = isA()->create();
    auto* copy = ZEFTGripPoint::cast(made);
    if (!copy) {
        delete made;
        return Acad::eNotApplicable;
    }
    AcDbDwgMemoryFiler filer(AcDb::kDeepCloneFiler, database());
    Acad::ErrorStatus es = dwgOutFields(&filer);
    if (es == Acad::eOk) {
        filer.rewind();
        es = copy->dwgInFields(&filer);
    }
    if (es != Acad::eOk) {
        delete copy;
        return es;
    }
    copy->internalSetOwner(AcDbObjectId::kNull);  // placement gives the owner
    auto* block = AcDbBlockTableRecord::cast(owner);
    if (isPrimary && block) {
        es = block->appendAcDbEntity(copy);
    } else {
        es = db->addAcDbObject(copy);
        if (es == Acad::eOk) es = copy->setOwnerId(owner->objectId());
    }
    if (es != Acad::eOk) {
        if (copy->objectId().isNull()) delete copy;
        else copy->close();
        return es;
    }
    copy->setAcDbObjectIdsInFlux();
    idMap.assign(AcDbIdPair(objectId(), copy->objectId(), true, isPrimary != 0, true));
    clone = copy;
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTGripPoint::wblockClone(AcRxObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                             Adesk::Boolean isPrimary) const {
    clone = nullptr;
    AcDbObject* ownerObject = AcDbObject::cast(owner);
    AcDbDatabase* dest = ownerObject ? ownerObject->database() : AcDbDatabase::cast(owner);
    if (dest && dest != database() && idMap.deepCloneContext() == AcDb::kDcXrefBind) {
        AcDbDatabase* source = database();
        if (source && !ownerId().isNull() && ownerId() == source->paperSpaceId()) return Acad::eOk;
    }
    // The host's clone makes the new object through the wblock-clone filer, places it under the
    // owner (or in the destination database with this owner id), maps it and sets it in flux;
    // between databases it keeps layer and linetype ids for the translation.
    return AcDbCurve::wblockClone(owner, clone, idMap, isPrimary);
}
