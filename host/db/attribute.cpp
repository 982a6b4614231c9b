#include "db/attribute.h"
#include "rx/rxclass.h"
#include "db/attdef.h"
#include "db/attributefields.h"
#include "db/entitysupport.h"
#include "db/hostinternal.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbAttribute, AcDbText, "ATTRIB", ACRX_HOST_CONS(AcDbAttribute))

using namespace cadhost::ent;

AcDbAttribute::AcDbAttribute() = default;

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag, AcDbObjectId style)
    : AcDbText(position, text, style) {
    m_fields.tag = tag ? tag : "";
}

AcDbAttribute::~AcDbAttribute() = default;

char* AcDbAttribute::tag() const {
    assertReadEnabled();
    return cadhost::db::heapCopy(m_fields.tag);
}

const char* AcDbAttribute::tagConst() const {
    assertReadEnabled();
    return m_fields.tag.c_str();
}

Acad::ErrorStatus AcDbAttribute::setTag(const char* tag) {
    assertWriteEnabled();
    if (!tag) return Acad::eInvalidInput;
    m_fields.tag = tag;
    return Acad::eOk;
}

Adesk::UInt16 AcDbAttribute::fieldLength() const {
    assertReadEnabled();
    return m_fields.fieldLength;
}

Acad::ErrorStatus AcDbAttribute::setFieldLength(Adesk::UInt16 length) {
    assertWriteEnabled();
    m_fields.fieldLength = length;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setFlag(Adesk::Int16 bit, bool value) {
    assertWriteEnabled();
    m_fields.setFlag(bit, value);
    return Acad::eOk;
}

bool AcDbAttribute::isInvisible() const { assertReadEnabled(); return m_fields.flags & 1; }
Acad::ErrorStatus AcDbAttribute::setInvisible(bool value) { return setFlag(1, value); }
bool AcDbAttribute::isConstant() const { assertReadEnabled(); return m_fields.flags & 2; }
Acad::ErrorStatus AcDbAttribute::setConstant(bool value) { return setFlag(2, value); }
bool AcDbAttribute::isVerifiable() const { assertReadEnabled(); return m_fields.flags & 4; }
Acad::ErrorStatus AcDbAttribute::setVerifiable(bool value) { return setFlag(4, value); }
bool AcDbAttribute::isPreset() const { assertReadEnabled(); return m_fields.flags & 8; }
Acad::ErrorStatus AcDbAttribute::setPreset(bool value) { return setFlag(8, value); }

Adesk::Int16 AcDbAttribute::attributeFlags() const {
    assertReadEnabled();
    return m_fields.flags;
}

bool AcDbAttribute::lockPositionInBlock() const {
    assertReadEnabled();
    return m_fields.lockPosition;
}

Acad::ErrorStatus AcDbAttribute::setLockPositionInBlock(bool value) {
    assertWriteEnabled();
    m_fields.lockPosition = value;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setAttributeFromBlock(const AcDbAttributeDefinition* definition,
                                                       const AcGeMatrix3d& blockTransform) {
    assertWriteEnabled();
    if (!definition) return Acad::eNullObjectPointer;
    Acad::ErrorStatus es = setTextPropertiesFrom(definition);
    if (es != Acad::eOk) return es;
    m_fields.tag = definition->tagConst();
    m_fields.fieldLength = definition->fieldLength();
    m_fields.flags = definition->attributeFlags();
    m_fields.lockPosition = definition->lockPositionInBlock();
    return transformBy(blockTransform);
}

void AcDbAttribute::list() const {
    AcDbText::list();
    m_fields.listTag();
    m_fields.listFlags();
}

Acad::ErrorStatus AcDbAttribute::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbText::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeString(m_fields.tag.c_str());
    m_fields.dwgOutRest(filer);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttribute::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbText::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    m_fields.tag = cadhost::db::readDwgText(filer);
    m_fields.dwgInRest(filer);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttribute::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = dxfOutTextPart(filer)) != Acad::eOk) return es;
    filer->writeSubclass("AcDbAttribute");
    m_fields.dxfOut(filer, verticalMode());
    return filer->filerStatus();
}

bool AcDbAttribute::dxfInOwnGroup(const resbuf& rb) {
    if (rb.restype == 74) {
        internalSetVerticalMode(groupInt(rb));
        return true;
    }
    return m_fields.dxfInGroup(rb);
}

Acad::ErrorStatus AcDbAttribute::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return dxfInTextPart(filer, "AcDbAttribute");
}
