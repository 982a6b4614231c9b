#include "db/ellipse.h"
#include <algorithm>
#include <cmath>
#include <functional>
#include "db/curvesupport.h"
#include "db/entitysupport.h"
#include "gi/geometry.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbEllipse, AcDbCurve, "ELLIPSE", ACRX_HOST_CONS(AcDbEllipse))

using namespace cadhost::curve;

namespace {
const char* const kMarkers[] = {"AcDbEllipse", nullptr};

// Five-point Gauss-Legendre rule on [-1, 1].
const double kGaussX[5] = {0.0, -0.5384693101056831, 0.5384693101056831, -0.9061798459386640, 0.9061798459386640};
const double kGaussW[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665, 0.2369268850561891,
                           0.2369268850561891};

double speed(const AcGeVector3d& M, const AcGeVector3d& m, double t) {
    return (M * -std::sin(t) + m * std::cos(t)).length();
}

double arcLength(const AcGeVector3d& M, const AcGeVector3d& m, double t0, double t1) {
    if (t1 == t0) return 0.0;
    int n = std::max(1, static_cast<int>(std::ceil(std::fabs(t1 - t0) / (kPi / 64))));
    double h = (t1 - t0) / n, sum = 0.0;
    for (int i = 0; i < n; ++i) {
        double mid = t0 + h * (i + 0.5);
        for (int k = 0; k < 5; ++k) sum += kGaussW[k] * speed(M, m, mid + kGaussX[k] * h / 2);
    }
    return sum * h / 2;
}

// Zeros of a continuous function on [lo, hi] found by sign changes between samples.
void findRoots(const std::function<double(double)>& f, double lo, double hi, int samples, std::vector<double>& roots) {
    double prevT = lo, prev = f(lo);
    if (prev == 0.0) roots.push_back(lo);
    for (int i = 1; i <= samples; ++i) {
        double t = lo + (hi - lo) * i / samples, v = f(t);
        if (v == 0.0) {
            roots.push_back(t);
        } else if (prev != 0.0 && (prev < 0) != (v < 0)) {
            double a = prevT, b = t, fa = prev;
            for (int k = 0; k < 80; ++k) {
                double m = 0.5 * (a + b), fm = f(m);
                if ((fm < 0) == (fa < 0)) { a = m; fa = fm; }
                else b = m;
            }
            roots.push_back(0.5 * (a + b));
        }
        prevT = t;
        prev = v;
    }
}

double sameTurn(double value, double reference) {
    return value + std::round((reference - value) / kTwoPi) * kTwoPi;
}
}  // namespace

AcDbEllipse::AcDbEllipse() = default;

AcDbEllipse::AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& unitNormal, const AcGeVector3d& majorAxis,
                         double radiusRatio, double startAngle, double endAngle)
    : m_center(center) {
    if (!cadhost::ent::unitNormal(unitNormal, m_normal)) m_normal = AcGeVector3d::kZAxis;
    AcGeVector3d axis = majorAxis - m_normal * majorAxis.dotProduct(m_normal);
    if (axis.isZeroLength()) axis = frameOf(m_normal).x;
    m_major = axis;
    double ratio = std::isfinite(radiusRatio) && radiusRatio > 0 ? radiusRatio : 1.0;
    double s = std::isfinite(startAngle) ? startAngle : 0.0, e = std::isfinite(endAngle) ? endAngle : kTwoPi;
    m_ratio = ratio;  // the angle to parameter relation holds for any ratio
    setParams(paramAtAngle(s), paramAtAngle(e));
    if (ratio > 1.0) {
        // The given axis is the shorter one: the other becomes the major axis.
        m_ratio = 1.0;
        setAxes(axis, axis.length() * ratio);
    }
}

AcDbEllipse::~AcDbEllipse() = default;

