#pragma once
#include "db/entity.h"

class AcGiGeometry;

// Ellipse or elliptical arc: center + cos(t) majorAxis + sin(t) minorAxis, where the minor
// axis is normal x majorAxis scaled by the radius ratio (0 < ratio <= 1). The parameter t
// runs from startParam() to endParam() (start in [0, 2 pi), end after it by at most a
// turn; a full ellipse is 0 to 2 pi). Angles (startAngle, endAngle) are measured from the
// major axis about the normal and relate to parameters by tan(angle) = ratio tan(t).
class CADHOST_API AcDbEllipse : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbEllipse);
    AcDbEllipse();
    // A major axis not perpendicular to the normal is projected into the plane.
    AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& unitNormal, const AcGeVector3d& majorAxis,
                double radiusRatio, double startAngle = 0.0, double endAngle = 6.28318530717958647692);
    ~AcDbEllipse() override;

    AcGePoint3d center() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    AcGeVector3d normal() const;
    AcGeVector3d majorAxis() const;
    AcGeVector3d minorAxis() const;
    double majorRadius() const;
    double minorRadius() const;
    double radiusRatio() const;
    Acad::ErrorStatus setRadiusRatio(double ratio);  // (0, 1]
    double startAngle() const;
    Acad::ErrorStatus setStartAngle(double angle);
    double endAngle() const;
    Acad::ErrorStatus setEndAngle(double angle);
    double startParam() const;
    Acad::ErrorStatus setStartParam(double param);
    double endParam() const;
    Acad::ErrorStatus setEndParam(double param);
    double paramAtAngle(double angle) const;
    double angleAtParam(double param) const;
    // Everything at once; eInvalidInput (and no change) for a zero normal or axis, an axis not
    // perpendicular to the normal, or a ratio outside (0, 1].
    Acad::ErrorStatus set(const AcGePoint3d& center, const AcGeVector3d& unitNormal, const AcGeVector3d& majorAxis,
                          double radiusRatio, double startAngle = 0.0, double endAngle = 6.28318530717958647692);
    Acad::ErrorStatus get(AcGePoint3d& center, AcGeVector3d& unitNormal, AcGeVector3d& majorAxis,
                          double& radiusRatio, double& startAngle, double& endAngle) const;
    bool isNull() const;

    // Curve.
    bool isClosed() const override;
    bool isPeriodic() const override { return isClosed(); }
    Acad::ErrorStatus getPlane(AcGePlane& plane, AcDb::Planarity& type) const override;
    Acad::ErrorStatus getStartParam(double& param) const override;
    Acad::ErrorStatus getEndParam(double& param) const override;
    Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const override;
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
    Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
    Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;  // numerical
    Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
    Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const override;
    Acad::ErrorStatus getSecondDeriv(double param, AcGeVector3d& deriv) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                        bool extend = false) const override;
    // Full ellipse: pi a b; arcs: the area between the arc and its chord.
    Acad::ErrorStatus getArea(double& area) const override;
    void getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const override;

    // Entity.
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    void list() const override;
    // Grips: centre, then the axis ends at parameters 0, pi/2, pi, 3 pi/2. The centre moves
    // the ellipse; an axis end sets that axis's direction and length (in the plane), the
    // other axis keeps its length.
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    // Any non-degenerate affine transformation: the image of an ellipse is an ellipse.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;  // eNotApplicable
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;  // exact
    // Exact against straight pieces and against arcs and ellipses in other planes; in its own
    // plane against curved pieces by Newton steps from chord crossings.

    // DXF: subclass AcDbEllipse, 10 centre, 11 major axis end relative to the centre, 210
    // normal, 40 ratio, 41 start and 42 end parameter.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    CADHOST_COPIES_DATA(AcDbEllipse)
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    double sweep() const { return m_endParam - m_startParam; }
    AcGeVector3d minor() const;
    AcGePoint3d at(double t) const;
    double tol() const;
    // The parameter of t within [start, end] (a whole turn on when needed), or false.
    bool inRange(double t, double& inside) const;
    void setParams(double start, double end);
    // The axis at parameter 0 becomes `axis`, the one at pi/2 gets length `other`; when that
    // makes the second axis the longer, the axes trade places and parameters shift.
    void setAxes(const AcGeVector3d& axis, double other);
    void draw(AcGiGeometry& geometry) const;
    AcGePoint3d m_center;
    AcGeVector3d m_normal{0, 0, 1};
    AcGeVector3d m_major{1, 0, 0};
    double m_ratio = 1.0;
    double m_startParam = 0.0, m_endParam = 6.28318530717958647692;
};
