#include "ge/matrix.h"
#include "ge/plane.h"
#include <algorithm>
#include <cstring>

const AcGeMatrix3d AcGeMatrix3d::kIdentity;

AcGeMatrix3d::AcGeMatrix3d() { setToIdentity(); }

AcGeMatrix3d& AcGeMatrix3d::setToIdentity() {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) entry[i][j] = i == j ? 1.0 : 0.0;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setToTranslation(const AcGeVector3d& v) {
    setToIdentity();
    return setTranslation(v);
}

AcGeMatrix3d& AcGeMatrix3d::setTranslation(const AcGeVector3d& v) {
    entry[0][3] = v.x;
    entry[1][3] = v.y;
    entry[2][3] = v.z;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setToRotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
    AcGeVector3d a = axis.normal();
    double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    setToIdentity();
    entry[0][0] = t * a.x * a.x + c;
    entry[0][1] = t * a.x * a.y - s * a.z;
    entry[0][2] = t * a.x * a.z + s * a.y;
    entry[1][0] = t * a.x * a.y + s * a.z;
    entry[1][1] = t * a.y * a.y + c;
    entry[1][2] = t * a.y * a.z - s * a.x;
    entry[2][0] = t * a.x * a.z - s * a.y;
    entry[2][1] = t * a.y * a.z + s * a.x;
    entry[2][2] = t * a.z * a.z + c;
    // p' = R (p - c) + c
    AcGeVector3d cv = center.asVector();
    AcGeVector3d rc = *this * cv;
    return setTranslation(cv - rc);
}

AcGeMatrix3d& AcGeMatrix3d::setToScaling(double scale, const AcGePoint3d& center) {
    setToIdentity();
    for (int i = 0; i < 3; ++i) entry[i][i] = scale;
    return setTranslation(center.asVector() * (1.0 - scale));
}

AcGeMatrix3d& AcGeMatrix3d::setToMirroring(const AcGePlane& plane) {
    AcGeVector3d n = plane.normal().normal();
    setToIdentity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) entry[i][j] -= 2.0 * n[i] * n[j];
    AcGeVector3d o = plane.pointOnPlane().asVector();
    return setTranslation(n * (2.0 * o.dotProduct(n)));
}

AcGeMatrix3d& AcGeMatrix3d::setToMirroring(const AcGePoint3d& point) {
    setToIdentity();
    for (int i = 0; i < 3; ++i) entry[i][i] = -1.0;
    return setTranslation(point.asVector() * 2.0);
}

AcGeMatrix3d& AcGeMatrix3d::setToMirroring(const AcGePoint3d& linePoint, const AcGeVector3d& dir) {
    // Half turn about the line.
    return setToRotation(3.14159265358979323846, dir, linePoint);
}

AcGeMatrix3d& AcGeMatrix3d::setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& x,
                                           const AcGeVector3d& y, const AcGeVector3d& z) {
    setToIdentity();
    for (int i = 0; i < 3; ++i) {
        entry[i][0] = x[i];
        entry[i][1] = y[i];
        entry[i][2] = z[i];
        entry[i][3] = origin[i];
    }
    return *this;
}

void AcGeMatrix3d::getCoordSystem(AcGePoint3d& origin, AcGeVector3d& x, AcGeVector3d& y, AcGeVector3d& z) const {
    for (int i = 0; i < 3; ++i) {
        x[i] = entry[i][0];
        y[i] = entry[i][1];
        z[i] = entry[i][2];
        origin[i] = entry[i][3];
    }
}

AcGeMatrix3d& AcGeMatrix3d::setToAlignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromX,
                                               const AcGeVector3d& fromY, const AcGeVector3d& fromZ,
                                               const AcGePoint3d& toOrigin, const AcGeVector3d& toX,
                                               const AcGeVector3d& toY, const AcGeVector3d& toZ) {
    AcGeMatrix3d from, to;
    from.setCoordSystem(fromOrigin, fromX, fromY, fromZ);
    to.setCoordSystem(toOrigin, toX, toY, toZ);
    return *this = to * from.inverse();
}

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& v) { return AcGeMatrix3d().setToTranslation(v); }
AcGeMatrix3d AcGeMatrix3d::rotation(double a, const AcGeVector3d& axis, const AcGePoint3d& c) {
    return AcGeMatrix3d().setToRotation(a, axis, c);
}
AcGeMatrix3d AcGeMatrix3d::scaling(double s, const AcGePoint3d& c) { return AcGeMatrix3d().setToScaling(s, c); }
AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePlane& p) { return AcGeMatrix3d().setToMirroring(p); }
AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePoint3d& p) { return AcGeMatrix3d().setToMirroring(p); }
AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePoint3d& p, const AcGeVector3d& d) {
    return AcGeMatrix3d().setToMirroring(p, d);
}
AcGeMatrix3d AcGeMatrix3d::alignCoordSys(const AcGePoint3d& fo, const AcGeVector3d& fx, const AcGeVector3d& fy,
                                         const AcGeVector3d& fz, const AcGePoint3d& to, const AcGeVector3d& tx,
                                         const AcGeVector3d& ty, const AcGeVector3d& tz) {
    return AcGeMatrix3d().setToAlignCoordSys(fo, fx, fy, fz, to, tx, ty, tz);
}