AcGeVector3d AcDbEllipse::minor() const { return m_normal.crossProduct(m_major) * m_ratio; }
AcGePoint3d AcDbEllipse::at(double t) const { return m_center + m_major * std::cos(t) + minor() * std::sin(t); }
double AcDbEllipse::tol() const { return tolerance(sizeOf(m_center) + m_major.length()); }

void AcDbEllipse::setParams(double start, double end) {
    double s = wrap2Pi(start);
    double sw = wrap2Pi(end - start);
    if (sw == 0.0) sw = kTwoPi;
    m_startParam = s;
    m_endParam = s + sw;
}

void AcDbEllipse::setAxes(const AcGeVector3d& axis, double other) {
    double a = axis.length();
    if (a >= other) {
        m_major = axis;
        m_ratio = other / a;
        return;
    }
    bool full = isClosed();
    m_major = m_normal.crossProduct(axis.normal()) * other;
    m_ratio = a / other;
    if (!full) setParams(m_startParam - kPi / 2, m_endParam - kPi / 2);
}

bool AcDbEllipse::inRange(double t, double& inside) const {
    if (!std::isfinite(t)) return false;
    if (isClosed()) {
        inside = t;
        return true;
    }
    double b = minor().length();
    double slack = b > 0 ? tol() / b : 0.0;
    double lo = m_startParam, hi = m_endParam;
    if (t >= lo - slack && t <= hi + slack) {
        inside = std::clamp(t, lo, hi);
        return true;
    }
    double rel = wrap2Pi(t - lo);
    if (rel <= sweep() + slack) inside = lo + std::min(rel, sweep());
    else if (kTwoPi - rel <= slack) inside = lo;
    else return false;
    return true;
}

AcGePoint3d AcDbEllipse::center() const { assertReadEnabled(); return m_center; }
AcGeVector3d AcDbEllipse::normal() const { assertReadEnabled(); return m_normal; }
AcGeVector3d AcDbEllipse::majorAxis() const { assertReadEnabled(); return m_major; }
AcGeVector3d AcDbEllipse::minorAxis() const { assertReadEnabled(); return minor(); }
double AcDbEllipse::majorRadius() const { assertReadEnabled(); return m_major.length(); }
double AcDbEllipse::minorRadius() const { assertReadEnabled(); return m_major.length() * m_ratio; }
double AcDbEllipse::radiusRatio() const { assertReadEnabled(); return m_ratio; }
double AcDbEllipse::startParam() const { assertReadEnabled(); return m_startParam; }
double AcDbEllipse::endParam() const { assertReadEnabled(); return m_endParam; }
double AcDbEllipse::startAngle() const { assertReadEnabled(); return angleAtParam(m_startParam); }
double AcDbEllipse::endAngle() const { assertReadEnabled(); return angleAtParam(m_endParam); }
bool AcDbEllipse::isClosed() const { assertReadEnabled(); return sweep() >= kTwoPi - 1e-12; }
bool AcDbEllipse::isNull() const { assertReadEnabled(); return m_major.isZeroLength() || m_ratio <= 0; }

double AcDbEllipse::paramAtAngle(double angle) const {
    assertReadEnabled();
    double t = std::atan2(std::sin(angle), m_ratio * std::cos(angle));
    return sameTurn(t, angle);
}

double AcDbEllipse::angleAtParam(double param) const {
    assertReadEnabled();
    double a = std::atan2(m_ratio * std::sin(param), std::cos(param));
    return sameTurn(a, param);
}

