#include "db/curvesupport.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include "db/arc.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/entitysupport.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/polypath.h"
#include "db/ray.h"
#include "db/units.h"
#include "gi/geometry.h"
#include "rx/print.h"

namespace cadhost::curve {

bool analyticPieces(const AcDbEntity* e, bool extend, std::vector<Piece>& pieces) {
    if (const AcDbLine* l = AcDbLine::cast(e)) {
        AcGePoint3d s = l->startPoint();
        pieces.push_back(Piece::of(LinePiece{s, l->endPoint() - s, extend ? -kInf : 0.0, extend ? kInf : 1.0}));
        return true;
    }
    if (const AcDbRay* r = AcDbRay::cast(e)) {
        pieces.push_back(Piece::of(LinePiece{r->basePoint(), r->unitDir(), extend ? -kInf : 0.0, kInf}));
        return true;
    }
    if (const AcDbArc* a = AcDbArc::cast(e)) {
        pieces.push_back(Piece::of(
            makeArc(a->center(), a->radius(), a->normal(), a->startAngle(), extend ? kTwoPi : a->totalAngle())));
        return true;
    }
    if (const AcDbCircle* c = AcDbCircle::cast(e)) {
        pieces.push_back(Piece::of(makeArc(c->center(), c->radius(), c->normal(), 0.0, kTwoPi)));
        return true;
    }
    if (const AcDbPolyline* p = AcDbPolyline::cast(e)) {
        p->path().pieces(pieces);
        return true;
    }
    if (const AcDb2dPolyline* p = AcDb2dPolyline::cast(e)) {
        p->path().pieces(pieces);
        return true;
    }
    return false;
}

namespace {

// An ellipse: c + a cos(t) u + b sin(t) v with unit axes u, v and normal n.
struct EllipseGeom {
    AcGePoint3d c;
    AcGeVector3d u, v, n;
    double a = 0.0, b = 0.0, t0 = 0.0, sweep = kTwoPi;
    AcGePoint3d at(double t) const { return c + u * (a * std::cos(t)) + v * (b * std::sin(t)); }
    AcGeVector3d d1(double t) const { return u * (-a * std::sin(t)) + v * (b * std::cos(t)); }
    bool contains(double t, double tol) const {
        if (sweep >= kTwoPi - 1e-12) return true;
        double rel = wrap2Pi(t - t0), slack = tol / b;
        return rel <= sweep + slack || rel >= kTwoPi - slack;
    }
    // Affine image in which the ellipse is the unit circle about the origin.
    AcGePoint3d toLocal(const AcGePoint3d& p) const {
        AcGeVector3d w = p - c;
        return AcGePoint3d(w.dotProduct(u) / a, w.dotProduct(v) / b, w.dotProduct(n) / a);
    }
    AcGeVector3d toLocalVec(const AcGeVector3d& d) const {
        return AcGeVector3d(d.dotProduct(u) / a, d.dotProduct(v) / b, d.dotProduct(n) / a);
    }
    double paramOf(const AcGePoint3d& p) const {
        AcGePoint3d l = toLocal(p);
        return std::atan2(l.y, l.x);
    }
    bool isOn(const AcGePoint3d& p, double tol) const {
        if (std::fabs((p - c).dotProduct(n)) > tol) return false;
        double t = paramOf(p);
        return at(t).distanceTo(p) <= tol && contains(t, tol);
    }
};

struct Shape {
    std::vector<Piece> pieces;
    bool isEllipse = false;
    EllipseGeom ellipse;
    double size() const {
        double s = isEllipse ? sizeOf(ellipse.c) + ellipse.a : 0.0;
        for (const Piece& p : pieces) s = std::max(s, p.size());
        return s;
    }
};

bool shapeOf(const AcDbEntity* entity, bool extend, Shape& shape) {
    if (const AcDbEllipse* el = AcDbEllipse::cast(entity)) {
        EllipseGeom& e = shape.ellipse;
        AcGeVector3d M = el->majorAxis(), m = el->minorAxis();
        e.c = el->center();
        e.a = M.length();
        e.b = m.length();
        if (!(e.a > 0) || !(e.b > 0)) return false;
        e.u = M / e.a;
        e.v = m / e.b;
        e.n = el->normal();
        e.t0 = el->startParam();
        e.sweep = el->endParam() - e.t0;
        shape.isEllipse = true;
        return true;
    }
    return analyticPieces(entity, extend, shape.pieces);
}

// The line two non-parallel planes share.
LinePiece planesLine(const AcGePoint3d& c1, const AcGeVector3d& n1, const AcGePoint3d& c2, const AcGeVector3d& n2) {
    AcGeVector3d cross = n1.crossProduct(n2);
    double n1n2 = n1.dotProduct(n2);
    double d1 = n1.dotProduct(c1.asVector()), d2 = n2.dotProduct(c2.asVector());
    AcGeVector3d p0 = (n1 * (d1 - d2 * n1n2) + n2 * (d2 - d1 * n1n2)) / cross.lengthSqrd();
    return LinePiece{AcGePoint3d::kOrigin + p0, cross.normal(), -kInf, kInf};
}

void ellipseLine(const EllipseGeom& e, const LinePiece& l, double tol, AcGePoint3dArray& out) {
    LinePiece local{e.toLocal(l.p), e.toLocalVec(l.d), l.t0, l.t1};
    double dd = local.d.lengthSqrd();
    if (dd == 0.0) return;
    ArcPiece unit;
    unit.c = AcGePoint3d::kOrigin;
    unit.r = 1.0;
    unit.a0 = e.t0;
    unit.sweep = e.sweep;
    AcGePoint3dArray found;
    intersect(Piece::of(local), Piece::of(unit), tol / e.a, found);
    for (const AcGePoint3d& p : found) appendUnique(out, l.at((p - local.p).dotProduct(local.d) / dd), tol);
}

using PointAt = std::function<AcGePoint3d(double)>;
using VecAt = std::function<AcGeVector3d(double)>;

// Newton steps on C1(t) = C2(s) in a plane with axes x, y; true when they meet within tol.
bool refine(const PointAt& c1, const VecAt& d1, const PointAt& c2, const VecAt& d2, const AcGeVector3d& x,
            const AcGeVector3d& y, double& t, double& s, double tol) {
    for (int k = 0; k < 50; ++k) {
        AcGeVector3d f = c1(t) - c2(s);
        double fx = f.dotProduct(x), fy = f.dotProduct(y);
        if (std::hypot(fx, fy) <= tol * 1e-4) break;
        AcGeVector3d a = d1(t), b = d2(s);
        double j00 = a.dotProduct(x), j01 = -b.dotProduct(x), j10 = a.dotProduct(y), j11 = -b.dotProduct(y);
        double det = j00 * j11 - j01 * j10;
        if (det == 0.0 || !std::isfinite(det)) break;
        t += (-fx * j11 + fy * j01) / det;
        s += (-fy * j00 + fx * j10) / det;
    }
    return c1(t).distanceTo(c2(s)) <= tol;
}

int chordCount(const EllipseGeom& e) {
    return std::max(16, static_cast<int>(std::ceil(512 * e.sweep / kTwoPi)));
}

void ellipseArc(const EllipseGeom& e, const ArcPiece& arc, double tol, AcGePoint3dArray& out) {
    if (arc.r <= 0.0) return;
    if (e.n.crossProduct(arc.n).length() > 1e-12) {
        AcGePoint3dArray cand;
        ellipseLine(e, planesLine(e.c, e.n, arc.c, arc.n), tol, cand);
        for (const AcGePoint3d& p : cand)
            if (std::fabs((p - arc.c).dotProduct(arc.n)) <= tol && std::fabs(p.distanceTo(arc.c) - arc.r) <= tol &&
                arc.contains(arc.angleOf(p), tol))
                appendUnique(out, p, tol);
        return;
    }
    if (std::fabs((arc.c - e.c).dotProduct(e.n)) > tol) return;
    PointAt c1 = [&](double t) { return e.at(t); };
    VecAt d1 = [&](double t) { return e.d1(t); };
    PointAt c2 = [&](double s) { return arc.at(s); };
    VecAt d2 = [&](double s) { return arc.x * (-arc.r * std::sin(s)) + arc.y * (arc.r * std::cos(s)); };
    int n = chordCount(e);
    for (int k = 0; k < n; ++k) {
        double ta = e.t0 + e.sweep * k / n, tb = e.t0 + e.sweep * (k + 1) / n;
        AcGePoint3d pa = e.at(ta), pb = e.at(tb);
        AcGePoint3dArray hits;
        intersect(Piece::of(LinePiece{pa, pb - pa, 0.0, 1.0}), Piece::of(arc), tol, hits);
        for (const AcGePoint3d& h : hits) {
            double f = (h - pa).dotProduct(pb - pa) / (pb - pa).lengthSqrd();
            double t = ta + (tb - ta) * f, s = arc.angleOf(h);
            if (refine(c1, d1, c2, d2, e.u, e.v, t, s, tol) && e.contains(t, tol) && arc.contains(s, tol))
                appendUnique(out, e.at(t), tol);
        }
    }
}

void ellipseEllipse(const EllipseGeom& e1, const EllipseGeom& e2, double tol, AcGePoint3dArray& out) {
    if (e1.n.crossProduct(e2.n).length() > 1e-12) {
        AcGePoint3dArray cand;
        ellipseLine(e1, planesLine(e1.c, e1.n, e2.c, e2.n), tol, cand);
        for (const AcGePoint3d& p : cand)
            if (e2.isOn(p, tol)) appendUnique(out, p, tol);
        return;
    }
    if (std::fabs((e2.c - e1.c).dotProduct(e1.n)) > tol) return;
    PointAt c1 = [&](double t) { return e1.at(t); };
    VecAt d1 = [&](double t) { return e1.d1(t); };
    PointAt c2 = [&](double s) { return e2.at(s); };
    VecAt d2 = [&](double s) { return e2.d1(s); };
    int n = chordCount(e1);
    for (int k = 0; k < n; ++k) {
        double ta = e1.t0 + e1.sweep * k / n, tb = e1.t0 + e1.sweep * (k + 1) / n;
        AcGePoint3d pa = e1.at(ta), pb = e1.at(tb);
        AcGePoint3dArray hits;
        ellipseLine(e2, LinePiece{pa, pb - pa, 0.0, 1.0}, tol, hits);
        for (const AcGePoint3d& h : hits) {
            double f = (h - pa).dotProduct(pb - pa) / (pb - pa).lengthSqrd();
            double t = ta + (tb - ta) * f, s = e2.paramOf(h);
            if (refine(c1, d1, c2, d2, e1.u, e1.v, t, s, tol) && e1.contains(t, tol) && e2.contains(s, tol))
                appendUnique(out, e1.at(t), tol);
        }
    }
}

void ellipsePiece(const EllipseGeom& e, const Piece& p, double tol, AcGePoint3dArray& out) {
    if (p.isArc) ellipseArc(e, p.arc, tol, out);
    else ellipseLine(e, p.line, tol, out);
}

void intersectShapes(const Shape& a, const Shape& b, double tol, AcGePoint3dArray& out) {
    if (a.isEllipse && b.isEllipse) {
        ellipseEllipse(a.ellipse, b.ellipse, tol, out);
    } else if (a.isEllipse) {
        for (const Piece& p : b.pieces) ellipsePiece(a.ellipse, p, tol, out);
    } else if (b.isEllipse) {
        for (const Piece& p : a.pieces) ellipsePiece(b.ellipse, p, tol, out);
    } else {
        for (const Piece& p : a.pieces)
            for (const Piece& q : b.pieces) intersect(p, q, tol, out);
    }
}

bool extendsThis(AcDb::Intersect type) { return type == AcDb::kExtendThis || type == AcDb::kExtendBoth; }
bool extendsArg(AcDb::Intersect type) { return type == AcDb::kExtendArg || type == AcDb::kExtendBoth; }

// A piece seen along the plane's normal; arcs only when their plane is parallel to it.
bool projectPiece(const Piece& p, const AcGePlane& plane, Piece& out) {
    AcGeVector3d n = plane.normal();
    out = p;
    if (p.isArc) {
        if (p.arc.n.crossProduct(n).length() > 1e-12) return false;
        out.arc.c = plane.closestPointTo(p.arc.c);
        return true;
    }
    out.line.p = plane.closestPointTo(p.line.p);
    out.line.d = p.line.d - n * p.line.d.dotProduct(n);
    return true;
}

}  // namespace

Acad::ErrorStatus intersectCurves(const AcDbEntity* self, const AcDbEntity* other, AcDb::Intersect type,
                                  AcGePoint3dArray& points, int thisGsMarker, int otherGsMarker) {
    if (!other) return Acad::eNullObjectPointer;
    Shape a, b;
    if (!shapeOf(self, extendsThis(type), a) || !shapeOf(other, extendsArg(type), b))
        return self->AcDbEntity::intersectWith(other, type, points, thisGsMarker, otherGsMarker);
    AcGePoint3dArray found;
    intersectShapes(a, b, tolerance(std::max(a.size(), b.size())), found);
    points.append(found);
    return Acad::eOk;
}

Acad::ErrorStatus intersectCurvesProjected(const AcDbEntity* self, const AcDbEntity* other, AcDb::Intersect type,
                                           const AcGePlane& plane, AcGePoint3dArray& points, int thisGsMarker,
                                           int otherGsMarker) {
    if (!other) return Acad::eNullObjectPointer;
    Shape a, b;
    std::vector<Piece> pa, pb;
    bool exact = shapeOf(self, extendsThis(type), a) && shapeOf(other, extendsArg(type), b) && !a.isEllipse &&
                 !b.isEllipse;
    for (size_t i = 0; exact && i < a.pieces.size(); ++i) {
        Piece p;
        exact = projectPiece(a.pieces[i], plane, p);
        pa.push_back(p);
    }
    for (size_t i = 0; exact && i < b.pieces.size(); ++i) {
        Piece p;
        exact = projectPiece(b.pieces[i], plane, p);
        pb.push_back(p);
    }
    if (!exact) return self->AcDbEntity::intersectWith(other, type, plane, points, thisGsMarker, otherGsMarker);
    double tol = tolerance(std::max(a.size(), b.size()));
    AcGePoint3dArray found;
    for (size_t i = 0; i < pa.size(); ++i) {
        const Piece& mine = a.pieces[i];
        for (const Piece& q : pb) {
            AcGePoint3dArray hits;
            intersect(pa[i], q, tol, hits);
            for (const AcGePoint3d& h : hits) {
                // Back onto this curve: the same parameter on the unprojected piece.
                AcGePoint3d on;
                if (mine.isArc) {
                    on = mine.arc.at(pa[i].arc.angleOf(h));
                } else {
                    double dd = pa[i].line.d.lengthSqrd();
                    if (dd == 0.0) continue;
                    on = mine.line.at((h - pa[i].line.p).dotProduct(pa[i].line.d) / dd);
                }
                appendUnique(found, on, tol);
            }
        }
    }
    points.append(found);
    return Acad::eOk;
}

Acad::ErrorStatus transformedClone(const AcDbEntity* self, const AcGeMatrix3d& xform, AcDbEntity*& copy) {
    return self->AcDbEntity::getTransformedCopy(xform, copy);
}

void pieceSnaps(const Piece& piece, AcDb::OsnapMode mode, const AcGePoint3d& pick, const AcGePoint3d& last,
                AcGePoint3dArray& points) {
    double tol = tolerance(piece.size());
    if (!piece.isArc) {
        const LinePiece& l = piece.line;
        bool bounded = std::isfinite(l.t0) && std::isfinite(l.t1);
        switch (mode) {
        case AcDb::kOsModeEnd:
            if (std::isfinite(l.t0)) appendUnique(points, l.at(l.t0), tol);
            if (std::isfinite(l.t1)) appendUnique(points, l.at(l.t1), tol);
            break;
        case AcDb::kOsModeMid:
            if (bounded) points.append(l.at(0.5 * (l.t0 + l.t1)));
            break;
        case AcDb::kOsModeNear: points.append(closestOnLine(l, pick)); break;
        case AcDb::kOsModePerp: {
            double t = 0.0;
            AcGePoint3d p = closestOnLine(LinePiece{l.p, l.d, -kInf, kInf}, last, &t);
            double slack = l.d.length() > 0 ? tol / l.d.length() : 0.0;
            if (t >= l.t0 - slack && t <= l.t1 + slack) points.append(p);
            break;
        }
        default: break;
        }
        return;
    }
    const ArcPiece& arc = piece.arc;
    switch (mode) {
    case AcDb::kOsModeEnd:
        if (!arc.isFull()) {
            appendUnique(points, arc.start(), tol);
            appendUnique(points, arc.end(), tol);
        }
        break;
    case AcDb::kOsModeMid:
        if (!arc.isFull()) points.append(arc.at(arc.a0 + arc.sweep / 2));
        break;
    case AcDb::kOsModeCen: points.append(arc.c); break;
    case AcDb::kOsModeQuad:
        for (double a : {0.0, kPi / 2, kPi, 3 * kPi / 2})
            if (arc.contains(a, 0.0)) appendUnique(points, arc.at(a), tol);
        break;
    case AcDb::kOsModeNear: points.append(closestOnArc(arc, pick)); break;
    case AcDb::kOsModePerp: {
        AcGeVector3d v = last - arc.c;
        v -= arc.n * v.dotProduct(arc.n);
        if (v.length() <= tol) break;
        double a = std::atan2(v.dotProduct(arc.y), v.dotProduct(arc.x));
        for (double cand : {a, a + kPi})
            if (arc.contains(cand, 0.0)) appendUnique(points, arc.at(cand), tol);
        break;
    }
    case AcDb::kOsModeTan: {
        AcGeVector3d v = last - arc.c;
        v -= arc.n * v.dotProduct(arc.n);
        double d = v.length();
        if (d <= arc.r + tol) break;
        double base = std::atan2(v.dotProduct(arc.y), v.dotProduct(arc.x)), alpha = std::acos(arc.r / d);
        for (double cand : {base + alpha, base - alpha})
            if (arc.contains(cand, 0.0)) appendUnique(points, arc.at(cand), tol);
        break;
    }
    default: break;
    }
}

bool nextDxfGroup(AcDbDxfFiler* filer, resbuf& rb, Acad::ErrorStatus& es, const char* const* ownMarkers) {
    for (;;) {
        if (!cadhost::ent::nextGroup(filer, rb, es)) return false;
        if (rb.restype != 100) return true;
        bool own = false;
        for (const char* const* m = ownMarkers; m && *m && !own; ++m)
            own = rb.resval.rstring && std::strcmp(rb.resval.rstring, *m) == 0;
        if (own) continue;
        filer->pushBackItem();
        return false;
    }
}

bool validIndices(const AcDbIntArray& indices, int count) {
    return std::all_of(indices.begin(), indices.end(), [count](int i) { return i >= 0 && i < count; });
}

double linearDet(const AcGeMatrix3d& m) {
    const auto& e = m.entry;
    return e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) - e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
           e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
}

