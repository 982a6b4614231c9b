#include "db/proxyobject.h"
#include <cstdlib>
#include "rx/rxclass.h"
#include "db/hostinternal.h"
#include "db/proxygroups.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbProxyObject, AcDbObject, "", ACRX_HOST_CONS(AcDbProxyObject))

AcDbProxyObject::AcDbProxyObject() = default;
AcDbProxyObject::~AcDbProxyObject() = default;

Acad::ErrorStatus AcDbProxyObject::setOriginalNames(const char* className, const char* dxfName, const char* appName) {
    assertWriteEnabled();
    m_className = className ? className : "";
    m_dxfName = dxfName ? dxfName : "";
    m_appName = appName ? appName : "";
    return Acad::eOk;
}

const char* AcDbProxyObject::originalClassName() const {
    assertReadEnabled();
    return m_className.c_str();
}

const char* AcDbProxyObject::originalDxfName() const {
    assertReadEnabled();
    return m_dxfName.c_str();
}

const char* AcDbProxyObject::applicationDescription() const {
    assertReadEnabled();
    return m_appName.c_str();
}

int AcDbProxyObject::proxyFlags() const {
    assertReadEnabled();
    return m_proxyFlags;
}

Acad::ErrorStatus AcDbProxyObject::setProxyFlags(int flags) {
    assertWriteEnabled();
    m_proxyFlags = flags;
    return Acad::eOk;
}

AcArray<AcDbProxyObject::DxfGroup>& AcDbProxyObject::dxfGroups() {
    assertWriteEnabled();
    return m_groups;
}

const AcArray<AcDbProxyObject::DxfGroup>& AcDbProxyObject::dxfGroups() const {
    assertReadEnabled();
    return m_groups;
}

std::vector<uint8_t>& AcDbProxyObject::dwgData() {
    assertWriteEnabled();
    return m_dwg;
}

const std::vector<uint8_t>& AcDbProxyObject::dwgData() const {
    assertReadEnabled();
    return m_dwg;
}

// A file gets the kept bytes after the common part; other filers the names and flags too.
Acad::ErrorStatus AcDbProxyObject::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    if (filer->filerType() == AcDb::kFileFiler) {
        if (!m_dwg.empty()) filer->writeBytes(m_dwg.data(), static_cast<uint32_t>(m_dwg.size()));
        return filer->filerStatus();
    }
    filer->writeString(m_className.c_str());
    filer->writeString(m_dxfName.c_str());
    filer->writeString(m_appName.c_str());
    filer->writeInt32(m_proxyFlags);
    cadhost::db::writeProxyGroups(filer, m_groups);
    filer->writeBinaryChunk(m_dwg.data(), static_cast<uint32_t>(m_dwg.size()));
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbProxyObject::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbObject::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    if (filer->filerType() == AcDb::kFileFiler) return filer->filerStatus();  // the reader fills dwgData()
    std::string className = cadhost::db::readDwgText(filer), dxfName = cadhost::db::readDwgText(filer), appName = cadhost::db::readDwgText(filer);
    Adesk::Int32 flags = 0;
    filer->readInt32(&flags);
    AcArray<DxfGroup> groups;
    cadhost::db::readProxyGroups(filer, groups);
    void* bytes = nullptr;
    uint32_t length = 0;
    filer->readBinaryChunk(&bytes, &length);
    std::vector<uint8_t> data;
    if (bytes) data.assign(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + length);
    std::free(bytes);
    if ((es = filer->filerStatus()) != Acad::eOk) return es;
    m_className = className;
    m_dxfName = dxfName;
    m_appName = appName;
    m_proxyFlags = flags;
    m_groups = groups;
    m_dwg = std::move(data);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbProxyObject::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbObject::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    return cadhost::db::writeProxyGroups(filer, m_groups);
}

Acad::ErrorStatus AcDbProxyObject::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return cadhost::db::readProxyGroups(filer, m_groups);
}
