#pragma once
#include "db/entity.h"

class AcGiGeometry;

// Half-infinite line from a base point along a unit direction. The parameter is the
// distance from the base point, 0 to infinity: there is no end parameter or end point
// (eNotApplicable), and the extents are the base point alone.
class CADHOST_API AcDbRay : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbRay);
    AcDbRay();
    ~AcDbRay() override;

    AcGePoint3d basePoint() const;
    Acad::ErrorStatus setBasePoint(const AcGePoint3d& point);
    AcGeVector3d unitDir() const;
    Acad::ErrorStatus setUnitDir(const AcGeVector3d& direction);  // normalised; eInvalidInput for zero
    // The point a unit along the ray; setting it turns the ray towards it.
    AcGePoint3d secondPoint() const;
    Acad::ErrorStatus setSecondPoint(const AcGePoint3d& point);

    // Curve.
    bool isClosed() const override { return false; }
    Acad::ErrorStatus getPlane(AcGePlane& plane, AcDb::Planarity& type) const override;  // kLinear
    Acad::ErrorStatus getStartParam(double& param) const override;
    Acad::ErrorStatus getEndParam(double& param) const override;  // eNotApplicable
    Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const override;  // eNotApplicable
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
    Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
    Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
    Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const override;
    Acad::ErrorStatus getSecondDeriv(double param, AcGeVector3d& deriv) const override;
    // With extend, the closest point of the whole line.
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                        bool extend = false) const override;
    Acad::ErrorStatus getArea(double& area) const override;  // 0
    // The base point and a point far along the ray.
    void getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const override;

    // Entity.
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    void list() const override;
    // Grips: base point (moves the ray), second point (turns it about the base).
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    // Stretch point: the base point.
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;  // eNotApplicable
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    // kExtendThis makes the ray a whole line.

    // DXF: subclass AcDbRay, 10 base point, 11 unit direction.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    CADHOST_COPIES_DATA(AcDbRay)
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    void draw(AcGiGeometry& geometry) const;
    AcGePoint3d m_base;
    AcGeVector3d m_dir{1, 0, 0};
};
