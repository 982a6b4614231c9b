#include "ge/plane.h"

// Built from literals: constants of other translation units may not be initialised yet.
const AcGePlane AcGePlane::kXYPlane(AcGePoint3d(0, 0, 0), AcGeVector3d(1, 0, 0), AcGeVector3d(0, 1, 0));
const AcGePlane AcGePlane::kYZPlane(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
const AcGePlane AcGePlane::kZXPlane(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), AcGeVector3d(1, 0, 0));

AcGePlane::AcGePlane() = default;

AcGePlane::AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& normal) { set(origin, normal); }

AcGePlane::AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& u, const AcGeVector3d& v)
    : m_origin(origin), m_normal(u.crossProduct(v).normal()), m_u(u), m_v(v) {}

void AcGePlane::set(const AcGePoint3d& origin, const AcGeVector3d& normal) {
    m_origin = origin;
    m_normal = normal.normal();
    AcGeMatrix3d ocs = AcGeMatrix3d::planeToWorld(m_normal);
    m_u = AcGeVector3d(ocs.entry[0][0], ocs.entry[1][0], ocs.entry[2][0]);
    m_v = AcGeVector3d(ocs.entry[0][1], ocs.entry[1][1], ocs.entry[2][1]);
}

void AcGePlane::getCoordSystem(AcGePoint3d& origin, AcGeVector3d& u, AcGeVector3d& v) const {
    origin = m_origin;
    u = m_u;
    v = m_v;
}

double AcGePlane::signedDistanceTo(const AcGePoint3d& p) const { return (p - m_origin).dotProduct(m_normal); }
double AcGePlane::distanceTo(const AcGePoint3d& p) const { return std::fabs(signedDistanceTo(p)); }
bool AcGePlane::isOn(const AcGePoint3d& p, const AcGeTol& tol) const { return distanceTo(p) <= tol.equalPoint(); }
AcGePoint3d AcGePlane::closestPointTo(const AcGePoint3d& p) const { return p - m_normal * signedDistanceTo(p); }

bool AcGePlane::intersectWith(const AcGePoint3d& lp, const AcGeVector3d& dir, AcGePoint3d& result,
                              const AcGeTol& tol) const {
    double den = dir.dotProduct(m_normal);
    if (std::fabs(den) <= tol.equalVector()) return false;
    double t = (m_origin - lp).dotProduct(m_normal) / den;
    result = lp + dir * t;
    return true;
}

AcGePlane& AcGePlane::transformBy(const AcGeMatrix3d& m) {
    AcGePoint3d o = m * m_origin;
    AcGeVector3d u = m * m_u, v = m * m_v;
    *this = AcGePlane(o, u, v);
    return *this;
}

bool AcGePlane::isCoplanarTo(const AcGePlane& other, const AcGeTol& tol) const {
    return m_normal.isParallelTo(other.m_normal, tol) && isOn(other.m_origin, tol);
}
