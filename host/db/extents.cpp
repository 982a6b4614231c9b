#include "db/extents.h"

AcDbExtents::AcDbExtents() : m_min(1e20, 1e20, 1e20), m_max(-1e20, -1e20, -1e20) {}

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& min, const AcGePoint3d& max) {
    if (min.x > max.x || min.y > max.y || min.z > max.z) return Acad::eInvalidExtents;
    m_min = min;
    m_max = max;
    return Acad::eOk;
}

void AcDbExtents::addPoint(const AcGePoint3d& p) {
    if (isEmpty()) {
        m_min = m_max = p;
        return;
    }
    for (int i = 0; i < 3; ++i) {
        if (p[i] < m_min[i]) m_min[i] = p[i];
        if (p[i] > m_max[i]) m_max[i] = p[i];
    }
}

void AcDbExtents::addExt(const AcDbExtents& other) {
    if (other.isEmpty()) return;
    addPoint(other.m_min);
    addPoint(other.m_max);
}

void AcDbExtents::transformBy(const AcGeMatrix3d& m) {
    if (isEmpty()) return;
    AcGePoint3d lo = m_min, hi = m_max;
    *this = AcDbExtents();
    for (int i = 0; i < 8; ++i) {
        AcGePoint3d corner(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
        addPoint(m * corner);
    }
}