void transformExtrusion(const AcGeMatrix3d& xform, AcGeVector3d& normal, double& thickness) {
    AcGeVector3d n = xform * normal;
    double len = n.length();
    if (!(len > 1e-300) || !std::isfinite(len)) return;
    normal = n / len;
    thickness *= len;
}

Acad::ErrorStatus planarTransform(const AcGeMatrix3d& xform, const AcGeVector3d& normal, bool hasArcs,
                                  PlanarTransform& out) {
    double det = linearDet(xform);
    double s = xform.scale();
    if (!std::isfinite(det) || !(std::fabs(det) > 1e-12 * s * s * s)) return Acad::eInvalidInput;
    bool uniform = xform.isUniScaledOrtho();
    if (!uniform && hasArcs) return Acad::eCannotScaleNonUniformly;
    AcGeVector3d ln = xform * normal;
    if (uniform) {
        out.normal = ln.normal();
        out.flip = det < 0;
        out.widthScale = s;
        out.thicknessScale = ln.length();
        return Acad::eOk;
    }
    // The plane's normal follows the inverse transpose.
    AcGeMatrix3d inv = xform.inverse();
    AcGeVector3d n;
    for (int i = 0; i < 3; ++i) n[i] = inv.entry[0][i] * normal.x + inv.entry[1][i] * normal.y + inv.entry[2][i] * normal.z;
    n.normalize();
    if (n.dotProduct(ln) < 0) n = -n;
    Frame f = frameOf(normal);
    out.normal = n;
    out.flip = (xform * f.x).crossProduct(xform * f.y).dotProduct(n) < 0;
    out.widthScale = std::sqrt((xform * f.x).crossProduct(xform * f.y).length());
    out.thicknessScale = ln.dotProduct(n);
    return Acad::eOk;
}

