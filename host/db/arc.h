#pragma once
#include "db/entity.h"

class AcGiGeometry;

// Circular arc, counter-clockwise about its normal from the start angle to the end angle.
// Angles are measured in the entity's plane from the X axis of its object coordinate system
// (AcGeMatrix3d::planeToWorld of the normal) and kept in [0, 2 pi); equal angles make a full
// turn. The parameter is the angle: it runs from startAngle() to startAngle() + totalAngle().
class CADHOST_API AcDbArc : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbArc);
    AcDbArc();
    AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle);
    AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
            double endAngle);
    ~AcDbArc() override;

    AcGePoint3d center() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    double radius() const;
    Acad::ErrorStatus setRadius(double radius);  // > 0
    double startAngle() const;
    Acad::ErrorStatus setStartAngle(double angle);
    double endAngle() const;
    Acad::ErrorStatus setEndAngle(double angle);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    double totalAngle() const;  // (0, 2 pi]
    double length() const;

    // Curve.
    bool isClosed() const override { return false; }
    Acad::ErrorStatus getPlane(AcGePlane& plane, AcDb::Planarity& type) const override;
    Acad::ErrorStatus getStartParam(double& param) const override;
    Acad::ErrorStatus getEndParam(double& param) const override;
    Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const override;
    // Angles outside the parameter range are taken a whole turn on when that brings them in.
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
    Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
    Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
    Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const override;
    Acad::ErrorStatus getSecondDeriv(double param, AcGeVector3d& deriv) const override;
    // With extend, the closest point of the full circle.
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                        bool extend = false) const override;
    // Area between the arc and its chord.
    Acad::ErrorStatus getArea(double& area) const override;
    void getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const override;

    // Entity.
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    void list() const override;
    // Grips: start, end, midpoint, centre. The centre moves the arc; any other grip reshapes
    // it through the (moved) start, mid and end points, the normal kept.
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    // Stretch points: start, end, centre. Stretching one end keeps the other end and the
    // midpoint; both ends or the centre move the whole arc.
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    // eCannotScaleNonUniformly unless the transformation keeps circles circles. Reflections
    // keep the transformed normal and swap the ends.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    // Under a non-uniform transformation the copy is an elliptical arc (AcDbEllipse).
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;  // eNotApplicable
    // Exact: the ends and the extreme points of the circle that lie in the sweep.
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    // kExtendThis makes this arc its full circle.

    // DXF: subclass AcDbCircle (39, 10 centre in object coordinates, 40, 210), then subclass
    // AcDbArc (50 start, 51 end angle, degrees).
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    CADHOST_COPIES_DATA(AcDbArc)
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    double sweep() const;
    void draw(AcGiGeometry& geometry) const;
    // Reshapes through three points (projected into the plane); false when they are collinear.
    bool setThrough(const AcGePoint3d& start, const AcGePoint3d& mid, const AcGePoint3d& end);
    AcGePoint3d m_center;
    double m_radius = 0.0;
    double m_start = 0.0, m_end = 0.0;
    AcGeVector3d m_normal{0, 0, 1};
    double m_thickness = 0.0;
};
