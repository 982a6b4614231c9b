#include "db/attribute.h"
#include "rx/rxclass.h"
#include <cstdlib>
#include <cstring>
#include "db/attdef.h"
#include "db/entitysupport.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbAttribute, AcDbText, "ATTRIB", ACRX_HOST_CONS(AcDbAttribute))

using namespace cadhost::ent;

AcDbAttribute::AcDbAttribute() = default;

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag, AcDbObjectId style)
    : AcDbText(position, text, style), m_tag(tag ? tag : "") {}

AcDbAttribute::~AcDbAttribute() = default;

char* AcDbAttribute::tag() const {
    assertReadEnabled();
    char* out = static_cast<char*>(std::malloc(m_tag.size() + 1));
    if (out) std::memcpy(out, m_tag.c_str(), m_tag.size() + 1);
    return out;
}

const char* AcDbAttribute::tagConst() const {
    assertReadEnabled();
    return m_tag.c_str();
}

Acad::ErrorStatus AcDbAttribute::setTag(const char* tag) {
    assertWriteEnabled();
    if (!tag) return Acad::eInvalidInput;
    m_tag = tag;
    return Acad::eOk;
}

Adesk::UInt16 AcDbAttribute::fieldLength() const {
    assertReadEnabled();
    return m_fieldLength;
}

Acad::ErrorStatus AcDbAttribute::setFieldLength(Adesk::UInt16 length) {
    assertWriteEnabled();
    m_fieldLength = length;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setFlag(Adesk::Int16 bit, bool value) {
    assertWriteEnabled();
    m_flags = static_cast<Adesk::Int16>(value ? (m_flags | bit) : (m_flags & ~bit));
    return Acad::eOk;
}

bool AcDbAttribute::isInvisible() const { assertReadEnabled(); return m_flags & 1; }
Acad::ErrorStatus AcDbAttribute::setInvisible(bool value) { return setFlag(1, value); }
bool AcDbAttribute::isConstant() const { assertReadEnabled(); return m_flags & 2; }
Acad::ErrorStatus AcDbAttribute::setConstant(bool value) { return setFlag(2, value); }
bool AcDbAttribute::isVerifiable() const { assertReadEnabled(); return m_flags & 4; }
Acad::ErrorStatus AcDbAttribute::setVerifiable(bool value) { return setFlag(4, value); }
bool AcDbAttribute::isPreset() const { assertReadEnabled(); return m_flags & 8; }
Acad::ErrorStatus AcDbAttribute::setPreset(bool value) { return setFlag(8, value); }

Adesk::Int16 AcDbAttribute::attributeFlags() const {
    assertReadEnabled();
    return m_flags;
}

bool AcDbAttribute::lockPositionInBlock() const {
    assertReadEnabled();
    return m_lockPosition;
}

Acad::ErrorStatus AcDbAttribute::setLockPositionInBlock(bool value) {
    assertWriteEnabled();
    m_lockPosition = value;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setAttributeFromBlock(const AcDbAttributeDefinition* definition,
                                                       const AcGeMatrix3d& blockTransform) {
    assertWriteEnabled();
    if (!definition) return Acad::eNullObjectPointer;
    Acad::ErrorStatus es = setTextPropertiesFrom(definition);
    if (es != Acad::eOk) return es;
    m_tag = definition->tagConst();
    m_fieldLength = definition->fieldLength();
    m_flags = definition->attributeFlags();
    m_lockPosition = definition->lockPositionInBlock();
    return transformBy(blockTransform);
}

void AcDbAttribute::list() const {
    AcDbText::list();
    acutPrintf("                    Tag = %s\n", m_tag.c_str());
    acutPrintf("                  Flags =%s%s%s%s\n", (m_flags & 1) ? " invisible" : "",
               (m_flags & 2) ? " constant" : "", (m_flags & 4) ? " verify" : "", (m_flags & 8) ? " preset" : "");
}

Acad::ErrorStatus AcDbAttribute::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbText::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeString(m_tag.c_str());
    filer->writeUInt16(m_fieldLength);
    filer->writeInt16(m_flags);
    filer->writeBool(m_lockPosition);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttribute::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbText::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    char* tag = nullptr;
    filer->readString(&tag);
    filer->readUInt16(&m_fieldLength);
    filer->readInt16(&m_flags);
    filer->readBool(&m_lockPosition);
    m_tag = tag ? tag : "";
    std::free(tag);
    m_flags &= 15;
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttribute::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = dxfOutTextPart(filer)) != Acad::eOk) return es;
    filer->writeSubclass("AcDbAttribute");
    filer->writeString(2, m_tag.c_str());
    filer->writeInt16(70, m_flags);
    if (m_fieldLength != 0) filer->writeInt16(73, static_cast<Adesk::Int16>(m_fieldLength));
    AcDb::TextVertMode v = verticalMode();
    if (v != AcDb::kTextBase) filer->writeInt16(74, static_cast<Adesk::Int16>(v));
    if (m_lockPosition) filer->writeInt8(280, 1);
    return filer->filerStatus();
}

bool AcDbAttribute::dxfInOwnGroup(const resbuf& rb) {
    switch (rb.restype) {
        case 2: m_tag = groupString(rb); return true;
        case 70: m_flags = static_cast<Adesk::Int16>(groupInt(rb) & 15); return true;
        case 73: m_fieldLength = static_cast<Adesk::UInt16>(groupInt(rb)); return true;
        case 74: internalSetVerticalMode(groupInt(rb)); return true;
        case 280: m_lockPosition = groupInt(rb) != 0; return true;
        default: return false;
    }
}

Acad::ErrorStatus AcDbAttribute::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return dxfInTextPart(filer, "AcDbAttribute");
}
