#include "ZEFTAttributeDefinition.h"
#include "ClassParams.h"
#include "FilerGroups.h"
#include "db/database.h"
#include "gi/geometry.h"
#include "win/guiddef.h"

ACRX_DXF_DEFINE_MEMBERS(ZEFTAttributeDefinition, AcDbAttributeDefinition, ZEFT_DWG_VERSION, ZEFT_MAINT_VERSION,
                        ZEFT_PROXY_FLAGS, "ZEFTATTRIBUTEDEFINITION", ZEFT_APP_NAME)

namespace {
#ifdef CADHOST_R15
// {65792D5A-90D9-4657-A82A-23561DC43457}
constexpr GUID kClassId = {0x65792D5A, 0x90D9, 0x4657, {0xA8, 0x2A, 0x23, 0x56, 0x1D, 0xC4, 0x34, 0x57}};
#else
// CIAtteDef: {BD659503-0CB1-4E36-9789-898257286525}
constexpr GUID kClassId = {0xBD659503, 0x0CB1, 0x4E36, {0x97, 0x89, 0x89, 0x82, 0x57, 0x28, 0x65, 0x25}};
#endif

AcDbDatabase* workingDatabase() {
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    return services ? services->workingDatabase() : nullptr;
}

Acad::ErrorStatus dxfReadVersion(AcDbDxfFiler* filer, Adesk::UInt16& version) {
    resbuf rb;
    if (filer->readItem(&rb) == Acad::eOk) {
        if (rb.restype == 70) {
            version = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
            return Acad::eOk;
        }
        filer->pushBackItem();
    } else if (filer->filerStatus() != Acad::eOk) {
        return filer->filerStatus();
    }
    filer->setError(Acad::eInvalidDxfCode, "nError: expected object version group code %d", 70);
    return filer->filerStatus();
}
}  // namespace

ZEFTAttributeDefinition::ZEFTAttributeDefinition() = default;

ZEFTAttributeDefinition::~ZEFTAttributeDefinition() { deleteFormulas(); }

// ---- conditional points and statements ----

AcGePoint3d& ZEFTAttributeDefinition::conditionalPoint1() {
    assertReadEnabled();
    return m_conditionalPoint1;
}

AcGePoint3d& ZEFTAttributeDefinition::conditionalPoint2() {
    assertReadEnabled();
    return m_conditionalPoint2;
}

Acad::ErrorStatus ZEFTAttributeDefinition::setConditionalPoint1(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_conditionalPoint1 = point;
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttributeDefinition::setConditionalPoint2(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_conditionalPoint2 = point;
    return Acad::eOk;
}

void ZEFTAttributeDefinition::AddFormula(CCondFormula* formula) {
    assertWriteEnabled();
    if (formula) m_formulas.AddTail(formula);
}

CCondFormula* ZEFTAttributeDefinition::GetFormula(int index) const {
    assertReadEnabled();
    return formulaAt(m_formulas, index);
}

int ZEFTAttributeDefinition::FormulaCount() const {
    assertReadEnabled();
    return m_formulas.GetCount();
}

void ZEFTAttributeDefinition::ClearFormula() {
    assertWriteEnabled();
    deleteFormulas();
}

void ZEFTAttributeDefinition::deleteFormulas() { ::deleteFormulas(m_formulas); }

void ZEFTAttributeDefinition::CheckFormulaForStretch() {
    assertReadEnabled();
    const double distance = m_conditionalPoint1.distanceTo(m_conditionalPoint2);
    for (POSITION pos = m_formulas.GetHeadPosition(); pos;) {
        CCondFormula* formula = m_formulas.GetNext(pos);
        if (!formula) continue;
        double value = distance;
        POSITION at = nullptr;
        formula->TestFormula(value, at);
    }
}

Acad::ErrorStatus ZEFTAttributeDefinition::getClassID(CLSID* classId) const {
    assertReadEnabled();
    if (!classId) return Acad::eInvalidInput;
    *classId = kClassId;
    return Acad::eOk;
}

// ---- drawing ----

void ZEFTAttributeDefinition::drawMarkers(AcGiGeometry& geometry) const {
    if (m_formulas.IsEmpty()) return;
    const AcGePoint3d first[2] = {m_conditionalPoint1, m_conditionalPoint1};
    const AcGePoint3d second[2] = {m_conditionalPoint2, m_conditionalPoint2};
    geometry.polyline(2, first);
    geometry.polyline(2, second);
}

Adesk::Boolean ZEFTAttributeDefinition::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode) return Adesk::kTrue;
    AcDbAttributeDefinition::worldDraw(mode);
    drawMarkers(mode->geometry());
    return Adesk::kTrue;
}

void ZEFTAttributeDefinition::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (!mode) return;
    AcDbAttributeDefinition::viewportDraw(mode);
    drawMarkers(mode->geometry());
}

// ---- grips, stretch, transform ----

AcGePoint3d ZEFTAttributeDefinition::textPoint() const {
    const AcDb::TextHorzMode h = horizontalMode();
    const bool byAlignment = verticalMode() != AcDb::kTextBase ||
                             (h != AcDb::kTextLeft && h != AcDb::kTextAlign && h != AcDb::kTextFit);
    return byAlignment ? alignmentPoint() : position();
}

void ZEFTAttributeDefinition::moveTextPoint(const AcGeVector3d& offset) {
    const AcDb::TextHorzMode h = horizontalMode();
    const bool byAlignment = verticalMode() != AcDb::kTextBase ||
                             (h != AcDb::kTextLeft && h != AcDb::kTextAlign && h != AcDb::kTextFit);
    if (byAlignment)
        setAlignmentPoint(alignmentPoint() + offset);
    else
        setPosition(position() + offset);
    adjustAlignment(workingDatabase());
}

