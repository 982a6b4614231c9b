#include "db/vertex2d.h"
#include <cmath>
#include "db/curvesupport.h"
#include "db/entitysupport.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbVertex, AcDbEntity, "", ACRX_NO_CONS)
ACRX_HOST_DEFINE_MEMBERS(AcDb2dVertex, AcDbVertex, "VERTEX", ACRX_HOST_CONS(AcDb2dVertex))

using namespace cadhost::curve;

namespace {
// 3-D polyline and mesh vertices carry the same groups; they are read as 2-D vertices.
const char* const kMarkers[] = {"AcDbVertex", "AcDb2dVertex", "AcDb3dPolylineVertex", "AcDbPolygonMeshVertex",
                                "AcDbPolyFaceMeshVertex", nullptr};
}

AcDbVertex::AcDbVertex() = default;
AcDbVertex::~AcDbVertex() = default;

Adesk::Boolean AcDbVertex::worldDraw(AcGiWorldDraw*) {
    assertReadEnabled();
    return Adesk::kTrue;
}

Acad::ErrorStatus AcDbVertex::transformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbVertex::getGeomExtents(AcDbExtents& extents) const {
    assertReadEnabled();
    extents = AcDbExtents();
    return Acad::eInvalidExtents;
}

AcDb2dVertex::AcDb2dVertex() = default;

AcDb2dVertex::AcDb2dVertex(const AcGePoint3d& position, double bulge, double startWidth, double endWidth,
                           double tangent)
    : m_position(position),
      m_bulge(std::isfinite(bulge) ? bulge : 0.0),
      m_startWidth(startWidth >= 0 && std::isfinite(startWidth) ? startWidth : 0.0),
      m_endWidth(endWidth >= 0 && std::isfinite(endWidth) ? endWidth : 0.0),
      m_tangent(std::isfinite(tangent) ? tangent : 0.0) {}

AcDb2dVertex::~AcDb2dVertex() = default;

AcDb::Vertex2dType AcDb2dVertex::vertexType() const { assertReadEnabled(); return m_type; }
AcGePoint3d AcDb2dVertex::position() const { assertReadEnabled(); return m_position; }
double AcDb2dVertex::startWidth() const { assertReadEnabled(); return m_startWidth; }
double AcDb2dVertex::endWidth() const { assertReadEnabled(); return m_endWidth; }
double AcDb2dVertex::bulge() const { assertReadEnabled(); return m_bulge; }
bool AcDb2dVertex::isTangentUsed() const { assertReadEnabled(); return m_tangentUsed; }
double AcDb2dVertex::tangent() const { assertReadEnabled(); return m_tangent; }

Acad::ErrorStatus AcDb2dVertex::setPosition(const AcGePoint3d& p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_position = p;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::setStartWidth(double w) {
    if (!(w >= 0) || !std::isfinite(w)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_startWidth = w;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::setEndWidth(double w) {
    if (!(w >= 0) || !std::isfinite(w)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_endWidth = w;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::setBulge(double b) {
    if (!std::isfinite(b)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_bulge = b;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::useTangent() {
    assertWriteEnabled();
    m_tangentUsed = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::ignoreTangent() {
    assertWriteEnabled();
    m_tangentUsed = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::setTangent(double a) {
    if (!std::isfinite(a)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_tangent = a;
    return Acad::eOk;
}

int AcDb2dVertex::dxfFlags() const {
    int flags = m_tangentUsed ? 2 : 0;
    switch (m_type) {
    case AcDb::k2dCurveFitVertex: flags |= 1; break;
    case AcDb::k2dSplineFitVertex: flags |= 8; break;
    case AcDb::k2dSplineCtlVertex: flags |= 16; break;
    default: break;
    }
    return flags;
}

void AcDb2dVertex::setDxfFlags(int flags) {
    m_tangentUsed = (flags & 2) != 0;
    m_type = (flags & 16) ? AcDb::k2dSplineCtlVertex
             : (flags & 8) ? AcDb::k2dSplineFitVertex
             : (flags & 1) ? AcDb::k2dCurveFitVertex
                           : AcDb::k2dVertex;
}

void AcDb2dVertex::writeData(AcDbDwgFiler* filer) const {
    filer->writePoint3d(m_position);
    filer->writeDouble(m_bulge);
    filer->writeDouble(m_startWidth);
    filer->writeDouble(m_endWidth);
    filer->writeDouble(m_tangent);
    filer->writeInt16(static_cast<Adesk::Int16>(dxfFlags()));
}

void AcDb2dVertex::readData(AcDbDwgFiler* filer) {
    AcGePoint3d p;
    double b = 0, sw = 0, ew = 0, t = 0;
    Adesk::Int16 flags = 0;
    filer->readPoint3d(&p);
    filer->readDouble(&b);
    filer->readDouble(&sw);
    filer->readDouble(&ew);
    filer->readDouble(&t);
    filer->readInt16(&flags);
    if (filer->filerStatus() != Acad::eOk) return;
    if (!std::isfinite(b) || !(sw >= 0) || !(ew >= 0)) {
        filer->setFilerStatus(Acad::eFilerError);
        return;
    }
    m_position = p;
    m_bulge = b;
    m_startWidth = sw;
    m_endWidth = ew;
    m_tangent = std::isfinite(t) ? t : 0.0;
    setDxfFlags(flags);
}

Acad::ErrorStatus AcDb2dVertex::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbVertex::dwgOutFields(filer); es != Acad::eOk) return es;
    writeData(filer);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDb2dVertex::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbVertex::dwgInFields(filer); es != Acad::eOk) return es;
    readData(filer);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDb2dVertex::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbVertex::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbVertex");
    filer->writeSubclass("AcDb2dVertex");
    filer->writePoint3d(10, m_position);
    if (m_startWidth != 0.0 || writesDefaults(filer)) filer->writeDouble(40, m_startWidth);
    if (m_endWidth != 0.0 || writesDefaults(filer)) filer->writeDouble(41, m_endWidth);
    if (m_bulge != 0.0 || writesDefaults(filer)) filer->writeDouble(42, m_bulge);
    filer->writeInt16(70, static_cast<Adesk::Int16>(dxfFlags()));
    if (m_tangentUsed || writesDefaults(filer)) cadhost::ent::writeAngle(filer, 50, m_tangent);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDb2dVertex::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbVertex::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDbVertex");
    AcGePoint3d p;
    double b = 0.0, sw = 0.0, ew = 0.0, t = 0.0;
    int flags = 0;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        switch (rb.restype) {
        case 10: p = cadhost::ent::groupPoint(rb); break;
        case 40: sw = cadhost::ent::groupReal(rb); break;
        case 41: ew = cadhost::ent::groupReal(rb); break;
        case 42: b = cadhost::ent::groupReal(rb); break;
        case 50: t = cadhost::ent::groupAngle(rb); break;
        case 70: flags = cadhost::ent::groupInt(rb); break;
        default: break;
        }
    }
    if (es != Acad::eOk) return es;
    if (!std::isfinite(b) || !(sw >= 0) || !(ew >= 0) || !std::isfinite(sw) || !std::isfinite(ew))
        return filer->setError(Acad::eInvalidDxfCode, "vertex bulge %g, widths %g %g", b, sw, ew);
    m_position = p;
    m_bulge = b;
    m_startWidth = sw;
    m_endWidth = ew;
    m_tangent = std::isfinite(t) ? t : 0.0;
    setDxfFlags(flags);
    return filer->filerStatus();
}
