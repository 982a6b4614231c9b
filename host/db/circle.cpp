#include "db/circle.h"
#include <algorithm>
#include <cmath>
#include "db/curvesupport.h"
#include "db/ellipse.h"
#include "db/entitysupport.h"
#include "gi/geometry.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbCircle, AcDbCurve, "CIRCLE", ACRX_HOST_CONS(AcDbCircle))

using namespace cadhost::curve;

namespace {
const char* const kMarkers[] = {"AcDbCircle", nullptr};
}

AcDbCircle::AcDbCircle() = default;

AcDbCircle::AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
    : m_center(center), m_radius(std::isfinite(radius) && radius > 0 ? radius : 0.0) {
    if (!cadhost::ent::unitNormal(normal, m_normal)) m_normal = AcGeVector3d::kZAxis;
}

AcDbCircle::~AcDbCircle() = default;

AcGePoint3d AcDbCircle::center() const { assertReadEnabled(); return m_center; }
double AcDbCircle::radius() const { assertReadEnabled(); return m_radius; }
AcGeVector3d AcDbCircle::normal() const { assertReadEnabled(); return m_normal; }
double AcDbCircle::thickness() const { assertReadEnabled(); return m_thickness; }
double AcDbCircle::circumference() const { assertReadEnabled(); return kTwoPi * m_radius; }
double AcDbCircle::diameter() const { assertReadEnabled(); return 2.0 * m_radius; }

Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& c) {
    assertWriteEnabled();
    m_center = c;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::setRadius(double r) {
    if (!std::isfinite(r) || r <= 0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_radius = r;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::setNormal(const AcGeVector3d& n) {
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(n, unit)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = unit;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::setThickness(double t) {
    if (!std::isfinite(t)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_thickness = t;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::setCircumference(double c) { return setRadius(c / kTwoPi); }
Acad::ErrorStatus AcDbCircle::setDiameter(double d) { return setRadius(d / 2.0); }

// ---- curve ----

namespace {
ArcPiece circlePiece(const AcGePoint3d& c, double r, const AcGeVector3d& n) { return makeArc(c, r, n, 0.0, kTwoPi); }
}  // namespace

Acad::ErrorStatus AcDbCircle::getPlane(AcGePlane& plane, AcDb::Planarity& type) const {
    assertReadEnabled();
    plane.set(m_center, m_normal);
    type = AcDb::kPlanar;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getStartParam(double& p) const {
    assertReadEnabled();
    p = 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getEndParam(double& p) const {
    assertReadEnabled();
    p = kTwoPi;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getStartPoint(AcGePoint3d& p) const {
    assertReadEnabled();
    p = circlePiece(m_center, m_radius, m_normal).at(0.0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getEndPoint(AcGePoint3d& p) const { return getStartPoint(p); }

Acad::ErrorStatus AcDbCircle::getPointAtParam(double param, AcGePoint3d& p) const {
    assertReadEnabled();
    if (!std::isfinite(param)) return Acad::eInvalidInput;
    p = circlePiece(m_center, m_radius, m_normal).at(param);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getParamAtPoint(const AcGePoint3d& p, double& param) const {
    assertReadEnabled();
    ArcPiece arc = circlePiece(m_center, m_radius, m_normal);
    double tol = tolerance(sizeOf(m_center) + m_radius);
    AcGeVector3d v = p - m_center;
    if (std::fabs(v.dotProduct(arc.n)) > tol || std::fabs(v.length() - m_radius) > tol) return Acad::eInvalidInput;
    param = wrap2Pi(arc.angleOf(p));
    if (kTwoPi - param <= tol / std::max(m_radius, 1e-300)) param = 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getDistAtParam(double param, double& dist) const {
    assertReadEnabled();
    if (!std::isfinite(param) || param < -1e-12 || param > kTwoPi + 1e-12) return Acad::eInvalidInput;
    dist = m_radius * std::clamp(param, 0.0, kTwoPi);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getParamAtDist(double dist, double& param) const {
    assertReadEnabled();
    double len = kTwoPi * m_radius;
    double tol = tolerance(sizeOf(m_center) + m_radius);
    if (!std::isfinite(dist) || dist < -tol || dist > len + tol || m_radius <= 0) return Acad::eInvalidInput;
    param = std::clamp(dist / m_radius, 0.0, kTwoPi);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getFirstDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    if (!std::isfinite(param)) return Acad::eInvalidInput;
    ArcPiece arc = circlePiece(m_center, m_radius, m_normal);
    d = arc.x * (-m_radius * std::sin(param)) + arc.y * (m_radius * std::cos(param));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getSecondDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    if (!std::isfinite(param)) return Acad::eInvalidInput;
    ArcPiece arc = circlePiece(m_center, m_radius, m_normal);
    d = (arc.x * std::cos(param) + arc.y * std::sin(param)) * -m_radius;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool) const {
    assertReadEnabled();
    closest = closestOnArc(circlePiece(m_center, m_radius, m_normal), given);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getArea(double& area) const {
    assertReadEnabled();
    area = kPi * m_radius * m_radius;
    return Acad::eOk;
}

void AcDbCircle::getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const {
    assertReadEnabled();
    AcGePoint3dArray path;
    flattenArc(circlePiece(m_center, m_radius, m_normal), deviation, path);
    paths.append(path);
}

// ---- entity ----

void AcDbCircle::draw(AcGiGeometry& g) const {
    g.circle(m_center, m_radius, m_normal);
    if (m_thickness != 0.0) {
        std::vector<Piece> pieces{Piece::of(circlePiece(m_center, m_radius, m_normal))};
        drawExtrusion(g, pieces, m_normal, m_thickness);
    }
}

Adesk::Boolean AcDbCircle::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return Adesk::kTrue;
    draw(mode->geometry());
    return Adesk::kTrue;
}

void AcDbCircle::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (mode && !mode->regenAbort()) draw(mode->geometry());
}

void AcDbCircle::list() const {
    assertReadEnabled();
    AcDbCurve::list();
    listPoint("center point,", m_center);
    listDistance("radius", m_radius);
    listDistance("circumference", kTwoPi * m_radius);
    listDistance("area", kPi * m_radius * m_radius);
    if (m_thickness != 0.0) listDistance("Thickness =", m_thickness);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) listVector("Extrusion direction", m_normal);
}

Acad::ErrorStatus AcDbCircle::getGripPoints(AcGePoint3dArray& grips, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    ArcPiece arc = circlePiece(m_center, m_radius, m_normal);
    grips.append(m_center);
    grips.append(m_center + arc.x * m_radius);
    grips.append(m_center + arc.y * m_radius);
    grips.append(m_center - arc.x * m_radius);
    grips.append(m_center - arc.y * m_radius);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, 5)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    if (indices.contains(0)) {
        assertWriteEnabled();
        m_center += offset;
        return Acad::eOk;
    }
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    getGripPoints(grips, modes, ids);
    AcGeVector3d v = grips[indices[0]] + offset - m_center;
    v -= m_normal * v.dotProduct(m_normal);
    double r = v.length();
    if (!(r > tolerance(sizeOf(m_center)))) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_radius = r;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getStretchPoints(AcGePoint3dArray& points) const {
    AcDbIntArray modes, ids;
    return getGripPoints(points, modes, ids);
}

Acad::ErrorStatus AcDbCircle::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus AcDbCircle::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick,
                                             const AcGePoint3d& last, const AcGeMatrix3d&,
                                             AcGePoint3dArray& points, AcDbIntArray&) const {
    assertReadEnabled();
    pieceSnaps(Piece::of(circlePiece(m_center, m_radius, m_normal)), mode, pick, last, points);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::transformBy(const AcGeMatrix3d& xform) {
    if (!xform.isUniScaledOrtho()) return Acad::eCannotScaleNonUniformly;
    assertWriteEnabled();
    m_center.transformBy(xform);
    m_radius *= xform.scale();
    transformExtrusion(xform, m_normal, m_thickness);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    if (xform.isUniScaledOrtho()) return transformedClone(this, xform, copy);
    ArcPiece arc = circlePiece(m_center, m_radius, m_normal);
    auto* ellipse = new AcDbEllipse(m_center, arc.n, arc.x * m_radius, 1.0);
    ellipse->setPropertiesFrom(this);
    if (Acad::ErrorStatus es = ellipse->transformBy(xform); es != Acad::eOk) {
        delete ellipse;
        return es;
    }
    copy = ellipse;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::explode(AcDbVoidPtrArray&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbCircle::getGeomExtents(AcDbExtents& ext) const {
    assertReadEnabled();
    ext = AcDbExtents();
    ArcPiece arc = circlePiece(m_center, m_radius, m_normal);
    addArcExtents(arc, ext);
    if (m_thickness != 0.0) {
        arc.c += m_normal * m_thickness;
        addArcExtents(arc, ext);
    }
    return Acad::eOk;
}

// ---- filing ----

Acad::ErrorStatus AcDbCircle::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint3d(m_center);
    filer->writeDouble(m_radius);
    filer->writeDouble(m_thickness);
    filer->writeVector3d(m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbCircle::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer); es != Acad::eOk) return es;
    AcGePoint3d c;
    double r = 0.0, t = 0.0;
    AcGeVector3d n;
    filer->readPoint3d(&c);
    filer->readDouble(&r);
    filer->readDouble(&t);
    filer->readVector3d(&n);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    if (!std::isfinite(r) || r < 0) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    m_center = c;
    m_radius = r;
    m_thickness = t;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbCircle");
    if (m_thickness != 0.0 || writesDefaults(filer)) filer->writeDouble(39, m_thickness);
    filer->writePoint3d(10, cadhost::ent::toOcs(m_center, m_normal));
    filer->writeDouble(40, m_radius);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis) || writesDefaults(filer)) filer->writeVector3d(210, m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbCircle::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDbCircle");
    AcGePoint3d c;
    double r = 0.0, t = 0.0;
    AcGeVector3d n = AcGeVector3d::kZAxis;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        switch (rb.restype) {
        case 10: c = cadhost::ent::groupPoint(rb); break;
        case 40: r = cadhost::ent::groupReal(rb); break;
        case 39: t = cadhost::ent::groupReal(rb); break;
        case 210: n = cadhost::ent::groupVector(rb); break;
        default: break;
        }
    }
    if (es != Acad::eOk) return es;
    if (!std::isfinite(r) || r < 0) return filer->setError(Acad::eInvalidDxfCode, "circle radius %g", r);
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    m_center = cadhost::ent::fromOcs(c, m_normal);
    m_radius = r;
    m_thickness = t;
    return filer->filerStatus();
}
