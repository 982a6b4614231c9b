#include "db/arc.h"
#include <algorithm>
#include <cmath>
#include "db/curvesupport.h"
#include "db/ellipse.h"
#include "db/entitysupport.h"
#include "gi/geometry.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbArc, AcDbCurve, "ARC", ACRX_HOST_CONS(AcDbArc))

using namespace cadhost::curve;

namespace {
const char* const kMarkers[] = {"AcDbCircle", "AcDbArc", nullptr};

double validRadius(double r) { return std::isfinite(r) && r > 0 ? r : 0.0; }
double validAngle(double a) { return std::isfinite(a) ? wrap2Pi(a) : 0.0; }
}  // namespace

AcDbArc::AcDbArc() = default;

AcDbArc::AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
    : m_center(center), m_radius(validRadius(radius)), m_start(validAngle(startAngle)), m_end(validAngle(endAngle)) {}

AcDbArc::AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
                 double endAngle)
    : AcDbArc(center, radius, startAngle, endAngle) {
    if (!cadhost::ent::unitNormal(normal, m_normal)) m_normal = AcGeVector3d::kZAxis;
}

AcDbArc::~AcDbArc() = default;

AcGePoint3d AcDbArc::center() const { assertReadEnabled(); return m_center; }
double AcDbArc::radius() const { assertReadEnabled(); return m_radius; }
double AcDbArc::startAngle() const { assertReadEnabled(); return m_start; }
double AcDbArc::endAngle() const { assertReadEnabled(); return m_end; }
AcGeVector3d AcDbArc::normal() const { assertReadEnabled(); return m_normal; }
double AcDbArc::thickness() const { assertReadEnabled(); return m_thickness; }
double AcDbArc::totalAngle() const { assertReadEnabled(); return sweep(); }
double AcDbArc::length() const { assertReadEnabled(); return m_radius * sweep(); }

