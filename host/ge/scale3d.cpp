#include "ge/scale3d.h"
#include <algorithm>
#include <cmath>

const AcGeScale3d AcGeScale3d::kIdentity;

AcGeMatrix3d& AcGeScale3d::getMatrix(AcGeMatrix3d& m) const {
    m.setToIdentity();
    m.entry[0][0] = sx;
    m.entry[1][1] = sy;
    m.entry[2][2] = sz;
    return m;
}

AcGeScale3d& AcGeScale3d::extractScale(const AcGeMatrix3d& m) {
    for (int j = 0; j < 3; ++j) (*this)[j] = AcGeVector3d(m.entry[0][j], m.entry[1][j], m.entry[2][j]).length();
    return *this;
}

bool AcGeScale3d::isProportional(const AcGeTol& tol) const {
    double big = std::max({std::fabs(sx), std::fabs(sy), std::fabs(sz), 1.0});
    double lim = tol.equalVector() * big;
    return std::fabs(sx - sy) <= lim && std::fabs(sx - sz) <= lim;
}

bool AcGeScale3d::isEqualTo(const AcGeScale3d& o, const AcGeTol& tol) const {
    return std::fabs(sx - o.sx) <= tol.equalVector() && std::fabs(sy - o.sy) <= tol.equalVector() &&
           std::fabs(sz - o.sz) <= tol.equalVector();
}
