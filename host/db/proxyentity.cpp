#include "db/proxyentity.h"
#include "rx/rxclass.h"
#include "db/hostinternal.h"
#include <charconv>
#include <cstdlib>
#include <cstring>
#include "db/dxffiler.h"
#include "db/dxftext.h"
#include "db/dxftokens.h"
#include "db/entitysupport.h"
#include "gi/geometry.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbProxyEntity, AcDbEntity, "ACAD_PROXY_ENTITY", ACRX_HOST_CONS(AcDbProxyEntity))

using namespace cadhost::ent;
using cadhost::dxf::ValueKind;

namespace {

std::string realText(double v) {
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf - 3, v);
    char* p = r.ptr;
    if (!std::memchr(buf, '.', static_cast<size_t>(p - buf)) && !std::memchr(buf, 'e', static_cast<size_t>(p - buf)) &&
        !std::memchr(buf, 'n', static_cast<size_t>(p - buf))) {
        *p++ = '.';
        *p++ = '0';
    }
    return std::string(buf, p);
}

bool isPointCode(int code) {
    return (code >= 10 && code <= 18) || (code >= 110 && code <= 112) || code == 210 ||
           (code >= 1010 && code <= 1013);
}

// A group read from a filer as the text its value has in a file.
void keepGroup(const resbuf& rb, AcArray<AcDbProxyEntity::DxfGroup>& groups) {
    const int code = rb.restype;
    switch (cadhost::dxf::kindOfGroupCode(code)) {
        case ValueKind::String: groups.append({code, groupString(rb)}); break;
        case ValueKind::Double:
            if (isPointCode(code)) {
                for (int i = 0; i < 3; ++i) groups.append({code + 10 * i, realText(rb.resval.rpoint[i])});
            } else {
                groups.append({code, realText(rb.resval.rreal)});
            }
            break;
        case ValueKind::Int16:
        case ValueKind::Bool: groups.append({code, std::to_string(rb.resval.rint)}); break;
        case ValueKind::Int32: groups.append({code, std::to_string(rb.resval.rlong)}); break;
        case ValueKind::Int64: groups.append({code, std::to_string(rb.resval.rlname[0])}); break;
        case ValueKind::Handle:
            groups.append({code, AcDbHandle(static_cast<uint64_t>(rb.resval.rlname[0])).ascii()});
            break;
        case ValueKind::Binary: {
            static constexpr char kHex[] = "0123456789ABCDEF";
            std::string hex;
            const auto* bytes = reinterpret_cast<const unsigned char*>(rb.resval.rbinary.buf);
            for (int i = 0; bytes && i < rb.resval.rbinary.clen; ++i) {
                hex += kHex[bytes[i] >> 4];
                hex += kHex[bytes[i] & 15];
            }
            groups.append({code, hex});
            break;
        }
    }
}


}  // namespace

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
    filer->writeInt32(m_groups.length());
    for (const DxfGroup& g : m_groups) {
        filer->writeInt32(g.first);
        filer->writeString(g.second.c_str());
    }
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
    Adesk::Int32 flags = 0, count = 0;
    filer->readInt32(&flags);
    filer->readInt32(&count);
    AcArray<DxfGroup> groups;
    for (Adesk::Int32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        Adesk::Int32 code = 0;
        filer->readInt32(&code);
        std::string text = cadhost::db::readDwgText(filer);
        groups.append({code, text});
    }
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

namespace {
// A kept group through a filer that is not a file: typed by its code, so that the filer reads
// it back as it would from a file (a point from its coordinate groups).
Acad::ErrorStatus writeTyped(AcDbDxfFiler* filer, const AcArray<AcDbProxyEntity::DxfGroup>& groups, int& i) {
    const int code = groups[i].first;
    const std::string& text = groups[i].second;
    auto real = [](const std::string& t) { return cadhost::dxf::parseDouble(t); };
    switch (cadhost::dxf::kindOfGroupCode(code)) {
        case ValueKind::Double: {
            auto x = real(text);
            if (!x) break;
            if (!isPointCode(code)) return filer->writeDouble(code, *x);
            double xyz[3] = {*x, 0, 0};
            int dims = 1;
            while (dims < 3 && i + 1 < groups.length() && groups[i + 1].first == code + 10 * dims) {
                auto c = real(groups[i + 1].second);
                if (!c) break;
                xyz[dims++] = *c;
                ++i;
            }
            if (dims == 2) return filer->writePoint2d(code, AcGePoint2d(xyz[0], xyz[1]));
            return filer->writePoint3d(code, AcGePoint3d(xyz[0], xyz[1], xyz[2]));
        }
        case ValueKind::Int16:
        case ValueKind::Bool: {
            auto v = cadhost::dxf::parseInt(text);
            if (v && *v >= -32768 && *v <= 32767) return filer->writeInt16(code, static_cast<Adesk::Int16>(*v));
            break;
        }
        case ValueKind::Int32: {
            auto v = cadhost::dxf::parseInt(text);
            if (v) return filer->writeInt32(code, *v);
            break;
        }
        case ValueKind::Handle: {
            auto h = cadhost::dxf::parseHandle(text);
            if (h) return filer->writeAcDbHandle(code, AcDbHandle(*h));
            break;
        }
        case ValueKind::Binary: {
            std::vector<uint8_t> bytes;
            bool ok = text.size() % 2 == 0;
            for (size_t k = 0; ok && k < text.size(); k += 2) {
                int hi = cadhost::dxf::hexDigit(text[k]), lo = cadhost::dxf::hexDigit(text[k + 1]);
                ok = hi >= 0 && lo >= 0;
                bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
            }
            if (ok) return filer->writeBytes(code, bytes.data(), static_cast<uint32_t>(bytes.size()));
            break;
        }
        default: break;
    }
    return filer->writeString(code, text.c_str());
}
}  // namespace

// A file gets every kept text as it is; other filers get typed values.
Acad::ErrorStatus AcDbProxyEntity::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    const bool file = dynamic_cast<AcDbDxfOutFiler*>(filer) != nullptr;
    for (int i = 0; i < m_groups.length(); ++i) {
        es = file ? filer->writeString(m_groups[i].first, m_groups[i].second.c_str()) : writeTyped(filer, m_groups, i);
        if (es != Acad::eOk) return es;
    }
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbProxyEntity::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    AcArray<DxfGroup> groups;
    resbuf rb;
    while (nextGroup(filer, rb, es)) keepGroup(rb, groups);
    if (es != Acad::eOk) return es;
    m_groups = groups;
    return filer->filerStatus();
}
