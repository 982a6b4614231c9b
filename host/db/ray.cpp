#include "db/ray.h"
#include <algorithm>
#include <cmath>
#include "db/curvesupport.h"
#include "db/entitysupport.h"
#include "gi/geometry.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbRay, AcDbCurve, "RAY", ACRX_HOST_CONS(AcDbRay))

using namespace cadhost::curve;

namespace {
const char* const kMarkers[] = {"AcDbRay", nullptr};
// How far along the ray its outline reaches.
constexpr double kOutlineReach = 1e8;
}  // namespace

AcDbRay::AcDbRay() = default;
AcDbRay::~AcDbRay() = default;

AcGePoint3d AcDbRay::basePoint() const { assertReadEnabled(); return m_base; }
AcGeVector3d AcDbRay::unitDir() const { assertReadEnabled(); return m_dir; }
AcGePoint3d AcDbRay::secondPoint() const { assertReadEnabled(); return m_base + m_dir; }

Acad::ErrorStatus AcDbRay::setBasePoint(const AcGePoint3d& p) {
    assertWriteEnabled();
    m_base = p;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::setUnitDir(const AcGeVector3d& d) {
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(d, unit)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_dir = unit;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::setSecondPoint(const AcGePoint3d& p) { return setUnitDir(p - basePoint()); }

namespace {
double rayTol(const AcGePoint3d& base, double t) { return tolerance(sizeOf(base) + std::fabs(t)); }
}  // namespace

Acad::ErrorStatus AcDbRay::getPlane(AcGePlane& plane, AcDb::Planarity& type) const {
    assertReadEnabled();
    plane.set(m_base, m_dir.perpVector());
    type = AcDb::kLinear;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getStartParam(double& p) const {
    assertReadEnabled();
    p = 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getEndParam(double&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbRay::getStartPoint(AcGePoint3d& p) const {
    assertReadEnabled();
    p = m_base;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getEndPoint(AcGePoint3d&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbRay::getPointAtParam(double param, AcGePoint3d& p) const {
    assertReadEnabled();
    if (!std::isfinite(param) || param < -rayTol(m_base, 0)) return Acad::eInvalidInput;
    p = m_base + m_dir * std::max(param, 0.0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getParamAtPoint(const AcGePoint3d& p, double& param) const {
    assertReadEnabled();
    double t = (p - m_base).dotProduct(m_dir);
    double tol = rayTol(m_base, t);
    if (t < -tol || (m_base + m_dir * t).distanceTo(p) > tol) return Acad::eInvalidInput;
    param = std::max(t, 0.0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getDistAtParam(double param, double& dist) const {
    assertReadEnabled();
    if (!std::isfinite(param) || param < -rayTol(m_base, 0)) return Acad::eInvalidInput;
    dist = std::max(param, 0.0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getParamAtDist(double dist, double& param) const {
    assertReadEnabled();
    if (!std::isfinite(dist) || dist < -rayTol(m_base, 0)) return Acad::eInvalidInput;
    param = std::max(dist, 0.0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getFirstDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    if (!std::isfinite(param) || param < -rayTol(m_base, 0)) return Acad::eInvalidInput;
    d = m_dir;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getSecondDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    if (!std::isfinite(param) || param < -rayTol(m_base, 0)) return Acad::eInvalidInput;
    d = AcGeVector3d(0, 0, 0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool extend) const {
    assertReadEnabled();
    closest = closestOnLine(LinePiece{m_base, m_dir, extend ? -kInf : 0.0, kInf}, given);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getArea(double& area) const {
    assertReadEnabled();
    area = 0.0;
    return Acad::eOk;
}

void AcDbRay::getOutline(AcArray<AcGePoint3dArray>& paths, double) const {
    assertReadEnabled();
    AcGePoint3dArray path;
    path.append(m_base);
    path.append(m_base + m_dir * (kOutlineReach + sizeOf(m_base)));
    paths.append(path);
}

void AcDbRay::draw(AcGiGeometry& g) const { g.ray(m_base, m_base + m_dir); }

Adesk::Boolean AcDbRay::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return Adesk::kTrue;
    draw(mode->geometry());
    return Adesk::kTrue;
}

void AcDbRay::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (mode && !mode->regenAbort()) draw(mode->geometry());
}

void AcDbRay::list() const {
    assertReadEnabled();
    AcDbCurve::list();
    listPoint("base point,", m_base);
    listVector("unit direction,", m_dir);
    listPoint("second point,", m_base + m_dir);
}

Acad::ErrorStatus AcDbRay::getGripPoints(AcGePoint3dArray& grips, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    grips.append(m_base);
    grips.append(m_base + m_dir);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, 2)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    if (indices.contains(0)) {
        assertWriteEnabled();
        m_base += offset;
        return Acad::eOk;
    }
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(m_dir + offset, unit)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_dir = unit;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getStretchPoints(AcGePoint3dArray& points) const {
    assertReadEnabled();
    points.append(m_base);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, 1)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    assertWriteEnabled();
    m_base += offset;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick, const AcGePoint3d& last,
                                          const AcGeMatrix3d&, AcGePoint3dArray& points, AcDbIntArray&) const {
    assertReadEnabled();
    LinePiece l{m_base, m_dir, 0.0, kInf};
    switch (mode) {
    case AcDb::kOsModeEnd: points.append(m_base); break;
    case AcDb::kOsModeNear: points.append(closestOnLine(l, pick)); break;
    case AcDb::kOsModePerp: {
        double t = 0.0;
        AcGePoint3d p = closestOnLine(LinePiece{m_base, m_dir, -kInf, kInf}, last, &t);
        if (t >= 0.0) points.append(p);
        break;
    }
    default: break;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::transformBy(const AcGeMatrix3d& xform) {
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(xform * m_dir, unit)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_base.transformBy(xform);
    m_dir = unit;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    return transformedClone(this, xform, copy);
}

Acad::ErrorStatus AcDbRay::explode(AcDbVoidPtrArray&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbRay::getGeomExtents(AcDbExtents& ext) const {
    assertReadEnabled();
    ext = AcDbExtents();
    ext.addPoint(m_base);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint3d(m_base);
    filer->writeVector3d(m_dir);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbRay::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer); es != Acad::eOk) return es;
    AcGePoint3d b;
    AcGeVector3d d;
    filer->readPoint3d(&b);
    filer->readVector3d(&d);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(d, unit)) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    m_base = b;
    m_dir = unit;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRay::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbRay");
    filer->writePoint3d(10, m_base);
    filer->writeVector3d(11, m_dir);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbRay::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDbRay");
    AcGePoint3d b;
    AcGeVector3d d(1, 0, 0);
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        if (rb.restype == 10) b = cadhost::ent::groupPoint(rb);
        else if (rb.restype == 11) d = cadhost::ent::groupVector(rb);
    }
    if (es != Acad::eOk) return es;
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(d, unit)) return filer->setError(Acad::eInvalidDxfCode, "ray without a direction");
    m_base = b;
    m_dir = unit;
    return filer->filerStatus();
}
