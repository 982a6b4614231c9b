#include "db/attdef.h"
#include "rx/rxclass.h"
#include <cstdlib>
#include <cstring>
#include "db/entitysupport.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText, "ATTDEF", ACRX_HOST_CONS(AcDbAttributeDefinition))

using namespace cadhost::ent;

namespace {
char* heapCopy(const std::string& s) {
    char* out = static_cast<char*>(std::malloc(s.size() + 1));
    if (out) std::memcpy(out, s.c_str(), s.size() + 1);
    return out;
}
}  // namespace

AcDbAttributeDefinition::AcDbAttributeDefinition() = default;

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const char* text, const char* tag,
                                                 const char* prompt, AcDbObjectId style)
    : AcDbText(position, text, style), m_tag(tag ? tag : ""), m_prompt(prompt ? prompt : "") {}

AcDbAttributeDefinition::~AcDbAttributeDefinition() = default;

char* AcDbAttributeDefinition::prompt() const {
    assertReadEnabled();
    return heapCopy(m_prompt);
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
    return heapCopy(m_tag);
}

const char* AcDbAttributeDefinition::tagConst() const {
    assertReadEnabled();
    return m_tag.c_str();
}

Acad::ErrorStatus AcDbAttributeDefinition::setTag(const char* tag) {
    assertWriteEnabled();
    if (!tag) return Acad::eInvalidInput;
    m_tag = tag;
    return Acad::eOk;
}

Adesk::UInt16 AcDbAttributeDefinition::fieldLength() const {
    assertReadEnabled();
    return m_fieldLength;
}

Acad::ErrorStatus AcDbAttributeDefinition::setFieldLength(Adesk::UInt16 length) {
    assertWriteEnabled();
    m_fieldLength = length;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setFlag(Adesk::Int16 bit, bool value) {
    assertWriteEnabled();
    m_flags = static_cast<Adesk::Int16>(value ? (m_flags | bit) : (m_flags & ~bit));
    return Acad::eOk;
}

bool AcDbAttributeDefinition::isInvisible() const { assertReadEnabled(); return m_flags & 1; }
Acad::ErrorStatus AcDbAttributeDefinition::setInvisible(bool value) { return setFlag(1, value); }
bool AcDbAttributeDefinition::isConstant() const { assertReadEnabled(); return m_flags & 2; }
Acad::ErrorStatus AcDbAttributeDefinition::setConstant(bool value) { return setFlag(2, value); }
bool AcDbAttributeDefinition::isVerifiable() const { assertReadEnabled(); return m_flags & 4; }
Acad::ErrorStatus AcDbAttributeDefinition::setVerifiable(bool value) { return setFlag(4, value); }
bool AcDbAttributeDefinition::isPreset() const { assertReadEnabled(); return m_flags & 8; }
Acad::ErrorStatus AcDbAttributeDefinition::setPreset(bool value) { return setFlag(8, value); }

Adesk::Int16 AcDbAttributeDefinition::attributeFlags() const {
    assertReadEnabled();
    return m_flags;
}

bool AcDbAttributeDefinition::lockPositionInBlock() const {
    assertReadEnabled();
    return m_lockPosition;
}

Acad::ErrorStatus AcDbAttributeDefinition::setLockPositionInBlock(bool value) {
    assertWriteEnabled();
    m_lockPosition = value;
    return Acad::eOk;
}

void AcDbAttributeDefinition::list() const {
    AcDbText::list();
    acutPrintf("                    Tag = %s\n", m_tag.c_str());
    acutPrintf("                 Prompt = %s\n", m_prompt.c_str());
    acutPrintf("                  Flags =%s%s%s%s\n", (m_flags & 1) ? " invisible" : "",
               (m_flags & 2) ? " constant" : "", (m_flags & 4) ? " verify" : "", (m_flags & 8) ? " preset" : "");
}

Acad::ErrorStatus AcDbAttributeDefinition::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbText::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeString(m_tag.c_str());
    filer->writeString(m_prompt.c_str());
    filer->writeUInt16(m_fieldLength);
    filer->writeInt16(m_flags);
    filer->writeBool(m_lockPosition);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttributeDefinition::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbText::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    char* tag = nullptr;
    char* prompt = nullptr;
    filer->readString(&tag);
    filer->readString(&prompt);
    filer->readUInt16(&m_fieldLength);
    filer->readInt16(&m_flags);
    filer->readBool(&m_lockPosition);
    m_tag = tag ? tag : "";
    m_prompt = prompt ? prompt : "";
    std::free(tag);
    std::free(prompt);
    m_flags &= 15;
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttributeDefinition::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = dxfOutTextPart(filer)) != Acad::eOk) return es;
    filer->writeSubclass("AcDbAttributeDefinition");
    filer->writeString(3, m_prompt.c_str());
    filer->writeString(2, m_tag.c_str());
    filer->writeInt16(70, m_flags);
    if (m_fieldLength != 0) filer->writeInt16(73, static_cast<Adesk::Int16>(m_fieldLength));
    AcDb::TextVertMode v = verticalMode();
    if (v != AcDb::kTextBase) filer->writeInt16(74, static_cast<Adesk::Int16>(v));
    if (m_lockPosition) filer->writeInt8(280, 1);
    return filer->filerStatus();
}

bool AcDbAttributeDefinition::dxfInOwnGroup(const resbuf& rb) {
    switch (rb.restype) {
        case 2: m_tag = groupString(rb); return true;
        case 3: m_prompt = groupString(rb); return true;
        case 70: m_flags = static_cast<Adesk::Int16>(groupInt(rb) & 15); return true;
        case 73: m_fieldLength = static_cast<Adesk::UInt16>(groupInt(rb)); return true;
        case 74: internalSetVerticalMode(groupInt(rb)); return true;
        case 280: m_lockPosition = groupInt(rb) != 0; return true;  // the last 280 is the lock flag
        default: return false;
    }
}

Acad::ErrorStatus AcDbAttributeDefinition::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return dxfInTextPart(filer, "AcDbAttributeDefinition");
}
