// Numeric defaults of the curve protocol, built on getPointAtParam and the parameter range.
#include <algorithm>
#include <cmath>
#include "rx/rxclass.h"
#include "db/entity.h"
#include "db/curvesupport.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbCurve, AcDbEntity, "", ACRX_NO_CONS)

namespace {
constexpr int kSamples = 64;

bool range(const AcDbCurve* c, double& a, double& b) {
    return c->getStartParam(a) == Acad::eOk && c->getEndParam(b) == Acad::eOk && std::isfinite(a) &&
           std::isfinite(b) && b >= a;
}

// Points at evenly spaced parameters, both ends included.
bool sample(const AcDbCurve* c, int n, AcGePoint3dArray& pts, AcGeDoubleArray* params = nullptr) {
    double a, b;
    if (!range(c, a, b)) return false;
    for (int i = 0; i <= n; ++i) {
        double t = i == n ? b : a + (b - a) * i / n;
        AcGePoint3d p;
        if (c->getPointAtParam(t, p) != Acad::eOk) return false;
        pts.append(p);
        if (params) params->append(t);
    }
    return true;
}

double step(double a, double b) { return std::max((b - a) * 1e-5, 1e-9); }
}  // namespace

AcDbCurve::AcDbCurve() = default;
AcDbCurve::~AcDbCurve() = default;

