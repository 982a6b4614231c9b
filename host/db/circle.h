#pragma once
#include "db/entity.h"

class AcGiGeometry;

// Full circle in the plane of its normal. The parameter is the angle from the X axis of
// the object coordinate system (AcGeMatrix3d::planeToWorld of the normal), 0 to 2 pi.
class CADHOST_API AcDbCircle : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbCircle);
    AcDbCircle();
    AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius);
    ~AcDbCircle() override;

    AcGePoint3d center() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    double radius() const;
    Acad::ErrorStatus setRadius(double radius);  // > 0
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    double circumference() const;
    Acad::ErrorStatus setCircumference(double circumference);
    double diameter() const;
    Acad::ErrorStatus setDiameter(double diameter);

    // Curve.
    bool isClosed() const override { return true; }
    bool isPeriodic() const override { return true; }
    Acad::ErrorStatus getPlane(AcGePlane& plane, AcDb::Planarity& type) const override;
    Acad::ErrorStatus getStartParam(double& param) const override;
    Acad::ErrorStatus getEndParam(double& param) const override;
    Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const override;
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;  // any angle
    Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;  // [0, 2 pi)
    Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
    Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const override;
    Acad::ErrorStatus getSecondDeriv(double param, AcGeVector3d& deriv) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                        bool extend = false) const override;
    Acad::ErrorStatus getArea(double& area) const override;
    void getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const override;

    // Entity.
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    void list() const override;
    // Grips: centre, then the quadrants at 0, 90, 180 and 270 degrees. The centre moves the
    // circle; a quadrant sets the radius to its new distance from the centre (in the plane).
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    // Stretch points are the grip points and move the same way.
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    // eCannotScaleNonUniformly unless the transformation keeps circles circles.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    // Under a non-uniform transformation the copy is an AcDbEllipse.
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;  // eNotApplicable
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

    // DXF: subclass AcDbCircle, 39 thickness, 10 centre (object coordinates), 40 radius, 210 normal.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    CADHOST_COPIES_DATA(AcDbCircle)
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    void draw(AcGiGeometry& geometry) const;
    AcGePoint3d m_center;
    double m_radius = 0.0;
    AcGeVector3d m_normal{0, 0, 1};
    double m_thickness = 0.0;
};
