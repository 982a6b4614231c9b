#pragma once
#include <vector>
#include "db/entity.h"

namespace cadhost::curve { class PolyPath; }

// Lightweight polyline: 2-D vertices in the object coordinate system of its normal at an
// elevation, each with the bulge and the start/end widths of the segment that starts there.
// The parameter is the vertex index (see cadhost::curve::PolyPath): 0 to numVerts() - 1, or
// to numVerts() when closed. Vertex indices out of range answer eInvalidIndex.
class CADHOST_API AcDbPolyline : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbPolyline);
    enum SegType { kLine = 0, kArc = 1, kCoincident = 2, kPoint = 3, kEmpty = 4 };

    AcDbPolyline();
    explicit AcDbPolyline(unsigned int numVerts);  // room for that many vertices
    ~AcDbPolyline() override;

    unsigned int numVerts() const;
    // An index past the end appends. Negative widths take the polyline's constant width (or 0).
    Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& point, double bulge = 0.0,
                                  double startWidth = -1.0, double endWidth = -1.0);
    Acad::ErrorStatus removeVertexAt(unsigned int index);
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& point) const;
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& point) const;  // world coordinates
    Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& point);
    Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
    Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
    Acad::ErrorStatus getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
    Acad::ErrorStatus setWidthsAt(unsigned int index, double startWidth, double endWidth);  // >= 0
    SegType segType(unsigned int index) const;
    // eOk when every segment has the same start and end width.
    Acad::ErrorStatus getConstantWidth(double& width) const;
    Acad::ErrorStatus setConstantWidth(double width);
    bool closed() const;
    void setClosed(bool closed);
    double elevation() const;
    void setElevation(double elevation);
    AcGeVector3d normal() const;
    void setNormal(const AcGeVector3d& normal);  // a zero vector is ignored
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    bool hasPlinegen() const;
    void setPlinegen(bool plinegen);
    bool isOnlyLines() const;
    bool hasBulges() const;
    bool hasWidth() const;
    // Empties the polyline (reuse: keeps the first numVerts vertices).
    void reset(bool reuse, unsigned int numVerts);

    // Curve.
    bool isClosed() const override;
    Acad::ErrorStatus getPlane(AcGePlane& plane, AcDb::Planarity& type) const override;
    Acad::ErrorStatus getStartParam(double& param) const override;
    Acad::ErrorStatus getEndParam(double& param) const override;
    Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const override;
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
    Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
    Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
    // At a vertex, the derivatives of the segment that starts there (the last segment's at the end).
    Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const override;
    Acad::ErrorStatus getSecondDeriv(double param, AcGeVector3d& deriv) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                        bool extend = false) const override;
    // Area enclosed (an open polyline as if closed by a chord), bulges counted.
    Acad::ErrorStatus getArea(double& area) const override;
    void getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const override;

    // Entity.
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    void list() const override;
    // Grip and stretch points: the vertices, moved in the polyline's plane.
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    // Non-uniform scaling is refused (eCannotScaleNonUniformly) only when there are bulges.
    // Reflections keep the transformed normal and negate the bulges.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    // Lines and arcs (widths are lost), with this polyline's properties and thickness.
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;  // centre line, exact

    // DXF: subclass AcDbPolyline, 90 count, 70 flags (1 closed, 128 plinegen), 43 constant
    // width, 38 elevation, 39 thickness, per vertex 10 point, 40/41 widths, 42 bulge; 210 normal.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    CADHOST_COPIES_DATA(AcDbPolyline)
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Host-internal: the path the curve protocol works on.
    cadhost::curve::PolyPath path() const;

private:
    struct Vertex {
        AcGePoint2d point;
        double bulge = 0.0;
        double startWidth = 0.0, endWidth = 0.0;
    };
    bool validIndex(unsigned int index) const { return index < m_verts.size(); }
    Acad::ErrorStatus moveVertices(const AcDbIntArray& indices, const AcGeVector3d& offset);
    std::vector<Vertex> m_verts;
    bool m_closed = false;
    bool m_plinegen = false;
    double m_elevation = 0.0;
    double m_thickness = 0.0;
    AcGeVector3d m_normal{0, 0, 1};
};