namespace {
std::string distanceText(double v) {
    char buf[160];
    if (acdbRToS(v, -1, -1, buf, sizeof buf) != RTNORM) std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}
}  // namespace

void listPoint(const char* label, const AcGePoint3d& p) {
    acutPrintf("%24s X=%10s  Y=%10s  Z=%10s\n", label, distanceText(p.x).c_str(), distanceText(p.y).c_str(),
               distanceText(p.z).c_str());
}

void listVector(const char* label, const AcGeVector3d& v) {
    acutPrintf("%24s X=%10s  Y=%10s  Z=%10s\n", label, distanceText(v.x).c_str(), distanceText(v.y).c_str(),
               distanceText(v.z).c_str());
}

void listDistance(const char* label, double value) { acutPrintf("%24s %s\n", label, distanceText(value).c_str()); }

void listAngle(const char* label, double radians) {
    char buf[160];
    if (acdbAngToS(wrap2Pi(radians), -1, -1, buf, sizeof buf) != RTNORM)
        std::snprintf(buf, sizeof buf, "%.4f", radians * 180.0 / kPi);
    acutPrintf("%24s %s\n", label, buf);
}

void drawExtrusion(AcGiGeometry& g, const std::vector<Piece>& pieces, const AcGeVector3d& normal, double thickness) {
    AcGeVector3d lift = normal * thickness;
    AcGePoint3dArray ends;
    for (const Piece& p : pieces) {
        if (p.isArc) {
            const ArcPiece& a = p.arc;
            AcGeVector3d startVector = a.x * std::cos(a.a0) + a.y * std::sin(a.a0);
            g.circularArc(a.c + lift, a.r, a.n, startVector, a.sweep);
            if (a.isFull()) {
                for (double t : {0.0, kPi / 2, kPi, 3 * kPi / 2}) ends.append(a.at(t));
            } else {
                appendUnique(ends, a.start(), 0.0);
                appendUnique(ends, a.end(), 0.0);
            }
        } else {
            AcGePoint3d top[2] = {p.line.at(p.line.t0) + lift, p.line.at(p.line.t1) + lift};
            g.polyline(2, top);
            appendUnique(ends, p.line.at(p.line.t0), 0.0);
            appendUnique(ends, p.line.at(p.line.t1), 0.0);
        }
    }
    for (const AcGePoint3d& e : ends) {
        AcGePoint3d edge[2] = {e, e + lift};
        g.polyline(2, edge);
    }
}

}  // namespace cadhost::curve
