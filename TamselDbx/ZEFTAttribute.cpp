#include "ZEFTAttribute.h"
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "ClassParams.h"
#include "FilerGroups.h"
#include "db/database.h"
#include "db/dxffiler.h"
#include "db/dxftokens.h"
#include "gi/geometry.h"

ACRX_DXF_DEFINE_MEMBERS(ZEFTAttribute, AcDbText, ZEFT_DWG_VERSION, ZEFT_MAINT_VERSION, ZEFT_PROXY_FLAGS,
                        "ZEFTATTRIBUTE", ZEFT_APP_NAME)

namespace {
constexpr double kCentredTolerance = 1e-8;

AcDbDatabase* workingDatabase() {
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    return services ? services->workingDatabase() : nullptr;
}

// Value of a real or a point written under a group code that DXF keeps for 16-bit integers
// (70 fieldLength, 75 and 76 the conditional points). The host's readers deliver such a group
// as an integer; the memory filer still holds the value as written, any other filer gives the
// integer part only.
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

char* duplicate(const char* text) { return text ? strdup(text) : nullptr; }
}  // namespace

ZEFTAttribute::ZEFTAttribute() = default;

ZEFTAttribute::~ZEFTAttribute() {
    deleteFormulas();
    std::free(m_tag);
    std::free(m_defaultValue);
}

void ZEFTAttribute::replaceText(char*& slot, const char* text) {
    char* copy = duplicate(text);
    std::free(slot);
    slot = copy;
}

// ---- tag, default value, flags ----

const char* ZEFTAttribute::tag() const {
    assertReadEnabled();
    return m_tag;
}

Acad::ErrorStatus ZEFTAttribute::setTag(const char* text) {
    assertWriteEnabled();
    if (!text) return Acad::eInvalidInput;
    replaceText(m_tag, text);
    return Acad::eOk;
}

char* ZEFTAttribute::defaultValue() const {
    assertReadEnabled();
    return strdup(m_defaultValue ? m_defaultValue : "");
}

CString ZEFTAttribute::defaultText() const { return CString(m_defaultValue); }

Acad::ErrorStatus ZEFTAttribute::setDefaultValue(const char* text) {
    assertWriteEnabled();
    if (!text) return Acad::eInvalidInput;
    replaceText(m_defaultValue, text);
    return Acad::eOk;
}

double ZEFTAttribute::fieldLength() const {
    assertReadEnabled();
    return m_fieldLength;
}

Acad::ErrorStatus ZEFTAttribute::setFieldLength(double length) {
    assertWriteEnabled();
    m_fieldLength = length;
    return Acad::eOk;
}

int ZEFTAttribute::isConstant() const {
    assertReadEnabled();
    return m_constant;
}

Acad::ErrorStatus ZEFTAttribute::setConstant(int value) {
    assertWriteEnabled();
    m_constant = value;
    return Acad::eOk;
}

int ZEFTAttribute::isInvisible() const {
    assertReadEnabled();
    return m_invisible;
}

Acad::ErrorStatus ZEFTAttribute::setInvisible(int value) {
    assertWriteEnabled();
    m_invisible = value;
    return Acad::eOk;
}

int ZEFTAttribute::isPreset() const {
    assertReadEnabled();
    return m_preset;
}

Acad::ErrorStatus ZEFTAttribute::setPreset(int value) {
    assertWriteEnabled();
    m_preset = value;
    return Acad::eOk;
}

int ZEFTAttribute::isVerifiable() const {
    assertReadEnabled();
    return m_verifiable;
}

Acad::ErrorStatus ZEFTAttribute::setVerifiable(int value) {
    assertWriteEnabled();
    m_verifiable = value;
    return Acad::eOk;
}

// ---- conditional points, definition ----