AcGeMatrix3d AcGeMatrix3d::planeToWorld(const AcGeVector3d& normal) {
    // DXF arbitrary axis algorithm.
    AcGeVector3d n = normal.normal();
    constexpr double limit = 1.0 / 64.0;
    AcGeVector3d ax = (std::fabs(n.x) < limit && std::fabs(n.y) < limit)
                          ? AcGeVector3d::kYAxis.crossProduct(n)
                          : AcGeVector3d::kZAxis.crossProduct(n);
    ax.normalize();
    AcGeVector3d ay = n.crossProduct(ax).normal();
    return AcGeMatrix3d().setCoordSystem(AcGePoint3d::kOrigin, ax, ay, n);
}

AcGeMatrix3d AcGeMatrix3d::worldToPlane(const AcGeVector3d& normal) { return planeToWorld(normal).inverse(); }

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& m) const {
    AcGeMatrix3d r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += entry[i][k] * m.entry[k][j];
            r.entry[i][j] = s;
        }
    return r;
}

AcGeMatrix3d AcGeMatrix3d::inverse() const {
    // Gauss-Jordan with partial pivoting; a singular matrix answers itself unchanged.
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            a[i][j] = entry[i][j];
            a[i][j + 4] = i == j ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-300) return *this;
        if (pivot != col)
            for (int j = 0; j < 8; ++j) std::swap(a[pivot][j], a[col][j]);
        double p = a[col][col];
        for (int j = 0; j < 8; ++j) a[col][j] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            double f = a[r][col];
            for (int j = 0; j < 8; ++j) a[r][j] -= f * a[col][j];
        }
    }
    AcGeMatrix3d r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.entry[i][j] = a[i][j + 4];
    return r;
}

double AcGeMatrix3d::det() const {
    const auto& e = entry;
    // Affine matrices are common: expand fully anyway for correctness.
    double d = 0;
    for (int c = 0; c < 4; ++c) {
        double m[3][3];
        for (int i = 1; i < 4; ++i) {
            int k = 0;
            for (int j = 0; j < 4; ++j)
                if (j != c) m[i - 1][k++] = e[i][j];
        }
        double minor = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        d += (c % 2 ? -1.0 : 1.0) * e[0][c] * minor;
    }
    return d;
}

bool AcGeMatrix3d::isSingular(const AcGeTol& tol) const { return std::fabs(det()) <= tol.equalPoint(); }

bool AcGeMatrix3d::isUniScaledOrtho(const AcGeTol& tol) const {
    AcGeVector3d c[3];
    for (int j = 0; j < 3; ++j) c[j] = AcGeVector3d(entry[0][j], entry[1][j], entry[2][j]);
    double l0 = c[0].length(), l1 = c[1].length(), l2 = c[2].length();
    if (l0 <= tol.equalVector()) return false;
    double rel = tol.equalVector() * std::max(1.0, l0);
    if (std::fabs(l0 - l1) > rel || std::fabs(l0 - l2) > rel) return false;
    double lim = tol.equalVector() * l0 * l0 * 10;
    if (std::fabs(c[0].dotProduct(c[1])) > lim || std::fabs(c[0].dotProduct(c[2])) > lim ||
        std::fabs(c[1].dotProduct(c[2])) > lim)
        return false;
    return entry[3][0] == 0 && entry[3][1] == 0 && entry[3][2] == 0;
}

double AcGeMatrix3d::scale() const {
    double s = 0;
    for (int j = 0; j < 3; ++j)
        s = std::max(s, AcGeVector3d(entry[0][j], entry[1][j], entry[2][j]).length());
    return s;
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (std::fabs(entry[i][j] - m.entry[i][j]) > tol.equalVector()) return false;
    return true;
}

AcGeMatrix2d::AcGeMatrix2d() {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) entry[i][j] = i == j ? 1.0 : 0.0;
}

AcGeMatrix2d AcGeMatrix2d::rotation(double angle, const AcGePoint2d& c) {
    AcGeMatrix2d m;
    double co = std::cos(angle), si = std::sin(angle);
    m.entry[0][0] = co;
    m.entry[0][1] = -si;
    m.entry[1][0] = si;
    m.entry[1][1] = co;
    m.entry[0][2] = c.x - (co * c.x - si * c.y);
    m.entry[1][2] = c.y - (si * c.x + co * c.y);
    return m;
}

AcGeMatrix2d AcGeMatrix2d::operator*(const AcGeMatrix2d& m) const {
    AcGeMatrix2d r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double s = 0;
            for (int k = 0; k < 3; ++k) s += entry[i][k] * m.entry[k][j];
            r.entry[i][j] = s;
        }
    return r;
}

AcGePoint2d AcGeMatrix2d::apply(const AcGePoint2d& p) const {
    return {entry[0][0] * p.x + entry[0][1] * p.y + entry[0][2], entry[1][0] * p.x + entry[1][1] * p.y + entry[1][2]};
}