Acad::ErrorStatus AcDbCurve::getStartParam(double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getEndParam(double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getPointAtParam(double, AcGePoint3d&) const { return Acad::eNotImplementedYet; }

Acad::ErrorStatus AcDbCurve::getStartPoint(AcGePoint3d& point) const {
    double t;
    Acad::ErrorStatus es = getStartParam(t);
    return es == Acad::eOk ? getPointAtParam(t, point) : es;
}

Acad::ErrorStatus AcDbCurve::getEndPoint(AcGePoint3d& point) const {
    double t;
    Acad::ErrorStatus es = getEndParam(t);
    return es == Acad::eOk ? getPointAtParam(t, point) : es;
}

// Central differences inside the range, one-sided at its ends.
Acad::ErrorStatus AcDbCurve::getFirstDeriv(double param, AcGeVector3d& deriv) const {
    double a, b;
    if (!range(this, a, b)) return Acad::eNotImplementedYet;
    if (param < a - 1e-9 * (1 + std::fabs(a)) || param > b + 1e-9 * (1 + std::fabs(b))) return Acad::eInvalidInput;
    double h = step(a, b);
    double lo = std::max(a, param - h), hi = std::min(b, param + h);
    if (hi <= lo) return Acad::eNotApplicable;
    AcGePoint3d p0, p1;
    if (getPointAtParam(lo, p0) != Acad::eOk || getPointAtParam(hi, p1) != Acad::eOk) return Acad::eNotApplicable;
    deriv = (p1 - p0) / (hi - lo);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getSecondDeriv(double param, AcGeVector3d& deriv) const {
    double a, b;
    if (!range(this, a, b)) return Acad::eNotImplementedYet;
    double h = std::max((b - a) * 1e-4, 1e-6);
    double mid = std::clamp(param, a + h, b - h);
    if (b - a < 2 * h) mid = (a + b) / 2;
    AcGePoint3d p0, p1, p2;
    if (getPointAtParam(mid - h, p0) != Acad::eOk || getPointAtParam(mid, p1) != Acad::eOk ||
        getPointAtParam(mid + h, p2) != Acad::eOk)
        return Acad::eNotApplicable;
    deriv = (p2.asVector() - p1.asVector() * 2.0 + p0.asVector()) / (h * h);
    return Acad::eOk;
}

// Arc length of 512 chords between the start and the parameter.
Acad::ErrorStatus AcDbCurve::getDistAtParam(double param, double& dist) const {
    double a, b;
    if (!range(this, a, b)) return Acad::eNotImplementedYet;
    if (param < a - 1e-9 * (1 + std::fabs(a)) || param > b + 1e-9 * (1 + std::fabs(b))) return Acad::eInvalidInput;
    param = std::clamp(param, a, b);
    dist = 0.0;
    if (param == a) return Acad::eOk;
    const int n = 512;
    AcGePoint3d prev;
    if (getPointAtParam(a, prev) != Acad::eOk) return Acad::eNotApplicable;
    for (int i = 1; i <= n; ++i) {
        AcGePoint3d p;
        if (getPointAtParam(a + (param - a) * i / n, p) != Acad::eOk) return Acad::eNotApplicable;
        dist += prev.distanceTo(p);
        prev = p;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getParamAtDist(double dist, double& param) const {
    double a, b, total;
    if (!range(this, a, b)) return Acad::eNotImplementedYet;
    if (Acad::ErrorStatus es = getDistAtParam(b, total); es != Acad::eOk) return es;
    if (dist < -1e-9 || dist > total + 1e-9 * (1 + total)) return Acad::eInvalidInput;
    double lo = a, hi = b;
    for (int i = 0; i < 60 && hi - lo > 1e-12 * (1 + std::fabs(hi)); ++i) {
        double mid = (lo + hi) / 2, d;
        if (getDistAtParam(mid, d) != Acad::eOk) return Acad::eNotApplicable;
        (d < dist ? lo : hi) = mid;
    }
    param = (lo + hi) / 2;
    return Acad::eOk;
}

// Closest sample, then golden-section refinement between its neighbours.
Acad::ErrorStatus AcDbCurve::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool) const {
    AcGePoint3dArray pts;
    AcGeDoubleArray params;
    if (!sample(this, 256, pts, &params)) return Acad::eNotImplementedYet;
    int best = 0;
    for (int i = 1; i < pts.length(); ++i)
        if (pts[i].distanceTo(given) < pts[best].distanceTo(given)) best = i;
    double lo = params[std::max(best - 1, 0)], hi = params[std::min(best + 1, params.length() - 1)];
    auto dist = [&](double t) {
        AcGePoint3d p;
        return getPointAtParam(t, p) == Acad::eOk ? p.distanceTo(given) : 1e300;
    };
    const double g = (std::sqrt(5.0) - 1) / 2;
    double x1 = hi - g * (hi - lo), x2 = lo + g * (hi - lo);
    double f1 = dist(x1), f2 = dist(x2);
    for (int i = 0; i < 100 && hi - lo > 1e-14 * (1 + std::fabs(hi)); ++i) {
        if (f1 < f2) {
            hi = x2, x2 = x1, f2 = f1;
            x1 = hi - g * (hi - lo), f1 = dist(x1);
        } else {
            lo = x1, x1 = x2, f1 = f2;
            x2 = lo + g * (hi - lo), f2 = dist(x2);
        }
    }
    AcGePoint3d p;
    if (getPointAtParam((lo + hi) / 2, p) != Acad::eOk) return Acad::eNotApplicable;
    closest = p.distanceTo(given) <= pts[best].distanceTo(given) ? p : pts[best];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getParamAtPoint(const AcGePoint3d& point, double& param) const {
    AcGePoint3d closest;
    if (Acad::ErrorStatus es = getClosestPointTo(point, closest); es != Acad::eOk) return es;
    AcGePoint3dArray pts;
    AcGeDoubleArray params;
    if (!sample(this, 256, pts, &params)) return Acad::eNotImplementedYet;
    double a = params.first(), b = params.last();
    double size = 0.0;
    for (int i = 1; i < pts.length(); ++i) size = std::max(size, pts[0].distanceTo(pts[i]));
    if (closest.distanceTo(point) > 1e-6 * std::max(size, 1.0)) return Acad::eInvalidInput;
    int best = 0;
    for (int i = 1; i < pts.length(); ++i)
        if (pts[i].distanceTo(point) < pts[best].distanceTo(point)) best = i;
    double lo = params[std::max(best - 1, 0)], hi = params[std::min(best + 1, params.length() - 1)];
    for (int i = 0; i < 100; ++i) {
        double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
        AcGePoint3d p1, p2;
        if (getPointAtParam(m1, p1) != Acad::eOk || getPointAtParam(m2, p2) != Acad::eOk) break;
        if (p1.distanceTo(point) < p2.distanceTo(point)) hi = m2;
        else lo = m1;
    }
    param = std::clamp((lo + hi) / 2, a, b);
    return Acad::eOk;
}

// Area enclosed by the sampled path, closed by its chord.
Acad::ErrorStatus AcDbCurve::getArea(double& area) const {
    AcGePoint3dArray pts;
    if (!sample(this, 1024, pts)) return Acad::eNotImplementedYet;
    AcGeVector3d sum;
    for (int i = 0; i < pts.length(); ++i) {
        const AcGePoint3d& p = pts[i];
        const AcGePoint3d& q = pts[(i + 1) % pts.length()];
        sum += p.asVector().crossProduct(q.asVector());
    }
    area = sum.length() / 2;
    return Acad::eOk;
}

// Three points of the curve far apart span its plane; all samples must lie in it.
Acad::ErrorStatus AcDbCurve::getPlane(AcGePlane& plane, AcDb::Planarity& type) const {
    AcGePoint3dArray pts;
    if (!sample(this, kSamples, pts)) return Acad::eNotImplementedYet;
    const AcGePoint3d& p0 = pts[0];
    int i1 = 0;
    for (int i = 1; i < pts.length(); ++i)
        if (pts[i].distanceTo(p0) > pts[i1].distanceTo(p0)) i1 = i;
    double size = pts[i1].distanceTo(p0);
    if (size <= 1e-12) {
        type = AcDb::kLinear;
        plane = AcGePlane(p0, AcGeVector3d::kZAxis);
        return Acad::eOk;
    }
    AcGeVector3d axis = (pts[i1] - p0) / size;
    int i2 = -1;
    double far = 0.0;
    for (int i = 0; i < pts.length(); ++i) {
        AcGeVector3d v = pts[i] - p0;
        double d = (v - axis * v.dotProduct(axis)).length();
        if (d > far) far = d, i2 = i;
    }
    double tol = 1e-9 * std::max(size, 1.0);
    if (i2 < 0 || far <= tol) {
        type = AcDb::kLinear;
        plane = AcGePlane(p0, axis.perpVector().normal());
        return Acad::eOk;
    }
    AcGeVector3d normal = axis.crossProduct(pts[i2] - p0).normal();
    plane = AcGePlane(p0, normal);
    for (const AcGePoint3d& p : pts)
        if (std::fabs((p - p0).dotProduct(normal)) > tol) {
            type = AcDb::kNonPlanar;
            return Acad::eNotApplicable;
        }
    type = AcDb::kPlanar;
    return Acad::eOk;
}

// Flattened path: chords are split until they stay within the deviation of the curve.
void AcDbCurve::getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const {
    AcGePoint3dArray pts;
    AcGeDoubleArray params;
    if (!sample(this, 16, pts, &params)) return;
    double size = 0.0;
    for (int i = 1; i < pts.length(); ++i) size = std::max(size, pts[0].distanceTo(pts[i]));
    double dev = deviation > 0.0 ? deviation : std::max(size, 1.0) * 1e-3;
    AcGePoint3dArray path;
    path.append(pts[0]);
    auto refine = [&](auto&& self, double t0, const AcGePoint3d& a, double t1, const AcGePoint3d& b, int depth) -> void {
        double tm = (t0 + t1) / 2;
        AcGePoint3d m;
        if (getPointAtParam(tm, m) != Acad::eOk) {
            path.append(b);
            return;
        }
        AcGePoint3d chordMid = a + (b - a) * 0.5;
        if (depth < 10 && m.distanceTo(chordMid) > dev) {
            self(self, t0, a, tm, m, depth + 1);
            self(self, tm, m, t1, b, depth + 1);
        } else {
            path.append(b);
        }
    };
    for (int i = 1; i < pts.length(); ++i) refine(refine, params[i - 1], pts[i - 1], params[i], pts[i], 0);
    paths.append(path);
}

Acad::ErrorStatus AcDbCurve::intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                           int thisGsMarker, int otherGsMarker) const {
    assertReadEnabled();
    return cadhost::curve::intersectCurves(this, other, type, points, thisGsMarker, otherGsMarker);
}

Acad::ErrorStatus AcDbCurve::intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& plane,
                                           AcGePoint3dArray& points, int thisGsMarker, int otherGsMarker) const {
    assertReadEnabled();
    return cadhost::curve::intersectCurvesProjected(this, other, type, plane, points, thisGsMarker, otherGsMarker);
}
