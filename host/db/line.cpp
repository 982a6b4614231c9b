#include "db/line.h"
#include <algorithm>
#include <cmath>
#include "db/curvesupport.h"
#include "db/entitysupport.h"
#include "gi/geometry.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbLine, AcDbCurve, "LINE", ACRX_HOST_CONS(AcDbLine))

using namespace cadhost::curve;

namespace {
const char* const kMarkers[] = {"AcDbLine", nullptr};
}

AcDbLine::AcDbLine() = default;
AcDbLine::AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : m_start(start), m_end(end) {}
AcDbLine::~AcDbLine() = default;

AcGePoint3d AcDbLine::startPoint() const { assertReadEnabled(); return m_start; }
AcGePoint3d AcDbLine::endPoint() const { assertReadEnabled(); return m_end; }
double AcDbLine::thickness() const { assertReadEnabled(); return m_thickness; }
AcGeVector3d AcDbLine::normal() const { assertReadEnabled(); return m_normal; }
double AcDbLine::length() const { assertReadEnabled(); return m_start.distanceTo(m_end); }

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& p) {
    assertWriteEnabled();
    m_start = p;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& p) {
    assertWriteEnabled();
    m_end = p;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::setThickness(double t) {
    if (!std::isfinite(t)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_thickness = t;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::setNormal(const AcGeVector3d& n) {
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(n, unit)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = unit;
    return Acad::eOk;
}

// ---- curve ----

namespace {
double lineTol(const AcGePoint3d& a, const AcGePoint3d& b) { return tolerance(std::max(sizeOf(a), sizeOf(b))); }
}  // namespace

Acad::ErrorStatus AcDbLine::getPlane(AcGePlane& plane, AcDb::Planarity& type) const {
    assertReadEnabled();
    AcGeVector3d dir = m_end - m_start;
    AcGeVector3d n = m_normal;
    if (!dir.isZeroLength() && !n.isPerpendicularTo(dir)) n = dir.perpVector();
    plane.set(m_start, n);
    type = AcDb::kLinear;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getStartParam(double& param) const {
    assertReadEnabled();
    param = 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getEndParam(double& param) const {
    assertReadEnabled();
    param = m_start.distanceTo(m_end);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getStartPoint(AcGePoint3d& p) const {
    assertReadEnabled();
    p = m_start;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getEndPoint(AcGePoint3d& p) const {
    assertReadEnabled();
    p = m_end;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getPointAtParam(double param, AcGePoint3d& p) const {
    assertReadEnabled();
    double len = m_start.distanceTo(m_end);
    double tol = lineTol(m_start, m_end);
    if (!std::isfinite(param) || param < -tol || param > len + tol) return Acad::eInvalidInput;
    if (len == 0.0) {
        p = m_start;
        return Acad::eOk;
    }
    p = param >= len ? m_end : m_start + (m_end - m_start) * (param / len);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getParamAtPoint(const AcGePoint3d& p, double& param) const {
    assertReadEnabled();
    double len = m_start.distanceTo(m_end);
    double tol = lineTol(m_start, m_end);
    AcGePoint3d closest = closestOnLine(LinePiece{m_start, m_end - m_start, 0.0, 1.0}, p);
    if (closest.distanceTo(p) > tol) return Acad::eInvalidInput;
    param = len == 0.0 ? 0.0 : std::clamp((p - m_start).dotProduct(m_end - m_start) / len, 0.0, len);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getDistAtParam(double param, double& dist) const {
    assertReadEnabled();
    double len = m_start.distanceTo(m_end);
    if (!std::isfinite(param) || param < -lineTol(m_start, m_end) || param > len + lineTol(m_start, m_end))
        return Acad::eInvalidInput;
    dist = std::clamp(param, 0.0, len);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getParamAtDist(double dist, double& param) const {
    assertReadEnabled();
    double len = m_start.distanceTo(m_end);
    if (!std::isfinite(dist) || dist < -lineTol(m_start, m_end) || dist > len + lineTol(m_start, m_end))
        return Acad::eInvalidInput;
    param = std::clamp(dist, 0.0, len);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getFirstDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    AcGePoint3d p;
    if (Acad::ErrorStatus es = getPointAtParam(param, p); es != Acad::eOk) return es;
    d = (m_end - m_start).normal();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getSecondDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    AcGePoint3d p;
    if (Acad::ErrorStatus es = getPointAtParam(param, p); es != Acad::eOk) return es;
    d = AcGeVector3d(0, 0, 0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool extend) const {
    assertReadEnabled();
    LinePiece l{m_start, m_end - m_start, extend ? -kInf : 0.0, extend ? kInf : 1.0};
    closest = closestOnLine(l, given);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getArea(double& area) const {
    assertReadEnabled();
    area = 0.0;
    return Acad::eOk;
}

void AcDbLine::getOutline(AcArray<AcGePoint3dArray>& paths, double) const {
    assertReadEnabled();
    AcGePoint3dArray path;
    path.append(m_start);
    path.append(m_end);
    paths.append(path);
}

// ---- entity ----

void AcDbLine::draw(AcGiGeometry& g) const {
    AcGePoint3d pts[2] = {m_start, m_end};
    g.polyline(2, pts);
    if (m_thickness != 0.0) {
        std::vector<Piece> pieces{Piece::of(LinePiece{m_start, m_end - m_start, 0.0, 1.0})};
        drawExtrusion(g, pieces, m_normal, m_thickness);
    }
}

Adesk::Boolean AcDbLine::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return Adesk::kTrue;
    draw(mode->geometry());
    return Adesk::kTrue;
}

void AcDbLine::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (mode && !mode->regenAbort()) draw(mode->geometry());
}

void AcDbLine::list() const {
    assertReadEnabled();
    AcDbCurve::list();
    listPoint("from point,", m_start);
    listPoint("to point,", m_end);
    AcGeVector3d d = m_end - m_start;
    listDistance("Length =", d.length());
    listAngle("Angle in XY Plane =", std::atan2(d.y, d.x));
    listVector("Delta", d);
    if (m_thickness != 0.0) listDistance("Thickness =", m_thickness);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) listVector("Extrusion direction", m_normal);
}

Acad::ErrorStatus AcDbLine::getGripPoints(AcGePoint3dArray& grips, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    grips.append(m_start);
    grips.append(m_end);
    grips.append(m_start + (m_end - m_start) * 0.5);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, 3)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    assertWriteEnabled();
    bool moveStart = indices.contains(0) || indices.contains(2);
    bool moveEnd = indices.contains(1) || indices.contains(2);
    if (moveStart) m_start += offset;
    if (moveEnd) m_end += offset;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getStretchPoints(AcGePoint3dArray& points) const {
    assertReadEnabled();
    points.append(m_start);
    points.append(m_end);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, 2)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    assertWriteEnabled();
    if (indices.contains(0)) m_start += offset;
    if (indices.contains(1)) m_end += offset;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick,
                                           const AcGePoint3d& last, const AcGeMatrix3d&,
                                           AcGePoint3dArray& points, AcDbIntArray&) const {
    assertReadEnabled();
    pieceSnaps(Piece::of(LinePiece{m_start, m_end - m_start, 0.0, 1.0}), mode, pick, last, points);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    m_start.transformBy(xform);
    m_end.transformBy(xform);
    transformExtrusion(xform, m_normal, m_thickness);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    return transformedClone(this, xform, copy);
}

Acad::ErrorStatus AcDbLine::explode(AcDbVoidPtrArray&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbLine::getGeomExtents(AcDbExtents& ext) const {
    assertReadEnabled();
    ext = AcDbExtents();
    ext.addPoint(m_start);
    ext.addPoint(m_end);
    if (m_thickness != 0.0) {
        ext.addPoint(m_start + m_normal * m_thickness);
        ext.addPoint(m_end + m_normal * m_thickness);
    }
    return Acad::eOk;
}

// ---- filing ----

Acad::ErrorStatus AcDbLine::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint3d(m_start);
    filer->writePoint3d(m_end);
    filer->writeDouble(m_thickness);
    filer->writeVector3d(m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbLine::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer); es != Acad::eOk) return es;
    AcGePoint3d s, e;
    double t = 0.0;
    AcGeVector3d n;
    filer->readPoint3d(&s);
    filer->readPoint3d(&e);
    filer->readDouble(&t);
    filer->readVector3d(&n);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    m_start = s;
    m_end = e;
    m_thickness = t;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbLine");
    if (m_thickness != 0.0 || writesDefaults(filer)) filer->writeDouble(39, m_thickness);
    filer->writePoint3d(10, m_start);
    filer->writePoint3d(11, m_end);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis) || writesDefaults(filer)) filer->writeVector3d(210, m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbLine::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDbLine");  // files without subclass markers carry the same groups
    AcGePoint3d s, e;
    double t = 0.0;
    AcGeVector3d n = AcGeVector3d::kZAxis;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        switch (rb.restype) {
        case 10: s = cadhost::ent::groupPoint(rb); break;
        case 11: e = cadhost::ent::groupPoint(rb); break;
        case 39: t = cadhost::ent::groupReal(rb); break;
        case 210: n = cadhost::ent::groupVector(rb); break;
        default: break;
        }
    }
    if (es != Acad::eOk) return es;
    m_start = s;
    m_end = e;
    m_thickness = t;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return filer->filerStatus();
}