void ZEFTAttributeDefinition::movePoints(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    for (int i = 0; i < indices.length(); ++i) {
        switch (indices[i]) {
        case 0:
            moveTextPoint(offset);
            break;
        case 1:
            m_conditionalPoint1 += offset;
            break;
        case 2:
            m_conditionalPoint2 += offset;
            break;
        default:
            break;
        }
    }
}

Acad::ErrorStatus ZEFTAttributeDefinition::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&,
                                                         AcDbIntArray&) const {
    return getStretchPoints(gripPoints);
}

Acad::ErrorStatus ZEFTAttributeDefinition::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    assertReadEnabled();
    stretchPoints.append(textPoint());
    stretchPoints.append(m_conditionalPoint1);
    stretchPoints.append(m_conditionalPoint2);
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttributeDefinition::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    movePoints(indices, offset);
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttributeDefinition::moveStretchPointsAt(const AcDbIntArray& indices,
                                                               const AcGeVector3d& offset) {
    assertWriteEnabled();
    movePoints(indices, offset);
    CheckFormulaForStretch();
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttributeDefinition::getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark,
                                                          const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                                          const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                                          AcDbIntArray& geomIds) const {
    return AcDbAttributeDefinition::getOsnapPoints(mode, gsSelectionMark, pickPoint, lastPoint, viewXform, snapPoints,
                                                   geomIds);
}

// The points follow only a transformation the definition accepts, so that a refused one
// leaves the entity as it was for the host's retry on a copy.
Acad::ErrorStatus ZEFTAttributeDefinition::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    const AcGePoint3d p1 = xform * m_conditionalPoint1;
    const AcGePoint3d p2 = xform * m_conditionalPoint2;
    Acad::ErrorStatus es = AcDbAttributeDefinition::transformBy(xform);
    if (es != Acad::eOk) return es;
    m_conditionalPoint1 = p1;
    m_conditionalPoint2 = p2;
    return Acad::eOk;
}

// ---- filing ----

Acad::ErrorStatus ZEFTAttributeDefinition::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbAttributeDefinition::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeUInt16(kCurrentVersionNumber);
    filer->writePoint3d(m_conditionalPoint1);
    filer->writePoint3d(m_conditionalPoint2);
    int count = 0;
    for (POSITION pos = m_formulas.GetHeadPosition(); pos;)
        if (m_formulas.GetNext(pos)) ++count;
    const Adesk::UInt16 filed = filedCount(count);
    filer->writeUInt16(filed);
    POSITION pos = m_formulas.GetHeadPosition();
    for (int n = 0; n < filed && pos;) {
        const CCondFormula* formula = m_formulas.GetNext(pos);
        if (!formula) continue;
        formula->dwgOutFields(filer);
        ++n;
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTAttributeDefinition::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbAttributeDefinition::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::UInt16 version = 0;
    filer->readUInt16(&version);
    if (version > kCurrentVersionNumber) return Acad::eMakeMeProxy;
    deleteFormulas();
    filer->readPoint3d(&m_conditionalPoint1);
    filer->readPoint3d(&m_conditionalPoint2);
    Adesk::UInt16 count = 0;
    filer->readUInt16(&count);
    for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        auto* formula = new CCondFormula;
        m_formulas.AddTail(formula);
        formula->dwgInFields(filer);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTAttributeDefinition::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbAttributeDefinition::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeSubclass("ZEFTAttributeDefinition");
    filer->writeUInt16(70, kCurrentVersionNumber);
    filer->writePoint3d(12, m_conditionalPoint1);
    filer->writePoint3d(13, m_conditionalPoint2);
    int count = 0;
    for (POSITION pos = m_formulas.GetHeadPosition(); pos;)
        if (m_formulas.GetNext(pos)) ++count;
    const Adesk::UInt16 filed = filedCount(count);
    filer->writeUInt16(72, filed);
    POSITION pos = m_formulas.GetHeadPosition();
    for (int n = 0; n < filed && pos;) {
        const CCondFormula* formula = m_formulas.GetNext(pos);
        if (!formula) continue;
        formula->dxfOutFields(filer);
        ++n;
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTAttributeDefinition::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbAttributeDefinition::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if (!filer->atSubclassData("ZEFTAttributeDefinition")) {
        // An object without its own part is not read as complete.
        if (filer->filerStatus() == Acad::eOk)
            filer->setError(Acad::eInvalidDxfCode, "nError: expected group code %d", 100);
        return filer->filerStatus();
    }
    Adesk::UInt16 version = 0;
    if (dxfReadVersion(filer, version) != Acad::eOk) return filer->filerStatus();
    if (version > kCurrentVersionNumber) return Acad::eMakeMeProxy;
    deleteFormulas();
    resbuf rb;
    if (dxfReadGroup(filer, 12, &rb) != Acad::eOk) return filer->filerStatus();
    m_conditionalPoint1 = dxfGroupPoint(rb);
    if (dxfReadGroup(filer, 13, &rb) != Acad::eOk) return filer->filerStatus();
    m_conditionalPoint2 = dxfGroupPoint(rb);
    if (dxfReadGroup(filer, 72, &rb) != Acad::eOk) return filer->filerStatus();
    const int count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
    for (int i = 0; i < count; ++i) {
        auto* formula = new CCondFormula;
        m_formulas.AddTail(formula);
        formula->dxfInFields(filer);  // a broken statement leaves its error in the filer
    }
    return filer->filerStatus();
}
