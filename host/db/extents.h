#pragma once
#include "ge/matrix.h"
#include "rx/errorstatus.h"

// Axis-aligned box; an empty one has min above max.
class CADHOST_API AcDbExtents {
public:
    AcDbExtents();
    AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max) : m_min(min), m_max(max) {}
    const AcGePoint3d& minPoint() const { return m_min; }
    const AcGePoint3d& maxPoint() const { return m_max; }
    Acad::ErrorStatus set(const AcGePoint3d& min, const AcGePoint3d& max);
    void addPoint(const AcGePoint3d& p);
    void addExt(const AcDbExtents& other);
    bool isEmpty() const { return m_min.x > m_max.x; }
    void transformBy(const AcGeMatrix3d& m);  // box of the transformed corners

private:
    AcGePoint3d m_min, m_max;
};
