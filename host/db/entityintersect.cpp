// Default outline of entities and intersection of outlines.
#include <algorithm>
#include <cmath>
#include <limits>
#include "db/entity.h"

namespace {
struct Segment {
    AcGePoint3d a, b;          // as intersected (projected or not)
    AcGePoint3d origA, origB;  // on the entity itself
    double lo = 0.0, hi = 1.0;  // parameter range: extended ends reach to infinity
};

double sizeOf(const AcArray<AcGePoint3dArray>& paths) {
    AcDbExtents ext;
    for (const auto& path : paths)
        for (const AcGePoint3d& p : path) ext.addPoint(p);
    return ext.isEmpty() ? 0.0 : ext.minPoint().distanceTo(ext.maxPoint());
}

std::vector<Segment> segmentsOf(const AcArray<AcGePoint3dArray>& paths, bool extend, const AcGePlane* plane) {
    std::vector<Segment> out;
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& path : paths) {
        size_t first = out.size();
        for (int i = 1; i < path.length(); ++i) {
            Segment s;
            s.origA = path[i - 1];
            s.origB = path[i];
            s.a = plane ? s.origA.orthoProject(*plane) : s.origA;
            s.b = plane ? s.origB.orthoProject(*plane) : s.origB;
            if (s.a.isEqualTo(s.b) && path.length() > 2) continue;
            out.push_back(s);
        }
        bool closed = path.length() > 2 && path.first().isEqualTo(path.last());
        if (extend && !closed && out.size() > first) {
            out[first].lo = -inf;
            out.back().hi = inf;
        }
    }
    return out;
}

void addUnique(AcGePoint3dArray& points, const AcGePoint3d& p, double tol) {
    for (const AcGePoint3d& q : points)
        if (q.distanceTo(p) <= tol) return;
    points.append(p);
}

bool within(double t, double lo, double hi, double eps) { return t >= lo - eps && t <= hi + eps; }

// Intersection of two segments (or their extensions) in space within tol; reports the point
// on the first segment's original geometry.
void intersect(const Segment& s, const Segment& t, double tol, AcGePoint3dArray& points) {
    AcGeVector3d d1 = s.b - s.a, d2 = t.b - t.a, r = s.a - t.a;
    double a = d1.dotProduct(d1), e = d2.dotProduct(d2), b = d1.dotProduct(d2);
    double c = d1.dotProduct(r), f = d2.dotProduct(r);
    double denom = a * e - b * b;
    const double eps = 1e-12;
    if (a <= 1e-30 || e <= 1e-30) return;
    if (denom <= 1e-12 * a * e) {
        // Parallel: collinear overlaps answer the overlap's end points.
        AcGeVector3d off = r - d1 * (d1.dotProduct(r) / a);
        if (off.length() > tol) return;
        auto onS = [&](const AcGePoint3d& p) { return (p - s.a).dotProduct(d1) / a; };
        auto onT = [&](const AcGePoint3d& p) { return (p - t.a).dotProduct(d2) / e; };
        double cands[4] = {0.0, 1.0, onS(t.a), onS(t.b)};
        for (double u : cands) {
            AcGePoint3d p = s.a + d1 * u;
            if (within(u, s.lo, s.hi, eps) && within(onT(p), t.lo, t.hi, eps))
                addUnique(points, s.origA + (s.origB - s.origA) * u, tol);
        }
        return;
    }
    double u = (b * f - c * e) / denom;
    double v = (a * f - b * c) / denom;
    if (!within(u, s.lo, s.hi, eps) || !within(v, t.lo, t.hi, eps)) return;
    AcGePoint3d p = s.a + d1 * u, q = t.a + d2 * v;
    if (p.distanceTo(q) > tol) return;
    addUnique(points, s.origA + (s.origB - s.origA) * u, tol);
}

Acad::ErrorStatus intersectOutlines(const AcDbEntity* self, const AcDbEntity* other, AcDb::Intersect type,
                                    const AcGePlane* plane, AcGePoint3dArray& points) {
    if (!other) return Acad::eNullObjectPointer;
    AcArray<AcGePoint3dArray> mine, theirs;
    self->getOutline(mine, 0.0);
    other->getOutline(theirs, 0.0);
    if (mine.isEmpty() || theirs.isEmpty()) return Acad::eNotApplicable;
    double size = std::max({sizeOf(mine), sizeOf(theirs), 1.0});
    double tol = 1e-9 * size;
    bool extendThis = type == AcDb::kExtendThis || type == AcDb::kExtendBoth;
    bool extendArg = type == AcDb::kExtendArg || type == AcDb::kExtendBoth;
    std::vector<Segment> a = segmentsOf(mine, extendThis, plane), b = segmentsOf(theirs, extendArg, plane);
    for (const Segment& s : a)
        for (const Segment& t : b) intersect(s, t, tol, points);
    return Acad::eOk;
}
}  // namespace

// The extents' box: its bottom outline, and for a box with height its top and upright edges.
void AcDbEntity::getOutline(AcArray<AcGePoint3dArray>& paths, double) const {
    AcDbExtents ext;
    if (getGeomExtents(ext) != Acad::eOk || ext.isEmpty()) return;
    const AcGePoint3d lo = ext.minPoint(), hi = ext.maxPoint();
    auto ring = [&](double z) {
        AcGePoint3dArray r;
        r.append(AcGePoint3d(lo.x, lo.y, z));
        r.append(AcGePoint3d(hi.x, lo.y, z));
        r.append(AcGePoint3d(hi.x, hi.y, z));
        r.append(AcGePoint3d(lo.x, hi.y, z));
        r.append(AcGePoint3d(lo.x, lo.y, z));
        return r;
    };
    paths.append(ring(lo.z));
    if (hi.z - lo.z > 1e-12) {
        paths.append(ring(hi.z));
        const double xs[2] = {lo.x, hi.x}, ys[2] = {lo.y, hi.y};
        for (double x : xs)
            for (double y : ys) {
                AcGePoint3dArray edge;
                edge.append(AcGePoint3d(x, y, lo.z));
                edge.append(AcGePoint3d(x, y, hi.z));
                paths.append(edge);
            }
    }
}

Acad::ErrorStatus AcDbEntity::intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                            int, int) const {
    assertReadEnabled();
    return intersectOutlines(this, other, type, nullptr, points);
}

// Intersections of the outlines projected onto the plane, answered on this entity.
Acad::ErrorStatus AcDbEntity::intersectWith(const AcDbEntity* other, AcDb::Intersect type,
                                            const AcGePlane& projectionPlane, AcGePoint3dArray& points, int,
                                            int) const {
    assertReadEnabled();
    return intersectOutlines(this, other, type, &projectionPlane, points);
}