Acad::ErrorStatus AcDbEllipse::setCenter(const AcGePoint3d& c) {
    assertWriteEnabled();
    m_center = c;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::setRadiusRatio(double ratio) {
    if (!std::isfinite(ratio) || ratio <= 0 || ratio > 1) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_ratio = ratio;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::setStartParam(double p) {
    if (!std::isfinite(p)) return Acad::eInvalidInput;
    assertWriteEnabled();
    setParams(p, m_endParam);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::setEndParam(double p) {
    if (!std::isfinite(p)) return Acad::eInvalidInput;
    assertWriteEnabled();
    setParams(m_startParam, p);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::setStartAngle(double a) {
    if (!std::isfinite(a)) return Acad::eInvalidInput;
    return setStartParam(paramAtAngle(a));
}

Acad::ErrorStatus AcDbEllipse::setEndAngle(double a) {
    if (!std::isfinite(a)) return Acad::eInvalidInput;
    return setEndParam(paramAtAngle(a));
}

Acad::ErrorStatus AcDbEllipse::set(const AcGePoint3d& center, const AcGeVector3d& unitNormal,
                                   const AcGeVector3d& majorAxis, double ratio, double startAngle, double endAngle) {
    AcGeVector3d n;
    if (!cadhost::ent::unitNormal(unitNormal, n) || majorAxis.isZeroLength() || !std::isfinite(ratio) ||
        ratio <= 0 || ratio > 1 || !std::isfinite(startAngle) || !std::isfinite(endAngle))
        return Acad::eInvalidInput;
    if (std::fabs(majorAxis.normal().dotProduct(n)) > 1e-9) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_center = center;
    m_normal = n;
    m_major = majorAxis - n * majorAxis.dotProduct(n);
    m_ratio = ratio;
    setParams(paramAtAngle(startAngle), paramAtAngle(endAngle));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::get(AcGePoint3d& center, AcGeVector3d& unitNormal, AcGeVector3d& majorAxis,
                                   double& ratio, double& startAngle, double& endAngle) const {
    assertReadEnabled();
    center = m_center;
    unitNormal = m_normal;
    majorAxis = m_major;
    ratio = m_ratio;
    startAngle = angleAtParam(m_startParam);
    endAngle = angleAtParam(m_endParam);
    return Acad::eOk;
}

// ---- curve ----

Acad::ErrorStatus AcDbEllipse::getPlane(AcGePlane& plane, AcDb::Planarity& type) const {
    assertReadEnabled();
    plane.set(m_center, m_normal);
    type = AcDb::kPlanar;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getStartParam(double& p) const {
    assertReadEnabled();
    p = m_startParam;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getEndParam(double& p) const {
    assertReadEnabled();
    p = m_endParam;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getStartPoint(AcGePoint3d& p) const {
    assertReadEnabled();
    p = at(m_startParam);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getEndPoint(AcGePoint3d& p) const {
    assertReadEnabled();
    p = isClosed() ? at(m_startParam) : at(m_endParam);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getPointAtParam(double param, AcGePoint3d& p) const {
    assertReadEnabled();
    double t;
    if (!inRange(param, t)) return Acad::eInvalidInput;
    p = at(t);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getParamAtPoint(const AcGePoint3d& p, double& param) const {
    assertReadEnabled();
    double a = m_major.length(), b = a * m_ratio;
    if (!(b > 0)) return Acad::eInvalidInput;
    AcGeVector3d v = p - m_center;
    double tl = tol();
    if (std::fabs(v.dotProduct(m_normal)) > tl) return Acad::eInvalidInput;
    double t = std::atan2(v.dotProduct(minor()) / (b * b), v.dotProduct(m_major) / (a * a));
    if (at(t).distanceTo(p) > tl) return Acad::eInvalidInput;
    double rel = wrap2Pi(t - m_startParam);
    if (isClosed()) {
        if (kTwoPi - rel <= tl / b) rel = 0.0;
        param = m_startParam + rel;
        return Acad::eOk;
    }
    return inRange(m_startParam + rel, param) ? Acad::eOk : Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbEllipse::getDistAtParam(double param, double& dist) const {
    assertReadEnabled();
    double t;
    if (!inRange(param, t) || t < m_startParam - 1e-12 || t > m_endParam + 1e-12) return Acad::eInvalidInput;
    dist = arcLength(m_major, minor(), m_startParam, std::clamp(t, m_startParam, m_endParam));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getParamAtDist(double dist, double& param) const {
    assertReadEnabled();
    AcGeVector3d M = m_major, m = minor();
    double total = arcLength(M, m, m_startParam, m_endParam);
    double tl = tol();
    if (!std::isfinite(dist) || dist < -tl || dist > total + tl) return Acad::eInvalidInput;
    dist = std::clamp(dist, 0.0, total);
    double lo = m_startParam, hi = m_endParam;
    double t = total > 0 ? lo + sweep() * dist / total : lo;
    for (int i = 0; i < 60; ++i) {
        double f = arcLength(M, m, m_startParam, t) - dist;
        if (std::fabs(f) <= tl * 1e-3) break;
        if (f > 0) hi = t;
        else lo = t;
        double s = speed(M, m, t);
        double next = s > 0 ? t - f / s : 0.5 * (lo + hi);
        t = (next > lo && next < hi) ? next : 0.5 * (lo + hi);
    }
    param = t;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getFirstDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    double t;
    if (!inRange(param, t)) return Acad::eInvalidInput;
    d = m_major * -std::sin(t) + minor() * std::cos(t);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getSecondDeriv(double param, AcGeVector3d& d) const {
    assertReadEnabled();
    double t;
    if (!inRange(param, t)) return Acad::eInvalidInput;
    d = (m_major * std::cos(t) + minor() * std::sin(t)) * -1.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool) const {
    assertReadEnabled();
    AcGeVector3d M = m_major, m = minor();
    auto f = [&](double t) {
        AcGeVector3d d1 = M * -std::sin(t) + m * std::cos(t);
        return (at(t) - given).dotProduct(d1);
    };
    std::vector<double> cands;
    findRoots(f, m_startParam, m_endParam, 128, cands);
    cands.push_back(m_startParam);
    cands.push_back(m_endParam);
    double best = kInf;
    for (double t : cands) {
        AcGePoint3d p = at(t);
        if (double d = p.distanceTo(given); d < best) {
            best = d;
            closest = p;
        }
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getArea(double& area) const {
    assertReadEnabled();
    double a = m_major.length(), b = a * m_ratio;
    area = isClosed() ? kPi * a * b : 0.5 * a * b * (sweep() - std::sin(sweep()));
    return Acad::eOk;
}

void AcDbEllipse::getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const {
    assertReadEnabled();
    AcGePoint3dArray path;
    int n = arcSteps(m_major.length(), sweep(), deviation);
    for (int k = 0; k <= n; ++k) path.append(at(m_startParam + sweep() * k / n));
    if (isClosed()) path.last() = path.first();
    paths.append(path);
}

// ---- entity ----

void AcDbEllipse::draw(AcGiGeometry& geometry) const {
    geometry.ellipticalArc(m_center, m_normal, m_major, m_ratio, m_startParam, sweep());
}

Adesk::Boolean AcDbEllipse::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return Adesk::kTrue;
    draw(mode->geometry());
    return Adesk::kTrue;
}

void AcDbEllipse::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (mode && !mode->regenAbort()) draw(mode->geometry());
}

void AcDbEllipse::list() const {
    assertReadEnabled();
    AcDbCurve::list();
    listPoint("Center:", m_center);
    listVector("Major Axis:", m_major);
    listVector("Minor Axis:", minor());
    listDistance("Radius Ratio:", m_ratio);
    if (!isClosed()) {
        listAngle("Start Angle:", angleAtParam(m_startParam));
        listAngle("End Angle:", angleAtParam(m_endParam));
    }
    double area = 0.0, len = arcLength(m_major, minor(), m_startParam, m_endParam);
    getArea(area);
    listDistance("Area:", area);
    listDistance(isClosed() ? "Circumference:" : "Length:", len);
}

Acad::ErrorStatus AcDbEllipse::getGripPoints(AcGePoint3dArray& grips, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    AcGeVector3d m = minor();
    grips.append(m_center);
    grips.append(m_center + m_major);
    grips.append(m_center + m);
    grips.append(m_center - m_major);
    grips.append(m_center - m);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
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
    int i = indices[0];
    AcGeVector3d v = grips[i] + offset - m_center;
    v -= m_normal * v.dotProduct(m_normal);
    double minLen = tol();
    if (!(v.length() > minLen)) return Acad::eInvalidInput;
    assertWriteEnabled();
    double b = m_major.length() * m_ratio;
    if (i == 1) setAxes(v, b);
    else if (i == 3) setAxes(-v, b);
    else setAxes(m_major, v.length());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getStretchPoints(AcGePoint3dArray& points) const {
    AcDbIntArray modes, ids;
    return getGripPoints(points, modes, ids);
}

Acad::ErrorStatus AcDbEllipse::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus AcDbEllipse::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick,
                                              const AcGePoint3d& last, const AcGeMatrix3d&,
                                              AcGePoint3dArray& points, AcDbIntArray&) const {
    assertReadEnabled();
    AcGeVector3d M = m_major, m = minor();
    bool closed = isClosed();
    auto inSweep = [&](double t) { return closed || wrap2Pi(t - m_startParam) <= sweep() + 1e-12; };
    switch (mode) {
    case AcDb::kOsModeCen: points.append(m_center); break;
    case AcDb::kOsModeQuad:
        for (double t : {0.0, kPi / 2, kPi, 3 * kPi / 2})
            if (inSweep(t)) points.append(at(t));
        break;
    case AcDb::kOsModeEnd:
        if (!closed) {
            points.append(at(m_startParam));
            points.append(at(m_endParam));
        }
        break;
    case AcDb::kOsModeMid:
        if (!closed) {
            double t = m_startParam;
            getParamAtDist(arcLength(M, m, m_startParam, m_endParam) / 2, t);
            points.append(at(t));
        }
        break;
    case AcDb::kOsModeNear: {
        AcGePoint3d p;
        getClosestPointTo(pick, p);
        points.append(p);
        break;
    }
    case AcDb::kOsModePerp:
    case AcDb::kOsModeTan: {
        auto f = [&](double t) {
            AcGeVector3d d1 = M * -std::sin(t) + m * std::cos(t);
            AcGeVector3d rel = at(t) - last;
            return mode == AcDb::kOsModePerp ? rel.dotProduct(d1) : rel.crossProduct(d1).dotProduct(m_normal);
        };
        std::vector<double> roots;
        findRoots(f, m_startParam, m_endParam, 128, roots);
        for (double t : roots) appendUnique(points, at(t), tol());
        break;
    }
    default: break;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::transformBy(const AcGeMatrix3d& xform) {
    AcGeVector3d u = xform * m_major, v = xform * minor();
    AcGeVector3d cross = u.crossProduct(v);
    if (!(cross.length() > 1e-12 * u.length() * v.length()) || !std::isfinite(cross.length()))
        return Acad::eInvalidInput;  // the plane collapses
    double uu = u.dotProduct(u), vv = v.dotProduct(v), uv = u.dotProduct(v);
    // Conjugate semi-diameters u, v: the principal axes are at the parameter where |p - c| peaks.
    double t0 = 0.5 * std::atan2(2.0 * uv, uu - vv);
    AcGeVector3d A = u * std::cos(t0) + v * std::sin(t0);
    AcGeVector3d B = v * std::cos(t0) - u * std::sin(t0);
    AcGeVector3d n = cross.normal();
    double s = m_startParam - t0, e = m_endParam - t0;
    if (n.dotProduct(xform * m_normal) < 0) {
        // Keep the normal on the side the old one went to: the parameter runs backwards.
        n = -n;
        double ns = -e, ne = -s;
        s = ns;
        e = ne;
    }
    bool full = isClosed();
    assertWriteEnabled();
    m_center.transformBy(xform);
    m_normal = n;
    m_major = A;
    double a = A.length();
    m_ratio = a > 0 ? std::min(1.0, B.length() / a) : 1.0;
    if (full) {
        m_startParam = 0.0;
        m_endParam = kTwoPi;
    } else {
        setParams(s, e);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    return transformedClone(this, xform, copy);
}

Acad::ErrorStatus AcDbEllipse::explode(AcDbVoidPtrArray&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbEllipse::getGeomExtents(AcDbExtents& ext) const {
    assertReadEnabled();
    ext = AcDbExtents();
    AcGeVector3d m = minor();
    bool closed = isClosed();
    if (!closed) {
        ext.addPoint(at(m_startParam));
        ext.addPoint(at(m_endParam));
    }
    for (int i = 0; i < 3; ++i) {
        if (std::hypot(m_major[i], m[i]) <= 1e-300) {
            ext.addPoint(at(m_startParam));
            continue;
        }
        double t = std::atan2(m[i], m_major[i]);
        for (double cand : {t, t + kPi})
            if (closed || wrap2Pi(cand - m_startParam) <= sweep()) ext.addPoint(at(cand));
    }
    return Acad::eOk;
}

// ---- filing ----

Acad::ErrorStatus AcDbEllipse::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint3d(m_center);
    filer->writeVector3d(m_normal);
    filer->writeVector3d(m_major);
    filer->writeDouble(m_ratio);
    filer->writeDouble(m_startParam);
    filer->writeDouble(m_endParam);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbEllipse::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer); es != Acad::eOk) return es;
    AcGePoint3d c;
    AcGeVector3d n, M;
    double r = 1.0, s = 0.0, e = kTwoPi;
    filer->readPoint3d(&c);
    filer->readVector3d(&n);
    filer->readVector3d(&M);
    filer->readDouble(&r);
    filer->readDouble(&s);
    filer->readDouble(&e);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(n, unit) || !std::isfinite(r) || r <= 0 || r > 1 || !std::isfinite(s) ||
        !std::isfinite(e) || M.isZeroLength()) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    m_center = c;
    m_normal = unit;
    m_major = M - unit * M.dotProduct(unit);
    m_ratio = r;
    m_startParam = s;
    m_endParam = e > s && e - s <= kTwoPi + 1e-12 ? e : s + wrap2Pi(e - s);
    if (m_endParam == m_startParam) m_endParam = m_startParam + kTwoPi;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbEllipse");
    filer->writePoint3d(10, m_center);
    filer->writePoint3d(11, AcGePoint3d::kOrigin + m_major);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis) || writesDefaults(filer)) filer->writeVector3d(210, m_normal);
    filer->writeDouble(40, m_ratio);
    filer->writeDouble(41, m_startParam);
    filer->writeDouble(42, m_endParam);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbEllipse::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDbEllipse");
    AcGePoint3d c;
    AcGeVector3d M(1, 0, 0), n = AcGeVector3d::kZAxis;
    double r = 1.0, s = 0.0, e = kTwoPi;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        switch (rb.restype) {
        case 10: c = cadhost::ent::groupPoint(rb); break;
        case 11: M = cadhost::ent::groupVector(rb); break;
        case 210: n = cadhost::ent::groupVector(rb); break;
        case 40: r = cadhost::ent::groupReal(rb); break;
        case 41: s = cadhost::ent::groupReal(rb); break;
        case 42: e = cadhost::ent::groupReal(rb); break;
        default: break;
        }
    }
    if (es != Acad::eOk) return es;
    if (!std::isfinite(r) || r <= 0 || !std::isfinite(s) || !std::isfinite(e))
        return filer->setError(Acad::eInvalidDxfCode, "ellipse ratio %g, parameters %g %g", r, s, e);
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    M -= m_normal * M.dotProduct(m_normal);
    if (M.isZeroLength()) return filer->setError(Acad::eInvalidDxfCode, "ellipse without a major axis");
    m_center = c;
    m_major = M;
    m_ratio = 1.0;
    setParams(s, e);
    if (r <= 1.0) m_ratio = r;
    else setAxes(M, M.length() * r);  // a ratio above 1 names the longer axis minor: swap
    return filer->filerStatus();
}
