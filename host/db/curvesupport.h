#pragma once
// Protocol pieces shared by the native curves (line, circle, arc, ellipse, ray, point, the
// polylines): exact intersection, snaps, listing, transformation helpers. Host-internal.
#include <vector>
#include "db/curvegeom.h"
#include "db/entity.h"

class AcGiGeometry;

namespace cadhost::curve {

// Exact pieces of a native curve in world coordinates. False for entities without them
// (ellipses, anything else). With extend, lines and rays become infinite lines and arcs
// full circles; polylines and circles are never extended.
bool analyticPieces(const AcDbEntity* entity, bool extend, std::vector<Piece>& pieces);

// intersectWith of the native curves: exact between lines, rays, arcs, circles, polylines and
// ellipses (an ellipse against a curved piece in its own plane by Newton steps from chord
// crossings, so tangential touches may be missed); anything else gets the outline
// intersection of AcDbEntity. Points lie on both curves within the curve tolerance.
Acad::ErrorStatus intersectCurves(const AcDbEntity* self, const AcDbEntity* other, AcDb::Intersect type,
                                  AcGePoint3dArray& points, int thisGsMarker, int otherGsMarker);
// The same on the projections onto a plane; exact when every arc of both sides lies in planes
// parallel to it. The points are lifted back onto self.
Acad::ErrorStatus intersectCurvesProjected(const AcDbEntity* self, const AcDbEntity* other, AcDb::Intersect type,
                                           const AcGePlane& plane, AcGePoint3dArray& points, int thisGsMarker,
                                           int otherGsMarker);

// A clone of the entity with the transformation applied; nothing is answered on failure.
Acad::ErrorStatus transformedClone(const AcDbEntity* self, const AcGeMatrix3d& xform, AcDbEntity*& copy);

// Snap points of one piece: end, mid, centre, quadrant, nearest, perpendicular, tangent.
void pieceSnaps(const Piece& piece, AcDb::OsnapMode mode, const AcGePoint3d& pick, const AcGePoint3d& last,
                AcGePoint3dArray& points);

// Next group of a class's DXF part (ent::nextGroup): the class's own subclass markers (a
// null-terminated list) are passed over wherever they come; any other marker ends the part
// and is pushed back.
bool nextDxfGroup(AcDbDxfFiler* filer, resbuf& rb, Acad::ErrorStatus& es, const char* const* ownMarkers);
// Whether optional groups with default values are written.
inline bool writesDefaults(const AcDbDxfFiler* filer) { return filer->includesDefaultValues(); }

// Every index refers to one of count points.
bool validIndices(const AcDbIntArray& indices, int count);

// The extrusion direction and thickness an entity gets from a transformation.
void transformExtrusion(const AcGeMatrix3d& xform, AcGeVector3d& normal, double& thickness);
// The linear part's determinant (negative for reflections).
double linearDet(const AcGeMatrix3d& xform);

// What a transformation does to a planar entity: its new normal, whether arcs turn the
// other way about it (reflections: bulges change sign), and the factors for widths and
// thickness. Non-uniform scaling keeps straight pieces straight but not arcs round, so it is
// refused (eCannotScaleNonUniformly) when there are arcs; a degenerate transformation
// answers eInvalidInput.
struct PlanarTransform {
    AcGeVector3d normal{0, 0, 1};
    bool flip = false;
    double widthScale = 1.0;
    double thicknessScale = 1.0;
};
Acad::ErrorStatus planarTransform(const AcGeMatrix3d& xform, const AcGeVector3d& normal, bool hasArcs,
                                  PlanarTransform& out);

// Lines of the list output, in the drawing's units.
void listPoint(const char* label, const AcGePoint3d& p);
void listDistance(const char* label, double value);
void listAngle(const char* label, double radians);
void listVector(const char* label, const AcGeVector3d& v);
// The same pieces lifted by thickness along the normal, and the edges joining the two.
void drawExtrusion(AcGiGeometry& geometry, const std::vector<Piece>& pieces, const AcGeVector3d& normal,
                   double thickness);

}  // namespace cadhost::curve
