#pragma once
#include "db/dimension.h"

// Linear dimension measuring along a direction at an angle to the plane's X axis
// (horizontal at 0, vertical at 90 degrees).
class CADHOST_API AcDbRotatedDimension : public AcDbDimension {
public:
    ACRX_DECLARE_MEMBERS(AcDbRotatedDimension);
    AcDbRotatedDimension();
    AcDbRotatedDimension(double rotation, const AcGePoint3d& xLine1Point, const AcGePoint3d& xLine2Point,
                         const AcGePoint3d& dimLinePoint, const char* dimText = nullptr,
                         AcDbObjectId dimStyle = AcDbObjectId::kNull);
    ~AcDbRotatedDimension() override;

    AcGePoint3d xLine1Point() const;
    Acad::ErrorStatus setXLine1Point(const AcGePoint3d& point);
    AcGePoint3d xLine2Point() const;
    Acad::ErrorStatus setXLine2Point(const AcGePoint3d& point);
    AcGePoint3d dimLinePoint() const;
    Acad::ErrorStatus setDimLinePoint(const AcGePoint3d& point);
    double rotation() const;
    Acad::ErrorStatus setRotation(double angle);
    double oblique() const;
    Acad::ErrorStatus setOblique(double angle);

    using AcDbDimension::measurement;
    double measurement() const override;

    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    void buildGraphics(Graphics& graphics) const override;
    int dimensionType() const override { return 0; }
    AcGePoint3d definitionPoint() const override { return m_dimLine; }
    void setDefinitionPoint(const AcGePoint3d& point) override { m_dimLine = point; }

private:
    LinearPoints points() const {
        auto* self = const_cast<AcDbRotatedDimension*>(this);
        return {&self->m_xLine1, &self->m_xLine2, &self->m_dimLine};
    }
    AcGeVector3d measureDirection() const;
    AcGePoint3d m_xLine1, m_xLine2, m_dimLine;
    double m_rotation = 0, m_oblique = 0;
};