double AcDbArc::sweep() const {
    double s = wrap2Pi(m_end - m_start);
    return s == 0.0 ? kTwoPi : s;
}

Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& c) {
    assertWriteEnabled();
    m_center = c;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setRadius(double r) {
    if (!std::isfinite(r) || r <= 0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_radius = r;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setStartAngle(double a) {
    if (!std::isfinite(a)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_start = wrap2Pi(a);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setEndAngle(double a) {
    if (!std::isfinite(a)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_end = wrap2Pi(a);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setNormal(const AcGeVector3d& n) {
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(n, unit)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = unit;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setThickness(double t) {
    if (!std::isfinite(t)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_thickness = t;
    return Acad::eOk;
}

// ---- curve ----

namespace {
struct ArcGeom {
    ArcPiece piece;
    double tol, angTol;
    // The angle of a parameter within [a0, a0 + sweep], or false when it is off the arc.
    bool angleOfParam(double param, double& angle) const {
        if (!std::isfinite(param)) return false;
        double lo = piece.a0, hi = piece.a0 + piece.sweep;
        if (param >= lo - angTol && param <= hi + angTol) {
            angle = std::clamp(param, lo, hi);
            return true;
        }
        double rel = wrap2Pi(param - lo);
        if (rel <= piece.sweep + angTol) angle = lo + std::min(rel, piece.sweep);
        else if (kTwoPi - rel <= angTol) angle = lo;
        else return false;
        return true;
    }
};

ArcGeom arcGeom(const AcGePoint3d& c, double r, const AcGeVector3d& n, double start, double sweep) {
    ArcGeom g{makeArc(c, r, n, start, sweep), tolerance(sizeOf(c) + r), 0.0};
    g.angTol = r > 0 ? g.tol / r : 0.0;
    return g;
}
}  // namespace


Acad::ErrorStatus AcDbArc::getPlane(AcGePlane& plane, AcDb::Planarity& type) const {
    assertReadEnabled();
    plane.set(m_center, m_normal);
    type = AcDb::kPlanar;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getStartParam(double& p) const {
    assertReadEnabled();
    p = m_start;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getEndParam(double& p) const {
    assertReadEnabled();
    p = m_start + sweep();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getStartPoint(AcGePoint3d& p) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    p = g.piece.start();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getEndPoint(AcGePoint3d& p) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    p = g.piece.end();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getPointAtParam(double param, AcGePoint3d& p) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    double a;
    if (!g.angleOfParam(param, a)) return Acad::eInvalidInput;
    p = g.piece.at(a);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getParamAtPoint(const AcGePoint3d& p, double& param) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    AcGeVector3d v = p - m_center;
    if (std::fabs(v.dotProduct(g.piece.n)) > g.tol || std::fabs(v.length() - m_radius) > g.tol)
        return Acad::eInvalidInput;
    double a;
    if (!g.angleOfParam(g.piece.a0 + wrap2Pi(g.piece.angleOf(p) - g.piece.a0), a)) return Acad::eInvalidInput;
    param = a;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getDistAtParam(double param, double& dist) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    double a;
    if (!g.angleOfParam(param, a)) return Acad::eInvalidInput;
    dist = m_radius * (a - g.piece.a0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getParamAtDist(double dist, double& param) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    double len = m_radius * g.piece.sweep;
    if (!std::isfinite(dist) || dist < -g.tol || dist > len + g.tol || m_radius <= 0) return Acad::eInvalidInput;
    param = g.piece.a0 + std::clamp(dist, 0.0, len) / m_radius;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getFirstDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    double a;
    if (!g.angleOfParam(param, a)) return Acad::eInvalidInput;
    d = g.piece.x * (-m_radius * std::sin(a)) + g.piece.y * (m_radius * std::cos(a));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getSecondDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    double a;
    if (!g.angleOfParam(param, a)) return Acad::eInvalidInput;
    d = (g.piece.x * std::cos(a) + g.piece.y * std::sin(a)) * -m_radius;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool extend) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    if (extend) g.piece.sweep = kTwoPi;
    closest = closestOnArc(g.piece, given);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getArea(double& area) const {
    assertReadEnabled();
    double s = sweep();
    area = 0.5 * m_radius * m_radius * (s - std::sin(s));
    return Acad::eOk;
}

void AcDbArc::getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    AcGePoint3dArray path;
    flattenArc(g.piece, deviation, path);
    paths.append(path);
}

// ---- entity ----

void AcDbArc::draw(AcGiGeometry& geometry) const {
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    AcGeVector3d startVector = g.piece.x * std::cos(m_start) + g.piece.y * std::sin(m_start);
    geometry.circularArc(m_center, m_radius, m_normal, startVector, g.piece.sweep);
    if (m_thickness != 0.0) drawExtrusion(geometry, {Piece::of(g.piece)}, m_normal, m_thickness);
}

Adesk::Boolean AcDbArc::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return Adesk::kTrue;
    draw(mode->geometry());
    return Adesk::kTrue;
}

void AcDbArc::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (mode && !mode->regenAbort()) draw(mode->geometry());
}

void AcDbArc::list() const {
    assertReadEnabled();
    AcDbCurve::list();
    listPoint("center point,", m_center);
    listDistance("radius", m_radius);
    listAngle("start angle", m_start);
    listAngle("end angle", m_end);
    listDistance("length", m_radius * sweep());
    listAngle("total angle", sweep());
    double area = 0.0;
    getArea(area);
    listDistance("area", area);
    if (m_thickness != 0.0) listDistance("Thickness =", m_thickness);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) listVector("Extrusion direction", m_normal);
}

Acad::ErrorStatus AcDbArc::getGripPoints(AcGePoint3dArray& grips, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    grips.append(g.piece.start());
    grips.append(g.piece.end());
    grips.append(g.piece.at(g.piece.a0 + g.piece.sweep / 2));
    grips.append(m_center);
    return Acad::eOk;
}

bool AcDbArc::setThrough(const AcGePoint3d& s, const AcGePoint3d& m, const AcGePoint3d& e) {
    AcGePlane plane(m_center, m_normal);
    AcGePoint3d ps = plane.closestPointTo(s), pm = plane.closestPointTo(m), pe = plane.closestPointTo(e);
    AcGePoint3d c;
    double r = 0.0;
    if (!circleThrough(ps, pm, pe, c, r)) return false;
    ArcPiece frame = makeArc(c, r, m_normal, 0.0, kTwoPi);
    double as = wrap2Pi(frame.angleOf(ps)), am = wrap2Pi(frame.angleOf(pm)), ae = wrap2Pi(frame.angleOf(pe));
    bool ccw = wrap2Pi(am - as) < wrap2Pi(ae - as);
    assertWriteEnabled();
    m_center = c;
    m_radius = r;
    m_start = ccw ? as : ae;
    m_end = ccw ? ae : as;
    return true;
}

Acad::ErrorStatus AcDbArc::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, 4)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    bool s = indices.contains(0), e = indices.contains(1), m = indices.contains(2);
    if (indices.contains(3) || (s && e && m)) {
        assertWriteEnabled();
        m_center += offset;
        return Acad::eOk;
    }
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    getGripPoints(grips, modes, ids);
    AcGeVector3d in = offset - m_normal * offset.dotProduct(m_normal);
    AcGeVector3d none(0, 0, 0);
    if (!setThrough(grips[0] + (s ? in : none), grips[2] + (m ? in : none), grips[1] + (e ? in : none)))
        return Acad::eInvalidInput;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getStretchPoints(AcGePoint3dArray& points) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    points.append(g.piece.start());
    points.append(g.piece.end());
    points.append(m_center);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, 3)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    bool s = indices.contains(0), e = indices.contains(1);
    if (indices.contains(2) || (s && e)) {
        assertWriteEnabled();
        m_center += offset;
        return Acad::eOk;
    }
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    getGripPoints(grips, modes, ids);
    AcGeVector3d in = offset - m_normal * offset.dotProduct(m_normal);
    AcGeVector3d none(0, 0, 0);
    if (!setThrough(grips[0] + (s ? in : none), grips[2], grips[1] + (e ? in : none))) return Acad::eInvalidInput;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick, const AcGePoint3d& last,
                                          const AcGeMatrix3d&, AcGePoint3dArray& points, AcDbIntArray&) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    pieceSnaps(Piece::of(g.piece), mode, pick, last, points);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::transformBy(const AcGeMatrix3d& xform) {
    if (!xform.isUniScaledOrtho()) return Acad::eCannotScaleNonUniformly;
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    AcGePoint3d s = xform * g.piece.start(), e = xform * g.piece.end();
    if (linearDet(xform) < 0) std::swap(s, e);
    assertWriteEnabled();
    bool full = g.piece.sweep >= kTwoPi;
    m_center.transformBy(xform);
    m_radius *= xform.scale();
    transformExtrusion(xform, m_normal, m_thickness);
    ArcPiece frame = makeArc(m_center, m_radius, m_normal, 0.0, kTwoPi);
    m_start = wrap2Pi(frame.angleOf(s));
    m_end = full ? m_start : wrap2Pi(frame.angleOf(e));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    if (xform.isUniScaledOrtho()) return transformedClone(this, xform, copy);
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    auto* ellipse = new AcDbEllipse(m_center, g.piece.n, g.piece.x * m_radius, 1.0, m_start, m_start + g.piece.sweep);
    ellipse->setPropertiesFrom(this);
    if (Acad::ErrorStatus es = ellipse->transformBy(xform); es != Acad::eOk) {
        delete ellipse;
        return es;
    }
    copy = ellipse;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::explode(AcDbVoidPtrArray&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbArc::getGeomExtents(AcDbExtents& ext) const {
    assertReadEnabled();
    ArcGeom g = arcGeom(m_center, m_radius, m_normal, m_start, sweep());
    ext = AcDbExtents();
    addArcExtents(g.piece, ext);
    if (m_thickness != 0.0) {
        g.piece.c += m_normal * m_thickness;
        addArcExtents(g.piece, ext);
    }
    return Acad::eOk;
}

// ---- filing ----

Acad::ErrorStatus AcDbArc::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint3d(m_center);
    filer->writeDouble(m_radius);
    filer->writeDouble(m_start);
    filer->writeDouble(m_end);
    filer->writeDouble(m_thickness);
    filer->writeVector3d(m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbArc::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer); es != Acad::eOk) return es;
    AcGePoint3d c;
    double r = 0.0, a0 = 0.0, a1 = 0.0, t = 0.0;
    AcGeVector3d n;
    filer->readPoint3d(&c);
    filer->readDouble(&r);
    filer->readDouble(&a0);
    filer->readDouble(&a1);
    filer->readDouble(&t);
    filer->readVector3d(&n);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    if (!std::isfinite(r) || r < 0) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    m_center = c;
    m_radius = r;
    m_start = validAngle(a0);
    m_end = validAngle(a1);
    m_thickness = t;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbCircle");
    if (m_thickness != 0.0 || writesDefaults(filer)) filer->writeDouble(39, m_thickness);
    filer->writePoint3d(10, cadhost::ent::toOcs(m_center, m_normal));
    filer->writeDouble(40, m_radius);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis) || writesDefaults(filer)) filer->writeVector3d(210, m_normal);
    filer->writeSubclass("AcDbArc");
    cadhost::ent::writeAngle(filer, 50, m_start);
    cadhost::ent::writeAngle(filer, 51, m_end);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbArc::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDbCircle");
    AcGePoint3d c;
    double r = 0.0, t = 0.0, a0 = 0.0, a1 = 0.0;
    AcGeVector3d n = AcGeVector3d::kZAxis;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        switch (rb.restype) {
        case 10: c = cadhost::ent::groupPoint(rb); break;
        case 40: r = cadhost::ent::groupReal(rb); break;
        case 39: t = cadhost::ent::groupReal(rb); break;
        case 50: a0 = cadhost::ent::groupAngle(rb); break;
        case 51: a1 = cadhost::ent::groupAngle(rb); break;
        case 210: n = cadhost::ent::groupVector(rb); break;
        default: break;
        }
    }
    if (es != Acad::eOk) return es;
    if (!std::isfinite(r) || r < 0) return filer->setError(Acad::eInvalidDxfCode, "arc radius %g", r);
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    m_center = cadhost::ent::fromOcs(c, m_normal);
    m_radius = r;
    m_start = validAngle(a0);
    m_end = validAngle(a1);
    m_thickness = t;
    return filer->filerStatus();
}
