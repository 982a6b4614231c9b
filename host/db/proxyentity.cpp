#include "db/proxyentity.h"
#include "db/proxygroups.h"
#include "rx/rxclass.h"
#include "db/hostinternal.h"
#include <cstdlib>
#include "gi/geometry.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbProxyEntity, AcDbEntity, "ACAD_PROXY_ENTITY", ACRX_HOST_CONS(AcDbProxyEntity))

AcDbProxyEntity::AcDbProxyEntity() = default;
AcDbProxyEntity::~AcDbProxyEntity() = default;

Acad::ErrorStatus AcDbProxyEntity::setOriginalNames(const char* className, const char* dxfName, const char* appName) {
    assertWriteEnabled();
    m_className = className ? className : "";
    m_dxfName = dxfName ? dxfName : "";
    m_appName = appName ? appName : "";
    return Acad::eOk;
}

const char* AcDbProxyEntity::originalClassName() const {
    assertReadEnabled();
    return m_className.c_str();
}

const char* AcDbProxyEntity::originalDxfName() const {
    assertReadEnabled();
    return m_dxfName.c_str();
}

const char* AcDbProxyEntity::applicationDescription() const {
    assertReadEnabled();
    return m_appName.c_str();
}

int AcDbProxyEntity::proxyFlags() const {
    assertReadEnabled();
    return m_proxyFlags;
}

Acad::ErrorStatus AcDbProxyEntity::setProxyFlags(int flags) {
    assertWriteEnabled();
    m_proxyFlags = flags;
    return Acad::eOk;
}

AcArray<AcDbProxyEntity::DxfGroup>& AcDbProxyEntity::dxfGroups() {
    assertWriteEnabled();
    return m_groups;
}

const AcArray<AcDbProxyEntity::DxfGroup>& AcDbProxyEntity::dxfGroups() const {
    assertReadEnabled();
    return m_groups;
}

std::vector<uint8_t>& AcDbProxyEntity::dwgData() {
    assertWriteEnabled();
    return m_dwg;
}

const std::vector<uint8_t>& AcDbProxyEntity::dwgData() const {
    assertReadEnabled();
    return m_dwg;
}

Acad::ErrorStatus AcDbProxyEntity::setKnownExtents(const AcDbExtents& extents) {
    assertWriteEnabled();
    m_extents = extents;
    return Acad::eOk;
}

Adesk::Boolean AcDbProxyEntity::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || m_extents.isEmpty()) return Adesk::kTrue;
    const AcGePoint3d& a = m_extents.minPoint();
    const AcGePoint3d& b = m_extents.maxPoint();
    AcGiWorldGeometry& g = mode->geometry();
    AcGePoint3d low[5] = {{a.x, a.y, a.z}, {b.x, a.y, a.z}, {b.x, b.y, a.z}, {a.x, b.y, a.z}, {a.x, a.y, a.z}};
    g.polyline(5, low);
    if (b.z > a.z) {
        AcGePoint3d high[5];
        for (int i = 0; i < 5; ++i) high[i] = AcGePoint3d(low[i].x, low[i].y, b.z);
        g.polyline(5, high);
        for (int i = 0; i < 4; ++i) {
            AcGePoint3d edge[2] = {low[i], high[i]};
            g.polyline(2, edge);
        }
    }
    return Adesk::kTrue;
}

void AcDbProxyEntity::list() const {
    assertReadEnabled();
    AcDbEntity::list();
    acutPrintf("          Proxy entity of class %s (%s)\n", m_className.empty() ? "?" : m_className.c_str(),
               m_dxfName.c_str());
    if (!m_appName.empty()) acutPrintf("          Application = %s\n", m_appName.c_str());
}

Acad::ErrorStatus AcDbProxyEntity::transformBy(const AcGeMatrix3d&) {
    assertWriteEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbProxyEntity::getTransformedCopy(const AcGeMatrix3d&, AcDbEntity*& copy) const {
    assertReadEnabled();
    copy = nullptr;
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbProxyEntity::explode(AcDbVoidPtrArray&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbProxyEntity::getGeomExtents(AcDbExtents& extents) const {
    assertReadEnabled();
    extents = m_extents;
    return m_extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbProxyEntity::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
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
    filer->writeBool(!m_extents.isEmpty());
    if (!m_extents.isEmpty()) {
        filer->writePoint3d(m_extents.minPoint());
        filer->writePoint3d(m_extents.maxPoint());
    }
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbProxyEntity::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
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
    bool haveExtents = false;
    AcGePoint3d lo, hi;
    filer->readBool(&haveExtents);
    if (haveExtents) {
        filer->readPoint3d(&lo);
        filer->readPoint3d(&hi);
    }
    if ((es = filer->filerStatus()) != Acad::eOk) return es;
    m_className = className;
    m_dxfName = dxfName;
    m_appName = appName;
    m_proxyFlags = flags;
    m_groups = groups;
    m_dwg = std::move(data);
    m_extents = haveExtents ? AcDbExtents(lo, hi) : AcDbExtents();
    return Acad::eOk;
}

// A file gets every kept text as it is; other filers get typed values.
Acad::ErrorStatus AcDbProxyEntity::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    return cadhost::db::writeProxyGroups(filer, m_groups);
}

Acad::ErrorStatus AcDbProxyEntity::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return cadhost::db::readProxyGroups(filer, m_groups);
}
