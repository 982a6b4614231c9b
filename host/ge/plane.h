#pragma once
#include "ge/matrix.h"

class CADHOST_API AcGePlane {
public:
    AcGePlane();  // the XY plane
    AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& normal);
    AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& uAxis, const AcGeVector3d& vAxis);
    static const AcGePlane kXYPlane, kYZPlane, kZXPlane;

    void set(const AcGePoint3d& origin, const AcGeVector3d& normal);
    AcGePoint3d pointOnPlane() const { return m_origin; }
    AcGeVector3d normal() const { return m_normal; }
    void getCoordSystem(AcGePoint3d& origin, AcGeVector3d& uAxis, AcGeVector3d& vAxis) const;
    double signedDistanceTo(const AcGePoint3d& p) const;
    double distanceTo(const AcGePoint3d& p) const;
    bool isOn(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const;
    AcGePoint3d closestPointTo(const AcGePoint3d& p) const;
    bool intersectWith(const AcGePoint3d& linePoint, const AcGeVector3d& lineDirection,
                       AcGePoint3d& result, const AcGeTol& tol = AcGeContext::gTol) const;
    AcGePlane& transformBy(const AcGeMatrix3d& m);
    bool isCoplanarTo(const AcGePlane& other, const AcGeTol& tol = AcGeContext::gTol) const;

private:
    AcGePoint3d m_origin;
    AcGeVector3d m_normal{0, 0, 1};
    AcGeVector3d m_u{1, 0, 0}, m_v{0, 1, 0};
};
