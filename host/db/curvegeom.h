#pragma once
// Exact geometry of straight pieces and circular arcs shared by the native curves:
// intersections, extents, closest points, flattening and polyline bulge segments.
// Host-internal.
#include <limits>
#include <vector>
#include "db/extents.h"
#include "ge/arrays.h"
#include "ge/plane.h"

namespace cadhost::curve {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kInf = std::numeric_limits<double>::infinity();

// Angle in [0, 2 pi).
double wrap2Pi(double angle);
// Largest absolute coordinate: the size that tolerances scale with.
double sizeOf(const AcGePoint3d& p);
// Distance within which a point counts as on a curve of the given size: the global point
// tolerance, growing with the size so that computed points of large drawings still qualify.
double tolerance(double size);

// Object coordinate system of a normal (arbitrary axis algorithm), unit axes.
struct Frame {
    AcGeVector3d x, y, n;
    AcGePoint3d toWorld(double px, double py, double pz) const {
        return AcGePoint3d(x.x * px + y.x * py + n.x * pz, x.y * px + y.y * py + n.y * pz,
                           x.z * px + y.z * py + n.z * pz);
    }
    AcGeVector3d vecToWorld(double vx, double vy, double vz = 0.0) const { return x * vx + y * vy + n * vz; }
    AcGePoint3d toOcs(const AcGePoint3d& p) const {
        AcGeVector3d v = p.asVector();
        return AcGePoint3d(v.dotProduct(x), v.dotProduct(y), v.dotProduct(n));
    }
    AcGeVector3d vecToOcs(const AcGeVector3d& v) const {
        return AcGeVector3d(v.dotProduct(x), v.dotProduct(y), v.dotProduct(n));
    }
};
Frame frameOf(const AcGeVector3d& normal);

// p + t d for t in [t0, t1]; unbounded ends are infinite.
struct LinePiece {
    AcGePoint3d p;
    AcGeVector3d d;
    double t0 = 0.0, t1 = 1.0;
    AcGePoint3d at(double t) const { return p + d * t; }
};

// c + r (cos a x + sin a y) for a from a0 through a0 + sweep, 0 < sweep <= 2 pi; n = x cross y.
struct ArcPiece {
    AcGePoint3d c;
    double r = 0.0;
    AcGeVector3d x{1, 0, 0}, y{0, 1, 0}, n{0, 0, 1};
    double a0 = 0.0, sweep = kTwoPi;
    bool isFull() const { return sweep >= kTwoPi - 1e-14; }
    AcGePoint3d at(double a) const { return c + x * (r * std::cos(a)) + y * (r * std::sin(a)); }
    AcGePoint3d start() const { return at(a0); }
    AcGePoint3d end() const { return at(a0 + sweep); }
    double angleOf(const AcGePoint3d& p) const;
    // Whether an angle lies in the sweep, with a tolerance given as a distance along the arc.
    bool contains(double angle, double tol) const;
};
ArcPiece makeArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal, double startAngle,
                 double sweep);

struct Piece {
    bool isArc = false;
    LinePiece line;
    ArcPiece arc;
    static Piece of(const LinePiece& l) { Piece p; p.line = l; return p; }
    static Piece of(const ArcPiece& a) { Piece p; p.isArc = true; p.arc = a; return p; }
    double size() const;
};

// Appends the points where two pieces meet (tangency gives one point; overlapping pieces
// have no isolated points and give none).
void intersect(const Piece& a, const Piece& b, double tol, AcGePoint3dArray& points);
void appendUnique(AcGePoint3dArray& points, const AcGePoint3d& p, double tol);

// Closest points; t and angle receive the parameter of the answer.
AcGePoint3d closestOnLine(const LinePiece& line, const AcGePoint3d& q, double* t = nullptr);
AcGePoint3d closestOnArc(const ArcPiece& arc, const AcGePoint3d& q, double* angle = nullptr);
AcGePoint3d closestOn(const Piece& piece, const AcGePoint3d& q);

// Exact box of an arc: its ends and the extreme points of each axis that lie in the sweep.
void addArcExtents(const ArcPiece& arc, AcDbExtents& extents);
// Points of an arc within deviation of it; the first point is left out when asked.
void flattenArc(const ArcPiece& arc, double deviation, AcGePoint3dArray& path, bool withFirst = true);
int arcSteps(double radius, double sweep, double deviation);

// Circle through three points (in their plane); false when they are collinear.
bool circleThrough(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& c, AcGePoint3d& center,
                   double& radius);

// One segment of a polyline in its object coordinate system: a chord or, with a bulge, the
// arc whose included angle is 4 atan(bulge) (negative bulges turn clockwise). Parameter u
// runs from 0 to 1, proportional to the angle on arcs.
struct BulgeSeg {
    AcGePoint2d p0, p1;
    double bulge = 0.0;
    bool isArc = false;
    AcGePoint2d c;        // arcs: centre
    double r = 0.0;       // radius
    double a0 = 0.0;      // angle of p0 about the centre
    double theta = 0.0;   // signed included angle
    AcGePoint2d point(double u) const;
    AcGeVector2d deriv1(double u) const;
    AcGeVector2d deriv2(double u) const;
    double length() const;
    bool isDegenerate() const { return p0.isEqualTo(p1) && !isArc; }
    // Parameter of the point of the segment nearest q, within [0, 1].
    double nearestParam(const AcGePoint2d& q) const;
};
BulgeSeg makeBulgeSeg(const AcGePoint2d& p0, const AcGePoint2d& p1, double bulge);
// The segment in world coordinates (arcs always counter-clockwise about the frame's normal).
Piece worldPiece(const BulgeSeg& seg, const Frame& frame, double elevation);
// Signed area between the chord and the arc of a segment (zero for chords).
double segmentArea(const BulgeSeg& seg);

}  // namespace cadhost::curve
