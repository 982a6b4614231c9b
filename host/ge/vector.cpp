#include "ge/vector.h"
#include "ge/matrix.h"
#include "ge/plane.h"

AcGeTol AcGeContext::gTol;

const AcGeVector2d AcGeVector2d::kIdentity{0, 0};
const AcGeVector2d AcGeVector2d::kXAxis{1, 0};
const AcGeVector2d AcGeVector2d::kYAxis{0, 1};
const AcGePoint2d AcGePoint2d::kOrigin{0, 0};
const AcGeVector3d AcGeVector3d::kIdentity{0, 0, 0};
const AcGeVector3d AcGeVector3d::kXAxis{1, 0, 0};
const AcGeVector3d AcGeVector3d::kYAxis{0, 1, 0};
const AcGeVector3d AcGeVector3d::kZAxis{0, 0, 1};
const AcGePoint3d AcGePoint3d::kOrigin{0, 0, 0};

namespace {
constexpr double kTwoPi = 6.283185307179586476925286766559;
double wrapAngle(double a) {
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    if (a >= kTwoPi) a -= kTwoPi;
    return a;
}
}  // namespace

double AcGeVector2d::angle() const { return wrapAngle(std::atan2(y, x)); }

AcGeVector2d AcGeVector2d::normal(const AcGeTol& tol) const {
    double len = length();
    if (len <= tol.equalVector()) return *this;
    return {x / len, y / len};
}

AcGeVector3d AcGeVector3d::normal(const AcGeTol& tol) const {
    double len = length();
    if (len <= tol.equalVector()) return *this;
    return *this / len;
}

AcGeVector3d& AcGeVector3d::normalize(const AcGeTol& tol) { return *this = normal(tol); }

AcGeVector3d AcGeVector3d::perpVector() const {
    // Cross with the axis least aligned with this vector.
    double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    AcGeVector3d axis = (ax <= ay && ax <= az) ? kXAxis : (ay <= az ? kYAxis : kZAxis);
    return crossProduct(axis).normal();
}

double AcGeVector3d::angleTo(const AcGeVector3d& v) const {
    double c = crossProduct(v).length();
    double d = dotProduct(v);
    return std::atan2(c, d);
}

double AcGeVector3d::angleTo(const AcGeVector3d& v, const AcGeVector3d& reference) const {
    double a = angleTo(v);
    if (crossProduct(v).dotProduct(reference) < 0) a = kTwoPi - a;
    return a >= kTwoPi ? 0.0 : a;
}

AcGeVector3d& AcGeVector3d::rotateBy(double angle, const AcGeVector3d& axis) {
    return transformBy(AcGeMatrix3d::rotation(angle, axis));
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) { return setToProduct(m, *this); }

AcGeVector3d& AcGeVector3d::setToProduct(const AcGeMatrix3d& m, const AcGeVector3d& v) {
    AcGeVector3d r;
    for (int i = 0; i < 3; ++i)
        r[i] = m.entry[i][0] * v.x + m.entry[i][1] * v.y + m.entry[i][2] * v.z;
    return *this = r;
}

AcGeVector3d AcGeVector3d::orthoProject(const AcGeVector3d& planeNormal) const {
    AcGeVector3d n = planeNormal.normal();
    return *this - n * dotProduct(n);
}

bool AcGeVector3d::isParallelTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    double la = length(), lb = v.length();
    if (la <= tol.equalVector() || lb <= tol.equalVector()) return false;
    return (normal().crossProduct(v.normal())).length() <= tol.equalVector();
}

bool AcGeVector3d::isCodirectionalTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    return isParallelTo(v, tol) && dotProduct(v) > 0;
}

bool AcGeVector3d::isPerpendicularTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    double la = length(), lb = v.length();
    if (la <= tol.equalVector() || lb <= tol.equalVector()) return false;
    return std::fabs(normal().dotProduct(v.normal())) <= tol.equalVector();
}

AcGeVector3d operator*(const AcGeMatrix3d& m, const AcGeVector3d& v) {
    AcGeVector3d r;
    return r.setToProduct(m, v);
}

AcGePoint3d::AcGePoint3d(const AcGePlane& plane, const AcGePoint2d& p) {
    AcGePoint3d o;
    AcGeVector3d u, v;
    plane.getCoordSystem(o, u, v);
    *this = o + u * p.x + v * p.y;
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) { return setToProduct(m, *this); }

AcGePoint3d& AcGePoint3d::setToProduct(const AcGeMatrix3d& m, const AcGePoint3d& p) {
    AcGePoint3d r;
    for (int i = 0; i < 3; ++i)
        r[i] = m.entry[i][0] * p.x + m.entry[i][1] * p.y + m.entry[i][2] * p.z + m.entry[i][3];
    double w = m.entry[3][0] * p.x + m.entry[3][1] * p.y + m.entry[3][2] * p.z + m.entry[3][3];
    if (w != 1.0 && w != 0.0) { r.x /= w; r.y /= w; r.z /= w; }
    return *this = r;
}

AcGePoint3d AcGePoint3d::orthoProject(const AcGePlane& plane) const { return plane.closestPointTo(*this); }

AcGePoint2d AcGePoint3d::convert2d(const AcGePlane& plane) const {
    AcGePoint3d o;
    AcGeVector3d u, v;
    plane.getCoordSystem(o, u, v);
    AcGeVector3d d = *this - o;
    // Solve d = a u + b v in the least-squares sense (u, v need not be orthonormal).
    double uu = u.dotProduct(u), uv = u.dotProduct(v), vv = v.dotProduct(v);
    double du = d.dotProduct(u), dv = d.dotProduct(v);
    double den = uu * vv - uv * uv;
    if (den == 0) return {0, 0};
    return {(du * vv - dv * uv) / den, (dv * uu - du * uv) / den};
}

AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p) {
    AcGePoint3d r;
    return r.setToProduct(m, p);
}
