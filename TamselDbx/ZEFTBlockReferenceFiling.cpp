// DWG and DXF records of the intelligent block reference.
#include <cstdlib>
#include <cstring>
#include "FilerGroups.h"
#include "ZEFTBlockReference.h"

namespace {

const char kSubclass[] = "ZEFTBlockReference";
// The original block name, after the attribute ids; read only when this group comes next.
constexpr int kOriginalNameGroup = 301;

// A name read as empty text is no name.
char* keptName(char* text) {
    if (text && !*text) {
        std::free(text);
        return nullptr;
    }
    return text;
}

int nextGroupCode(AcDbDxfFiler* filer) {
    resbuf rb;
    if (filer->readItem(&rb) != Acad::eOk) return -1;
    filer->pushBackItem();
    return rb.restype;
}

Adesk::Int16 filedAttributeCount(int count) { return static_cast<Adesk::Int16>(count > 0x7FFF ? 0x7FFF : count); }

}  // namespace

Acad::ErrorStatus ZEFTBlockReference::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbBlockReference::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeUInt16(kCurrentVersionNumber);
    filer->writePoint3d(m_insBase);
    filer->writeString(m_internalBlockName ? m_internalBlockName : "");
    const Adesk::Int16 count = filedAttributeCount(m_attributeIds.length());
    filer->writeInt16(count);
    for (int i = 0; i < count; ++i) filer->writeHardOwnershipId(m_attributeIds[i]);
    filer->writeString(m_originalBlockName ? m_originalBlockName : "");
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTBlockReference::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbBlockReference::dwgInFields(filer); es != Acad::eOk) return es;
    Adesk::UInt16 version = 0;
    filer->readUInt16(&version);
    if (version > kCurrentVersionNumber) return Acad::eMakeMeProxy;
    if (version == 0) return filer->filerStatus();

    filer->readPoint3d(&m_insBase);
    char* text = nullptr;
    if (filer->readString(&text) == Acad::eOk) {
        std::free(m_internalBlockName);
        m_internalBlockName = keptName(text);
    }
    Adesk::Int16 count = 0;
    filer->readInt16(&count);
    m_attributeIds.removeAll();
    for (int i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        AcDbHardOwnershipId id;
        if (filer->readHardOwnershipId(&id) == Acad::eOk && !id.isNull()) m_attributeIds.append(id);
    }
    if (version >= 2) {
        text = nullptr;
        if (filer->readString(&text) == Acad::eOk) {
            std::free(m_originalBlockName);
            m_originalBlockName = keptName(text);
        }
    }
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTBlockReference::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbBlockReference::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass(kSubclass);
    filer->writeUInt16(70, kCurrentVersionNumber);
    filer->writePoint3d(10, m_insBase);
    filer->writeString(300, m_internalBlockName ? m_internalBlockName : "");
    const Adesk::Int16 count = filedAttributeCount(m_attributeIds.length());
    filer->writeInt16(71, count);
    for (int i = 0; i < count; ++i) filer->writeHardOwnershipId(360, m_attributeIds[i]);
    filer->writeString(kOriginalNameGroup, m_originalBlockName ? m_originalBlockName : "");
    return filer->filerStatus();
}

Acad::ErrorStatus ZEFTBlockReference::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbBlockReference::dxfInFields(filer); es != Acad::eOk) return es;
    if (!filer->atSubclassData(kSubclass)) {
        // An object without its own part is not read as complete.
        if (filer->filerStatus() == Acad::eOk)
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
    const int version = dxfGroupInt(rb);
    if (version > kCurrentVersionNumber) return Acad::eMakeMeProxy;
    if (version <= 0) return filer->filerStatus();

    if (dxfReadGroup(filer, 10, &rb) != Acad::eOk) return filer->filerStatus();
    m_insBase = dxfGroupPoint(rb);
    if (dxfReadGroup(filer, 300, &rb) != Acad::eOk) return filer->filerStatus();
    const CString internalName = dxfGroupText(rb);
    replaceText(m_internalBlockName, internalName.IsEmpty() ? nullptr : internalName.GetString());
    if (dxfReadGroup(filer, 71, &rb) != Acad::eOk) return filer->filerStatus();
    const int count = dxfGroupInt(rb);
    m_attributeIds.removeAll();
    for (int i = 0; i < count; ++i) {
        if (dxfReadGroup(filer, 360, &rb) != Acad::eOk) return filer->filerStatus();
        AcDbObjectId id;
        if (acdbGetObjectId(id, rb.resval.rlname) == Acad::eOk && !id.isNull()) m_attributeIds.append(id);
    }
    // Records written without the original block name end here.
    if (nextGroupCode(filer) == kOriginalNameGroup) {
        dxfReadGroup(filer, kOriginalNameGroup, &rb);
        const CString originalName = dxfGroupText(rb);
        replaceText(m_originalBlockName, originalName.IsEmpty() ? nullptr : originalName.GetString());
    }
    return filer->filerStatus();
}
