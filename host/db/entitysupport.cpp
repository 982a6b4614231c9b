#include "db/entitysupport.h"
#include <cmath>
#include <cctype>
#include <cstdlib>
#include "db/hostinternal.h"

namespace cadhost::ent {

int groupInt(const resbuf& rb) {
    switch (acdbGroupCodeToType(rb.restype)) {
        case RTSHORT: return rb.resval.rint;
        case RTLONG: return rb.resval.rlong;
        case RTREAL: return static_cast<int>(std::lround(rb.resval.rreal));
        case RTSTR: return rb.resval.rstring ? std::atoi(rb.resval.rstring) : 0;
        default: return rb.resval.rint;
    }
}

double groupReal(const resbuf& rb) {
    switch (acdbGroupCodeToType(rb.restype)) {
        case RTREAL: case RTANG: return rb.resval.rreal;
        case RTSHORT: return rb.resval.rint;
        case RTLONG: return rb.resval.rlong;
        case RTSTR: return rb.resval.rstring ? std::atof(rb.resval.rstring) : 0.0;
        default: return rb.resval.rreal;
    }
}

AcGePoint3d groupPoint(const resbuf& rb) {
    const ads_real* p = rb.resval.rpoint;
    return {p[0], p[1], p[2]};
}

AcGeVector3d groupVector(const resbuf& rb) { return groupPoint(rb).asVector(); }

std::string groupString(const resbuf& rb) { return rb.resval.rstring ? rb.resval.rstring : ""; }

Acad::ErrorStatus writeAngle(AcDbDxfFiler* filer, int code, double radians) {
    return filer->writeDouble(code, radians * 180.0 / kPi);
}

double groupAngle(const resbuf& rb) { return groupReal(rb) * kPi / 180.0; }

bool nextGroup(AcDbDxfFiler* filer, resbuf& rb, Acad::ErrorStatus& es) {
    es = Acad::eOk;
    if (filer->atEOF() || filer->atEndOfObject() || filer->atExtendedData()) return false;
    Acad::ErrorStatus rs = filer->readItem(&rb);
    if (rs != Acad::eOk) {
        if (rs != Acad::eEndOfObject && rs != Acad::eEndOfFile) es = rs;
        return false;
    }
    if (rb.restype == 0 || rb.restype == 1001 || rb.restype == -3) {
        filer->pushBackItem();
        return false;
    }
    return true;
}

AcGePoint3d toOcs(const AcGePoint3d& p, const AcGeVector3d& normal) {
    if (normal.isEqualTo(AcGeVector3d::kZAxis)) return p;
    return AcGeMatrix3d::worldToPlane(normal) * p;
}

AcGePoint3d fromOcs(const AcGePoint3d& p, const AcGeVector3d& normal) {
    if (normal.isEqualTo(AcGeVector3d::kZAxis)) return p;
    return AcGeMatrix3d::planeToWorld(normal) * p;
}

double angleInPlane(const AcGeVector3d& direction, const AcGeVector3d& normal) {
    AcGeVector3d local = AcGeMatrix3d::worldToPlane(normal) * direction;
    double a = std::atan2(local.y, local.x);
    if (a < 0) a += 2 * kPi;
    if (a >= 2 * kPi) a -= 2 * kPi;
    return a;
}

AcGeVector3d directionInPlane(double angle, const AcGeVector3d& normal) {
    return AcGeMatrix3d::planeToWorld(normal) * AcGeVector3d(std::cos(angle), std::sin(angle), 0.0);
}

bool unitNormal(const AcGeVector3d& v, AcGeVector3d& out) {
    double len = v.length();
    if (!(len > 1e-12) || !std::isfinite(len)) return false;
    out = v / len;
    return true;
}

std::string recordName(AcDbObjectId id) {
    if (id.isNull()) return {};
    ReadAccess access(id);
    auto* rec = access.as<AcDbSymbolTableRecord>();
    return rec ? std::string(rec->name()) : std::string();
}

std::string xrefPath(AcDbObjectId blockId) {
    if (blockId.isNull()) return {};
    ReadAccess access(blockId);
    auto* block = access.as<AcDbBlockTableRecord>();
    return block ? std::string(block->pathName()) : std::string();
}

AcDbObjectId recordByName(AcDbObjectId tableId, const std::string& name) {
    if (tableId.isNull() || name.empty()) return AcDbObjectId::kNull;
    ReadAccess access(tableId);
    auto* table = access.as<AcDbSymbolTable>();
    AcDbObjectId id;
    if (!table || table->getAt(name.c_str(), id) != Acad::eOk) return AcDbObjectId::kNull;
    return id;
}

ReadAccess::ReadAccess(AcDbObjectId id) {
    if (id.isNull()) {
        m_status = Acad::eNullObjectId;
        return;
    }
    m_status = acdbOpenObject(m_object, id, AcDb::kForRead);
    if (m_status == Acad::eOk) {
        m_opened = true;
        return;
    }
    m_object = nullptr;
    if (m_status == Acad::eWasOpenForWrite || m_status == Acad::eWasOpenForNotify ||
        m_status == Acad::eAtMaxReaders) {
        m_object = cadhost::db::peek(id);
        if (m_object) m_status = Acad::eOk;
    }
}

ReadAccess::~ReadAccess() {
    if (m_opened && m_object) m_object->close();
}

namespace {
thread_local int gNesting = 0;
constexpr int kMaxNesting = 64;
}  // namespace

NestingGuard::NestingGuard() { ++gNesting; }
NestingGuard::~NestingGuard() { --gNesting; }
bool NestingGuard::tooDeep() const { return gNesting > kMaxNesting; }

int textCharCount(const std::string& text) {
    int count = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '%' && i + 2 < text.size() && text[i + 1] == '%') {
            char code = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 2])));
            if (code == 'u' || code == 'o' || code == 'k') {
                i += 3;
                continue;
            }
            if (std::isdigit(static_cast<unsigned char>(code))) {
                size_t j = i + 2;
                while (j < text.size() && j < i + 5 && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
                ++count;
                i = j;
                continue;
            }
            ++count;  // %%d, %%p, %%c, %%%
            i += 3;
            continue;
        }
        ++count;
        i += c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    }
    return count;
}

void deleteEntities(AcDbVoidPtrArray& entities, int from) {
    for (int i = entities.length() - 1; i >= from; --i) {
        delete static_cast<AcDbEntity*>(entities[i]);
        entities.removeAt(i);
    }
}

}  // namespace cadhost::ent
