#pragma once
#include <functional>
#include <vector>
#include "db/entity.h"

class AcDb2dVertex;
class AcDbObjectIterator;
class AcDbSequenceEnd;
namespace cadhost::curve { class PolyPath; }

// Old-style 2-D polyline (POLYLINE): AcDb2dVertex entities in the object coordinate system of
// its normal at its elevation, owned by the polyline.
//
// Outside a database the polyline keeps its vertices in memory and deletes them with itself;
// vertexIterator() answers them through entity() (objectId() is null). In a database the
// vertices are database objects it owns (hard ownership), followed by an AcDbSequenceEnd:
// vertices kept in memory join the database when the polyline is closed after joining it or
// when a vertex is appended there. vertexIterator() then walks their ids (erased vertices are
// skipped); open them with openVertex or acdbOpenObject. The polyline reads its vertices in
// place (they need not be open) and opens them for write when it changes them.
//
// Curve and spline fitting are not generated: the path runs through the vertices (spline frame
// control vertices left out) with their bulges, whatever polyType() says. The parameter is the
// vertex index as for AcDbPolyline.
//
// Files: DXF writers write the polyline, then every id of internalVertexIds() as VERTEX and
// sequenceEndId() as SEQEND. DXF readers hand each VERTEX read to appendVertex (the polyline
// in the database and open for write; the vertex joins the database and is left open for
// write) and the SEQEND (already in the database) to internalSetSequenceEnd.
class CADHOST_API AcDb2dPolyline : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDb2dPolyline);
    AcDb2dPolyline();
    // Vertices at the x and y of the points (z is the elevation), bulges by index when given,
    // widths from the defaults.
    AcDb2dPolyline(AcDb::Poly2dType type, AcGePoint3dArray& vertices, double elevation = 0.0, bool closed = false,
                   double defStartWidth = 0.0, double defEndWidth = 0.0, AcGeDoubleArray* bulges = nullptr);
    ~AcDb2dPolyline() override;
    AcDb2dPolyline(const AcDb2dPolyline&) = delete;
    AcDb2dPolyline& operator=(const AcDb2dPolyline&) = delete;

    AcDb::Poly2dType polyType() const;
    Acad::ErrorStatus setPolyType(AcDb::Poly2dType type);
    Acad::ErrorStatus makeClosed();
    Acad::ErrorStatus makeOpen();
    Acad::ErrorStatus setClosed(bool closed);
    double defaultStartWidth() const;
    Acad::ErrorStatus setDefaultStartWidth(double width);
    double defaultEndWidth() const;
    Acad::ErrorStatus setDefaultEndWidth(double width);
    double elevation() const;
    Acad::ErrorStatus setElevation(double elevation);  // moves the vertices with it
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    bool isLinetypeGenerationOn() const;
    Acad::ErrorStatus setLinetypeGenerationOn();
    Acad::ErrorStatus setLinetypeGenerationOff();

    // Vertices. The polyline takes the vertex over (in a database it joins it and is left open
    // for write; one already in the polyline's database is taken as it is).
    Acad::ErrorStatus appendVertex(AcDb2dVertex* vertex);
    Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex);
    // After indexVertex (a vertex of this polyline), or first when it is null.
    Acad::ErrorStatus insertVertexAt(const AcDb2dVertex* indexVertex, AcDb2dVertex* newVertex);
    Acad::ErrorStatus insertVertexAt(AcDbObjectId& newId, const AcDbObjectId& indexVertexId, AcDb2dVertex* newVertex);
    Acad::ErrorStatus openVertex(AcDb2dVertex*& vertex, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false) const;
    Acad::ErrorStatus openSequenceEnd(AcDbSequenceEnd*& sequenceEnd, AcDb::OpenMode mode);
    // The caller deletes the iterator.
    AcDbObjectIterator* vertexIterator() const;
    // World position of one of the vertices.
    AcGePoint3d vertexPosition(const AcDb2dVertex& vertex) const;
    int numVerts() const;  // vertices not erased
    AcDbObjectId sequenceEndId() const;
    // Host-internal: the vertex ids in order (erased ones left out; empty outside a database),
    // and the SEQEND a reader hands over (one made before is erased).
    std::vector<AcDbObjectId> internalVertexIds() const;
    Acad::ErrorStatus internalSetSequenceEnd(AcDbObjectId sequenceEnd);

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
    // Grip and stretch points: every vertex (in iteration order), moved in the plane.
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    // As AcDbPolyline: non-uniform scaling refused only with bulges; reflections negate bulges.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;  // lines and arcs
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

    // Erasing the polyline erases its vertices and sequence end with it.
    Acad::ErrorStatus subErase(bool erasing) override;
    // Closing after a change in a database brings vertices kept in memory into it.
    Acad::ErrorStatus subClose() override;

    // DWG: vertices by hard-ownership id; copies (kCopyFiler) and polylines outside a database
    // file the vertex data inline. DXF: subclass AcDb2dPolyline, 66, 10 (0, 0, elevation), 39,
    // 70 flags (1 closed, 2 curve-fit, 4 spline-fit, 128 plinegen), 40/41 default widths, 75
    // curve type (5 quadratic, 6 cubic), 210 normal.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Host-internal: the path the curve protocol works on.
    cadhost::curve::PolyPath path() const;

private:
    struct Slot {
        AcDbObjectId id;               // a database vertex
        AcDb2dVertex* local = nullptr;  // or one kept in memory (owned)
    };
    // The vertex of a slot read in place; null for erased or missing ones.
    const AcDb2dVertex* vertexOf(const Slot& slot) const;
    // Slots of the vertices not erased, in order.
    std::vector<const Slot*> liveSlots() const;
    // Applies a change to the live vertices of the given positions (all when empty), opening
    // database vertices for write: all of them or, when one cannot be opened, none.
    Acad::ErrorStatus changeVertices(const std::vector<int>& which, const std::function<void(AcDb2dVertex&)>& change);
    Acad::ErrorStatus moveVertices(const AcDbIntArray& indices, const AcGeVector3d& offset);
    Acad::ErrorStatus insertSlot(size_t at, AcDbObjectId& id, AcDb2dVertex* vertex);
    int slotIndexOf(const AcDb2dVertex* vertex) const;
    void adoptVertices(bool makeSequenceEnd);
    void deleteLocalVertices();
    bool hasBulges() const;

    std::vector<Slot> m_vertices;
    AcDbObjectId m_sequenceEnd;
    AcDb::Poly2dType m_type = AcDb::k2dSimplePoly;
    bool m_closed = false;
    bool m_plinegen = false;
    double m_defaultStart = 0.0, m_defaultEnd = 0.0;
    double m_elevation = 0.0;
    double m_thickness = 0.0;
    AcGeVector3d m_normal{0, 0, 1};
};
