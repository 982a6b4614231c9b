#pragma once
#include "db/entity.h"

class AcDb2dPolyline;

// A vertex of a polyline entity: owned by its polyline, which draws it and moves it.
class CADHOST_API AcDbVertex : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbVertex);
    ~AcDbVertex() override;

    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;  // drawn by the polyline
    // A vertex alone cannot be moved (its position is in its polyline's plane): eNotApplicable.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;  // eInvalidExtents

protected:
    AcDbVertex();
};

// A vertex of an AcDb2dPolyline: its position in the polyline's object coordinate system
// (z is the polyline's elevation), the bulge and the widths of the segment that starts at it,
// and the curve-fit tangent direction.
class CADHOST_API AcDb2dVertex : public AcDbVertex {
public:
    ACRX_DECLARE_MEMBERS(AcDb2dVertex);
    AcDb2dVertex();
    AcDb2dVertex(const AcGePoint3d& position, double bulge = 0.0, double startWidth = 0.0, double endWidth = 0.0,
                 double tangent = 0.0);
    ~AcDb2dVertex() override;

    AcDb::Vertex2dType vertexType() const;
    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& position);
    double startWidth() const;
    Acad::ErrorStatus setStartWidth(double width);  // >= 0
    double endWidth() const;
    Acad::ErrorStatus setEndWidth(double width);
    double bulge() const;
    Acad::ErrorStatus setBulge(double bulge);
    bool isTangentUsed() const;
    Acad::ErrorStatus useTangent();
    Acad::ErrorStatus ignoreTangent();
    double tangent() const;
    Acad::ErrorStatus setTangent(double angle);

    // DXF: subclasses AcDbVertex and AcDb2dVertex; 10 position, 40/41 widths, 42 bulge, 70
    // flags (1 curve-fit, 2 tangent used, 8 spline-fit, 16 spline frame), 50 tangent (degrees).
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    friend class AcDb2dPolyline;  // reads and moves its vertices in place
    int dxfFlags() const;
    void setDxfFlags(int flags);
    // The vertex's own data, for polylines that copy their vertices inline.
    void writeData(AcDbDwgFiler* filer) const;
    void readData(AcDbDwgFiler* filer);

    AcGePoint3d m_position;
    double m_bulge = 0.0;
    double m_startWidth = 0.0, m_endWidth = 0.0;
    double m_tangent = 0.0;
    bool m_tangentUsed = false;
    AcDb::Vertex2dType m_type = AcDb::k2dVertex;
};