Acad::ErrorStatus ZEFTAttribute::conditionalPoint1(AcGePoint3d& point) const {
    assertReadEnabled();
    point = m_conditionalPoint1;
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttribute::conditionalPoint2(AcGePoint3d& point) const {
    assertReadEnabled();
    point = m_conditionalPoint2;
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttribute::setConditionalPoint1(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_conditionalPoint1 = point;
    m_hasConditionalPoints = 1;
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttribute::setConditionalPoint2(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_conditionalPoint2 = point;
    m_hasConditionalPoints = 1;
    return Acad::eOk;
}

int ZEFTAttribute::hasConditionalPoints() const {
    assertReadEnabled();
    return m_hasConditionalPoints;
}

const AcDbSoftPointerId& ZEFTAttribute::definitionId() const {
    assertReadEnabled();
    return m_definitionId;
}

Acad::ErrorStatus ZEFTAttribute::setDefinitionId(AcDbSoftPointerId id) {
    assertWriteEnabled();
    m_definitionId = id;
    return Acad::eOk;
}

// ---- statements ----

void ZEFTAttribute::AddFormula(CCondFormula* formula) {
    assertWriteEnabled();
    if (formula) m_formulas.AddTail(formula);
}

CCondFormula* ZEFTAttribute::GetFormula(int index) const {
    assertReadEnabled();
    return formulaAt(m_formulas, index);
}

int ZEFTAttribute::FormulaCount() const {
    assertReadEnabled();
    return m_formulas.GetCount();
}

void ZEFTAttribute::ClearFormula() {
    assertWriteEnabled();
    deleteFormulas();
}

void ZEFTAttribute::deleteFormulas() { ::deleteFormulas(m_formulas); }

void ZEFTAttribute::CheckFormulaForStretch() {
    assertReadEnabled();
    CCondFormula* formula = firstHoldingFormula(m_formulas, m_conditionalPoint1.distanceTo(m_conditionalPoint2));
    if (!formula) return;
    const CString current(textStringConst());
    const CString composed = formula->ComposeText(defaultText(), current);
    if (composed != current) setTextString(composed.GetString());
}

// ---- geometry ----

AcGePoint3d ZEFTAttribute::textPoint() const {
    const AcDb::TextHorzMode h = horizontalMode();
    const bool byAlignment = verticalMode() != AcDb::kTextBase ||
                             (h != AcDb::kTextLeft && h != AcDb::kTextAlign && h != AcDb::kTextFit);
    return byAlignment ? alignmentPoint() : position();
}

void ZEFTAttribute::moveTextPoint(const AcGeVector3d& offset) {
    const AcDb::TextHorzMode h = horizontalMode();
    const bool byAlignment = verticalMode() != AcDb::kTextBase ||
                             (h != AcDb::kTextLeft && h != AcDb::kTextAlign && h != AcDb::kTextFit);
    if (byAlignment)
        setAlignmentPoint(alignmentPoint() + offset);
    else
        setPosition(position() + offset);
    adjustAlignment(workingDatabase());
}

void ZEFTAttribute::centerTextIfAppropriate(const AcGeVector3d& offset) {
    const AcGePoint3d a = alignmentPoint();
    if (std::fabs(a.distanceTo(m_conditionalPoint2) - a.distanceTo(m_conditionalPoint1)) > kCentredTolerance)
        return;
    setAlignmentPoint(a + offset * 0.5);
    adjustAlignment(workingDatabase());
}

Acad::ErrorStatus ZEFTAttribute::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    gripPoints.append(textPoint());
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttribute::moveGripPointsAt(const AcDbIntArray&, const AcGeVector3d& offset) {
    assertWriteEnabled();
    moveTextPoint(offset);
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttribute::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    assertReadEnabled();
    stretchPoints.append(textPoint());
    if (m_hasConditionalPoints == 1) {
        stretchPoints.append(m_conditionalPoint1);
        stretchPoints.append(m_conditionalPoint2);
    }
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTAttribute::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    const bool conditional = m_hasConditionalPoints == 1;
    for (int i = 0; i < indices.length(); ++i) {
        switch (indices[i]) {
        case 0:
            moveTextPoint(offset);
            break;
        case 1:
            if (!conditional) break;
            centerTextIfAppropriate(offset);
            m_conditionalPoint1 += offset;
            break;
        case 2:
            if (!conditional) break;
            centerTextIfAppropriate(offset);
            m_conditionalPoint2 += offset;
            break;
        default:
            break;
        }
    }
    if (conditional) CheckFormulaForStretch();
    return Acad::eOk;
}

// The conditional points follow only a transformation the text accepts: a refused one is
// retried by the host on a copy, which must start from the untouched points.
Acad::ErrorStatus ZEFTAttribute::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    const AcGePoint3d p1 = xform * m_conditionalPoint1;
    const AcGePoint3d p2 = xform * m_conditionalPoint2;
    Acad::ErrorStatus es = AcDbText::transformBy(xform);
    if (es != Acad::eOk) return es;
    m_conditionalPoint1 = p1;
    m_conditionalPoint2 = p2;
    return Acad::eOk;
}

// ---- drawing ----

Adesk::Boolean ZEFTAttribute::subWorldDraw(AcGiWorldDraw* mode) {
    if (!mode) return Adesk::kTrue;
    return AcDbText::worldDraw(mode);
}

void ZEFTAttribute::subViewportDraw(AcGiViewportDraw* mode) {
    if (mode) AcDbText::viewportDraw(mode);
}

Adesk::Boolean ZEFTAttribute::worldDraw(AcGiWorldDraw*) {
    assertReadEnabled();
    return Adesk::kFalse;
}

void ZEFTAttribute::viewportDraw(AcGiViewportDraw*) {}

// ---- filing ----

Acad::ErrorStatus ZEFTAttribute::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbText::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeUInt16(kCurrentVersionNumber);
    filer->writeDouble(m_fieldLength);
    filer->writeBoolean(m_constant);
    filer->writeBoolean(m_invisible);
    filer->writeBoolean(m_preset);
    filer->writeBoolean(m_verifiable);
    filer->writeString(m_tag ? m_tag : "");
    filer->writeBoolean(m_hasConditionalPoints);
    if (m_hasConditionalPoints) {
        filer->writePoint3d(m_conditionalPoint1);
        filer->writePoint3d(m_conditionalPoint2);
    }
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
    filer->writeInt32(m_definitionId.asOldId());
    filer->writeString(m_defaultValue ? m_defaultValue : "");
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTAttribute::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbText::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::UInt16 version = 0;
    filer->readUInt16(&version);
    if (version > kCurrentVersionNumber) return Acad::eMakeMeProxy;
    deleteFormulas();
    filer->readDouble(&m_fieldLength);
    Adesk::Boolean flag = 0;
    filer->readBoolean(&flag);
    m_constant = flag;
    filer->readBoolean(&flag);
    m_invisible = flag;
    filer->readBoolean(&flag);
    m_preset = flag;
    filer->readBoolean(&flag);
    m_verifiable = flag;
    char* text = nullptr;
    if (filer->readString(&text) == Acad::eOk) {
        std::free(m_tag);
        m_tag = text;
    }
    if (version < 2 || filer->filerStatus() != Acad::eOk) return filer->filerStatus();

    filer->readBoolean(&flag);
    m_hasConditionalPoints = flag ? 1 : 0;
    if (m_hasConditionalPoints) {
        filer->readPoint3d(&m_conditionalPoint1);
        filer->readPoint3d(&m_conditionalPoint2);
    }
    Adesk::UInt16 count = 0;
    filer->readUInt16(&count);
    for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        auto* formula = new CCondFormula;
        m_formulas.AddTail(formula);
        formula->dwgInFields(filer);
    }
    Adesk::Int32 oldId = 0;
    if (filer->readInt32(&oldId) == Acad::eOk) m_definitionId.setFromOldId(oldId, filer->database());
    text = nullptr;
    if (filer->readString(&text) == Acad::eOk) {
        std::free(m_defaultValue);
        m_defaultValue = text;
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTAttribute::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbText::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeSubclass("ZEFTAttribute");
    filer->writeUInt16(70, kCurrentVersionNumber);
    filer->writeDouble(70, m_fieldLength);
    filer->writeBoolean(72, m_constant);
    filer->writeBoolean(71, m_invisible);
    filer->writeBoolean(74, m_preset);
    filer->writeBoolean(73, m_verifiable);
    filer->writeString(2, m_tag ? m_tag : "");
    filer->writeBoolean(71, m_hasConditionalPoints);
    if (m_hasConditionalPoints) {
        filer->writePoint3d(75, m_conditionalPoint1);
        filer->writePoint3d(76, m_conditionalPoint2);
    }
    int count = 0;
    for (POSITION pos = m_formulas.GetHeadPosition(); pos;)
        if (m_formulas.GetNext(pos)) ++count;
    const Adesk::UInt16 filed = filedCount(count);
    filer->writeUInt16(77, filed);
    POSITION pos = m_formulas.GetHeadPosition();
    for (int n = 0; n < filed && pos;) {
        const CCondFormula* formula = m_formulas.GetNext(pos);
        if (!formula) continue;
        formula->dxfOutFields(filer);
        ++n;
    }
    filer->writeInt32(330, m_definitionId.asOldId());
    filer->writeString(3, m_defaultValue ? m_defaultValue : "");
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTAttribute::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbText::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if (!filer->atSubclassData("ZEFTAttribute")) {
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
    if (dxfReadGroup(filer, 70, &rb) != Acad::eOk) return filer->filerStatus();
    m_fieldLength = dxfGroupReal(filer, rb);
    if (dxfReadGroup(filer, 72, &rb) != Acad::eOk) return filer->filerStatus();
    m_constant = dxfGroupInt(rb);
    if (dxfReadGroup(filer, 71, &rb) != Acad::eOk) return filer->filerStatus();
    m_invisible = dxfGroupInt(rb);
    if (dxfReadGroup(filer, 74, &rb) != Acad::eOk) return filer->filerStatus();
    m_preset = dxfGroupInt(rb);
    if (dxfReadGroup(filer, 73, &rb) != Acad::eOk) return filer->filerStatus();
    m_verifiable = dxfGroupInt(rb);
    if (dxfReadGroup(filer, 2, &rb) != Acad::eOk) return filer->filerStatus();
    replaceText(m_tag, dxfGroupText(rb).GetString());
    if (version < 2) return filer->filerStatus();

    if (dxfReadGroup(filer, 71, &rb) != Acad::eOk) return filer->filerStatus();
    m_hasConditionalPoints = dxfGroupInt(rb) ? 1 : 0;
    if (m_hasConditionalPoints) {
        if (dxfReadGroup(filer, 75, &rb) != Acad::eOk) return filer->filerStatus();
        m_conditionalPoint1 = dxfPointUnderIntegerCode(filer, rb);
        if (dxfReadGroup(filer, 76, &rb) != Acad::eOk) return filer->filerStatus();
        m_conditionalPoint2 = dxfPointUnderIntegerCode(filer, rb);
    }
    if (dxfReadGroup(filer, 77, &rb) != Acad::eOk) return filer->filerStatus();
    const int count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
    for (int i = 0; i < count; ++i) {
        auto* formula = new CCondFormula;
        m_formulas.AddTail(formula);
        formula->dxfInFields(filer);  // a broken statement leaves its error in the filer
    }
    if (dxfReadGroup(filer, 330, &rb) != Acad::eOk) return filer->filerStatus();
    m_definitionId = AcDbSoftPointerId(dxfGroupOldId(rb, filer->database()));
    if (dxfReadGroup(filer, 3, &rb) != Acad::eOk) return filer->filerStatus();
    replaceText(m_defaultValue, dxfGroupText(rb).GetString());
    return filer->filerStatus();
}
