#include "db/attdef.h"
#include "rx/rxclass.h"
#include "db/attributefields.h"
#include "db/entitysupport.h"
#include "db/hostinternal.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText, "ATTDEF", ACRX_HOST_CONS(AcDbAttributeDefinition))

using namespace cadhost::ent;

AcDbAttributeDefinition::AcDbAttributeDefinition() = default;

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const char* text, const char* tag,
                                                 const char* prompt, AcDbObjectId style)
    : AcDbText(position, text, style), m_prompt(prompt ? prompt : "") {
    m_fields.tag = tag ? tag : "";
}

AcDbAttributeDefinition::~AcDbAttributeDefinition() = default;

char* AcDbAttributeDefinition::prompt() const {
    assertReadEnabled();
    return cadhost::db::heapCopy(m_prompt);
}

const char* AcDbAttributeDefinition::promptConst() const {
    assertReadEnabled();
    return m_prompt.c_str();
}

Acad::ErrorStatus AcDbAttributeDefinition::setPrompt(const char* prompt) {
    assertWriteEnabled();
    m_prompt = prompt ? prompt : "";
    return Acad::eOk;
}

char* AcDbAttributeDefinition::tag() const {
    assertReadEnabled();
    return cadhost::db::heapCopy(m_fields.tag);
}

const char* AcDbAttributeDefinition::tagConst() const {
    assertReadEnabled();
    return m_fields.tag.c_str();
}

Acad::ErrorStatus AcDbAttributeDefinition::setTag(const char* tag) {
    assertWriteEnabled();
    if (!tag) return Acad::eInvalidInput;
    m_fields.tag = tag;
    return Acad::eOk;
}

Adesk::UInt16 AcDbAttributeDefinition::fieldLength() const {
    assertReadEnabled();
    return m_fields.fieldLength;
}

Acad::ErrorStatus AcDbAttributeDefinition::setFieldLength(Adesk::UInt16 length) {
    assertWriteEnabled();
    m_fields.fieldLength = length;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setFlag(Adesk::Int16 bit, bool value) {
    assertWriteEnabled();
    m_fields.setFlag(bit, value);
    return Acad::eOk;
}

bool AcDbAttributeDefinition::isInvisible() const { assertReadEnabled(); return m_fields.flags & 1; }
Acad::ErrorStatus AcDbAttributeDefinition::setInvisible(bool value) { return setFlag(1, value); }
bool AcDbAttributeDefinition::isConstant() const { assertReadEnabled(); return m_fields.flags & 2; }
Acad::ErrorStatus AcDbAttributeDefinition::setConstant(bool value) { return setFlag(2, value); }
bool AcDbAttributeDefinition::isVerifiable() const { assertReadEnabled(); return m_fields.flags & 4; }
Acad::ErrorStatus AcDbAttributeDefinition::setVerifiable(bool value) { return setFlag(4, value); }
bool AcDbAttributeDefinition::isPreset() const { assertReadEnabled(); return m_fields.flags & 8; }
Acad::ErrorStatus AcDbAttributeDefinition::setPreset(bool value) { return setFlag(8, value); }

Adesk::Int16 AcDbAttributeDefinition::attributeFlags() const {
    assertReadEnabled();
    return m_fields.flags;
}

bool AcDbAttributeDefinition::lockPositionInBlock() const {
    assertReadEnabled();
    return m_fields.lockPosition;
}

Acad::ErrorStatus AcDbAttributeDefinition::setLockPositionInBlock(bool value) {
    assertWriteEnabled();
    m_fields.lockPosition = value;
    return Acad::eOk;
}

void AcDbAttributeDefinition::list() const {
    AcDbText::list();
    m_fields.listTag();
    acutPrintf("                 Prompt = %s\n", m_prompt.c_str());
    m_fields.listFlags();
}

Acad::ErrorStatus AcDbAttributeDefinition::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbText::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeString(m_fields.tag.c_str());
    filer->writeString(m_prompt.c_str());
    m_fields.dwgOutRest(filer);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttributeDefinition::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbText::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    m_fields.tag = cadhost::db::readDwgText(filer);
    m_prompt = cadhost::db::readDwgText(filer);
    m_fields.dwgInRest(filer);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttributeDefinition::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = dxfOutTextPart(filer)) != Acad::eOk) return es;
    filer->writeSubclass("AcDbAttributeDefinition");
    filer->writeString(3, m_prompt.c_str());
    m_fields.dxfOut(filer, verticalMode());
    return filer->filerStatus();
}

bool AcDbAttributeDefinition::dxfInOwnGroup(const resbuf& rb) {
    switch (rb.restype) {
        case 3: m_prompt = groupString(rb); return true;
        case 74: internalSetVerticalMode(groupInt(rb)); return true;
        default: return m_fields.dxfInGroup(rb);
    }
}

Acad::ErrorStatus AcDbAttributeDefinition::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return dxfInTextPart(filer, "AcDbAttributeDefinition");
}
