#pragma once
// The curve protocol of a polyline path (vertices with bulges and widths in an object
// coordinate system at an elevation), shared by AcDbPolyline and AcDb2dPolyline.
// Host-internal.
#include <vector>
#include "db/curvegeom.h"
#include "db/entity.h"

class AcGiGeometry;
class AcGiSubEntityTraits;

namespace cadhost::curve {

struct PolyVertex {
    AcGePoint2d p;
    double bulge = 0.0;
    double startWidth = 0.0, endWidth = 0.0;
};

// Parameters: vertex i is at parameter i; along a segment the parameter grows with the
// length of a chord and with the angle of an arc. An open path of n vertices ends at n - 1,
// a closed one at n (its last segment returns to the first vertex).
class PolyPath {
public:
    PolyPath(std::vector<PolyVertex> vertices, bool closed, const AcGeVector3d& normal, double elevation);

    int numVerts() const { return static_cast<int>(m_verts.size()); }
    int numSegs() const;
    bool closed() const { return m_closed; }
    const std::vector<PolyVertex>& vertices() const { return m_verts; }
    BulgeSeg seg(int i) const;  // from vertex i to the next
    const Frame& frame() const { return m_frame; }
    double elevation() const { return m_elevation; }
    AcGePoint3d world(const AcGePoint2d& p) const { return m_frame.toWorld(p.x, p.y, m_elevation); }
    AcGeVector3d worldVec(const AcGeVector2d& v) const { return m_frame.vecToWorld(v.x, v.y); }
    AcGePoint2d planar(const AcGePoint3d& p) const;
    double tol() const { return m_tol; }

    Acad::ErrorStatus endParam(double& param) const;
    Acad::ErrorStatus pointAtParam(double param, AcGePoint3d& point) const;
    Acad::ErrorStatus paramAtPoint(const AcGePoint3d& point, double& param) const;
    Acad::ErrorStatus deriv(double param, int order, AcGeVector3d& d) const;
    Acad::ErrorStatus distAtParam(double param, double& dist) const;
    Acad::ErrorStatus paramAtDist(double dist, double& param) const;
    AcGePoint3d closestPoint(const AcGePoint3d& given) const;
    double length() const;
    // Area as if closed by a chord, bulges counted.
    double area() const;

    void pieces(std::vector<Piece>& out) const;
    void extents(AcDbExtents& ext, double thickness) const;
    void outline(AcArray<AcGePoint3dArray>& paths, double deviation) const;
    void snaps(AcDb::OsnapMode mode, const AcGePoint3d& pick, const AcGePoint3d& last,
               AcGePoint3dArray& points) const;
    // Lines and arcs with the source's properties and thickness; zero-length segments are left out.
    Acad::ErrorStatus explode(const AcDbEntity* source, double thickness, AcDbVoidPtrArray& entities) const;
    // Centre lines, or filled bands where segments have width; the thickness as an extrusion.
    void draw(AcGiGeometry& geometry, AcGiSubEntityTraits& traits, double deviation, double thickness) const;

private:
    bool locate(double param, int& seg, double& u) const;
    std::vector<PolyVertex> m_verts;
    bool m_closed;
    Frame m_frame;
    double m_elevation;
    double m_tol;
};

}  // namespace cadhost::curve
