#include "db/curvegeom.h"
#include <algorithm>
#include <cmath>

namespace cadhost::curve {

double wrap2Pi(double a) {
    if (!std::isfinite(a)) return 0.0;
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    if (a >= kTwoPi) a -= kTwoPi;
    return a;
}

double sizeOf(const AcGePoint3d& p) { return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}); }

double tolerance(double size) {
    double t = AcGeContext::gTol.equalPoint();
    return std::isfinite(size) ? std::max(t, size * 1e-11) : t;
}

Frame frameOf(const AcGeVector3d& normal) {
    AcGeMatrix3d m = AcGeMatrix3d::planeToWorld(normal);
    Frame f;
    AcGePoint3d o;
    m.getCoordSystem(o, f.x, f.y, f.n);
    return f;
}

double ArcPiece::angleOf(const AcGePoint3d& p) const {
    AcGeVector3d v = p - c;
    return std::atan2(v.dotProduct(y), v.dotProduct(x));
}

bool ArcPiece::contains(double angle, double tol) const {
    if (isFull()) return true;
    double rel = wrap2Pi(angle - a0);
    double slack = r > 0 ? tol / r : 0.0;
    return rel <= sweep + slack || rel >= kTwoPi - slack;
}

ArcPiece makeArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal, double startAngle,
                 double sweep) {
    Frame f = frameOf(normal);
    ArcPiece a;
    a.c = center;
    a.r = radius;
    a.x = f.x;
    a.y = f.y;
    a.n = f.n;
    a.a0 = startAngle;
    a.sweep = sweep;
    return a;
}

double Piece::size() const {
    if (isArc) return sizeOf(arc.c) + arc.r;
    double s = sizeOf(line.p);
    if (std::isfinite(line.t0)) s = std::max(s, sizeOf(line.at(line.t0)));
    if (std::isfinite(line.t1)) s = std::max(s, sizeOf(line.at(line.t1)));
    return s;
}

void appendUnique(AcGePoint3dArray& points, const AcGePoint3d& p, double tol) {
    for (const AcGePoint3d& q : points)
        if (q.distanceTo(p) <= tol) return;
    points.append(p);
}

namespace {

bool inRange(const LinePiece& l, double t, double tol) {
    double len = l.d.length();
    double slack = len > 0 ? tol / len : 0.0;
    return t >= l.t0 - slack && t <= l.t1 + slack;
}

void lineLine(const LinePiece& a, const LinePiece& b, double tol, AcGePoint3dArray& out) {
    double aa = a.d.dotProduct(a.d), cc = b.d.dotProduct(b.d);
    if (aa == 0.0 || cc == 0.0) return;
    double bb = a.d.dotProduct(b.d);
    double den = aa * cc - bb * bb;  // |a.d x b.d|^2
    if (den <= 1e-24 * aa * cc) return;  // parallel: no isolated point
    AcGeVector3d w = a.p - b.p;
    double dd = a.d.dotProduct(w), ee = b.d.dotProduct(w);
    double t = (bb * ee - cc * dd) / den;
    double u = (aa * ee - bb * dd) / den;
    if (!inRange(a, t, tol) || !inRange(b, u, tol)) return;
    AcGePoint3d p = a.at(t), q = b.at(u);
    if (p.distanceTo(q) > tol) return;
    appendUnique(out, p, tol);
}

// Points of an unbounded-or-not line on the full circle of an arc, then kept when on the arc.
void lineCircle(const LinePiece& l, const ArcPiece& c, double tol, AcGePoint3dArray& cand) {
    double dl = l.d.length();
    if (dl == 0.0 || c.r <= 0.0) return;
    double dn = l.d.dotProduct(c.n);
    double pn = (l.p - c.c).dotProduct(c.n);
    if (std::fabs(dn) > 1e-12 * dl) {
        // The line crosses the plane once; is that point inside the line's range?
        double t = -pn / dn;
        AcGePoint3d p = l.at(t);
        // A line lying almost in the plane is handled in the plane when it stays within tol.
        bool flat = std::isfinite(l.t0) && std::isfinite(l.t1) &&
                    std::fabs((l.at(l.t0) - c.c).dotProduct(c.n)) <= tol &&
                    std::fabs((l.at(l.t1) - c.c).dotProduct(c.n)) <= tol;
        if (!flat) {
            if (inRange(l, t, tol) && std::fabs(p.distanceTo(c.c) - c.r) <= tol) cand.append(p);
            return;
        }
    } else if (std::fabs(pn) > tol) {
        return;
    }
    // In the plane: solve in the arc's axes.
    AcGeVector3d rel = l.p - c.c;
    double px = rel.dotProduct(c.x), py = rel.dotProduct(c.y);
    double dx = l.d.dotProduct(c.x), dy = l.d.dotProduct(c.y);
    double a = dx * dx + dy * dy;
    if (a == 0.0) return;
    double tf = -(px * dx + py * dy) / a;
    double h = std::hypot(px + tf * dx, py + tf * dy);
    if (h > c.r + tol) return;
    if (c.r - h <= tol) {
        cand.append(l.at(tf));  // tangent
        return;
    }
    double s = std::sqrt((c.r - h) * (c.r + h) / a);
    cand.append(l.at(tf - s));
    cand.append(l.at(tf + s));
}

void lineArc(const LinePiece& l, const ArcPiece& c, double tol, AcGePoint3dArray& out) {
    AcGePoint3dArray cand;
    lineCircle(l, c, tol, cand);
    for (const AcGePoint3d& p : cand) {
        double len = l.d.length();
        double t = (p - l.p).dotProduct(l.d) / (len * len);
        if (inRange(l, t, tol) && c.contains(c.angleOf(p), tol)) appendUnique(out, p, tol);
    }
}

bool onCircle(const ArcPiece& c, const AcGePoint3d& p, double tol) {
    return std::fabs((p - c.c).dotProduct(c.n)) <= tol && std::fabs(p.distanceTo(c.c) - c.r) <= tol;
}

void arcArc(const ArcPiece& a, const ArcPiece& b, double tol, AcGePoint3dArray& out) {
    if (a.r <= 0.0 || b.r <= 0.0) return;
    AcGePoint3dArray cand;
    AcGeVector3d cross = a.n.crossProduct(b.n);
    if (cross.length() <= 1e-12) {
        double off = (b.c - a.c).dotProduct(a.n);
        if (std::fabs(off) > tol) return;
        AcGeVector3d dv = (b.c - a.c) - a.n * off;
        double d = dv.length();
        if (d <= tol) return;  // concentric: none, or the same circle
        if (d > a.r + b.r + tol || d < std::fabs(a.r - b.r) - tol) return;
        AcGeVector3d u = dv / d, v = a.n.crossProduct(u);
        if (std::fabs(d - (a.r + b.r)) <= tol) {
            cand.append(a.c + u * a.r);
        } else if (std::fabs(d - std::fabs(a.r - b.r)) <= tol) {
            cand.append(a.c + u * (a.r >= b.r ? a.r : -a.r));
        } else {
            double x = (d * d + a.r * a.r - b.r * b.r) / (2.0 * d);
            double h = std::sqrt(std::max(0.0, (a.r - x) * (a.r + x)));
            cand.append(a.c + u * x + v * h);
            cand.append(a.c + u * x - v * h);
        }
    } else {
        // The planes meet in a line; the points are where that line meets both circles.
        double n1n2 = a.n.dotProduct(b.n);
        double d1 = a.n.dotProduct(a.c.asVector()), d2 = b.n.dotProduct(b.c.asVector());
        double den = cross.lengthSqrd();
        AcGeVector3d p0 = (a.n * (d1 - d2 * n1n2) + b.n * (d2 - d1 * n1n2)) / den;
        LinePiece l{AcGePoint3d::kOrigin + p0, cross.normal(), -kInf, kInf};
        AcGePoint3dArray onA;
        lineCircle(l, a, tol, onA);
        for (const AcGePoint3d& p : onA)
            if (onCircle(b, p, tol)) cand.append(p);
    }
    for (const AcGePoint3d& p : cand)
        if (a.contains(a.angleOf(p), tol) && b.contains(b.angleOf(p), tol)) appendUnique(out, p, tol);
}

}  // namespace

void intersect(const Piece& a, const Piece& b, double tol, AcGePoint3dArray& points) {
    if (!a.isArc && !b.isArc) lineLine(a.line, b.line, tol, points);
    else if (!a.isArc) lineArc(a.line, b.arc, tol, points);
    else if (!b.isArc) lineArc(b.line, a.arc, tol, points);
    else arcArc(a.arc, b.arc, tol, points);
}

AcGePoint3d closestOnLine(const LinePiece& l, const AcGePoint3d& q, double* tOut) {
    double dd = l.d.dotProduct(l.d);
    double t = dd > 0 ? (q - l.p).dotProduct(l.d) / dd : 0.0;
    t = std::clamp(t, l.t0, l.t1);
    if (tOut) *tOut = t;
    return l.at(t);
}

AcGePoint3d closestOnArc(const ArcPiece& arc, const AcGePoint3d& q, double* angleOut) {
    AcGeVector3d v = q - arc.c;
    v -= arc.n * v.dotProduct(arc.n);
    double a = v.length() > 0 ? std::atan2(v.dotProduct(arc.y), v.dotProduct(arc.x)) : arc.a0;
    if (!arc.contains(a, 0.0)) {
        AcGePoint3d s = arc.start(), e = arc.end();
        a = q.distanceTo(s) <= q.distanceTo(e) ? arc.a0 : arc.a0 + arc.sweep;
    }
    if (angleOut) *angleOut = a;
    return arc.at(a);
}

AcGePoint3d closestOn(const Piece& piece, const AcGePoint3d& q) {
    return piece.isArc ? closestOnArc(piece.arc, q) : closestOnLine(piece.line, q);
}

void addArcExtents(const ArcPiece& arc, AcDbExtents& ext) {
    ext.addPoint(arc.start());
    ext.addPoint(arc.end());
    for (int i = 0; i < 3; ++i) {
        double xi = arc.x[i], yi = arc.y[i];
        if (std::hypot(xi, yi) <= 1e-15) continue;
        double a = std::atan2(yi, xi);  // the coordinate is largest here, smallest half a turn on
        for (double cand : {a, a + kPi})
            if (arc.contains(cand, 0.0)) ext.addPoint(arc.at(cand));
    }
}

int arcSteps(double radius, double sweep, double deviation) {
    sweep = std::fabs(sweep);
    if (!(radius > 0) || !(sweep > 0)) return 1;
    if (!(deviation > 0)) deviation = radius * 1e-3;
    double step = kPi / 2;
    if (deviation < radius) step = std::min(step, 2.0 * std::acos(1.0 - deviation / radius));
    double n = std::ceil(sweep / step);
    return static_cast<int>(std::clamp(n, 1.0, 4096.0));
}

void flattenArc(const ArcPiece& arc, double deviation, AcGePoint3dArray& path, bool withFirst) {
    int n = arcSteps(arc.r, arc.sweep, deviation);
    for (int k = withFirst ? 0 : 1; k <= n; ++k) path.append(arc.at(arc.a0 + arc.sweep * k / n));
}

bool circleThrough(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& c, AcGePoint3d& center,
                   double& radius) {
    AcGeVector3d ab = b - a, ac = c - a;
    AcGeVector3d n = ab.crossProduct(ac);
    double nn = n.lengthSqrd();
    if (!(nn > 1e-24 * ab.lengthSqrd() * ac.lengthSqrd()) || nn == 0.0) return false;
    AcGeVector3d off = (n.crossProduct(ab) * ac.lengthSqrd() + ac.crossProduct(n) * ab.lengthSqrd()) / (2.0 * nn);
    center = a + off;
    radius = off.length();
    return true;
}

BulgeSeg makeBulgeSeg(const AcGePoint2d& p0, const AcGePoint2d& p1, double bulge) {
    BulgeSeg s;
    s.p0 = p0;
    s.p1 = p1;
    s.bulge = bulge;
    AcGeVector2d ch = p1 - p0;
    double len = ch.length();
    if (std::isfinite(bulge) && std::fabs(bulge) > 1e-12 && len > 0) {
        s.isArc = true;
        s.theta = 4.0 * std::atan(bulge);
        s.r = len * (1.0 + bulge * bulge) / (4.0 * std::fabs(bulge));
        double h = 0.5 * len * (1.0 - bulge * bulge) / (2.0 * bulge);  // centre offset, left of the chord
        AcGeVector2d left(-ch.y / len, ch.x / len);
        s.c = p0 + ch * 0.5 + left * h;
        s.a0 = std::atan2(p0.y - s.c.y, p0.x - s.c.x);
    }
    return s;
}

AcGePoint2d BulgeSeg::point(double u) const {
    if (u == 0.0) return p0;
    if (u == 1.0) return p1;
    if (!isArc) return p0 + (p1 - p0) * u;
    double a = a0 + theta * u;
    return {c.x + r * std::cos(a), c.y + r * std::sin(a)};
}

AcGeVector2d BulgeSeg::deriv1(double u) const {
    if (!isArc) return p1 - p0;
    double a = a0 + theta * u;
    return {-r * theta * std::sin(a), r * theta * std::cos(a)};
}

AcGeVector2d BulgeSeg::deriv2(double u) const {
    if (!isArc) return {0, 0};
    double a = a0 + theta * u;
    double k = -r * theta * theta;
    return {k * std::cos(a), k * std::sin(a)};
}

double BulgeSeg::length() const { return isArc ? r * std::fabs(theta) : (p1 - p0).length(); }

double BulgeSeg::nearestParam(const AcGePoint2d& q) const {
    if (!isArc) {
        AcGeVector2d ch = p1 - p0;
        double dd = ch.dotProduct(ch);
        return dd > 0 ? std::clamp((q - p0).dotProduct(ch) / dd, 0.0, 1.0) : 0.0;
    }
    double ang = std::atan2(q.y - c.y, q.x - c.x);
    double sweep = std::fabs(theta);
    double rel = theta > 0 ? wrap2Pi(ang - a0) : wrap2Pi(a0 - ang);
    if (rel <= sweep) return rel / sweep;
    return q.distanceTo(p0) <= q.distanceTo(p1) ? 0.0 : 1.0;
}

Piece worldPiece(const BulgeSeg& s, const Frame& f, double elevation) {
    if (!s.isArc) {
        AcGePoint3d a = f.toWorld(s.p0.x, s.p0.y, elevation), b = f.toWorld(s.p1.x, s.p1.y, elevation);
        return Piece::of(LinePiece{a, b - a, 0.0, 1.0});
    }
    ArcPiece arc;
    arc.c = f.toWorld(s.c.x, s.c.y, elevation);
    arc.r = s.r;
    arc.x = f.x;
    arc.y = f.y;
    arc.n = f.n;
    arc.a0 = s.theta > 0 ? s.a0 : s.a0 + s.theta;
    arc.sweep = std::fabs(s.theta);
    return Piece::of(arc);
}

double segmentArea(const BulgeSeg& s) {
    if (!s.isArc) return 0.0;
    return 0.5 * s.r * s.r * (s.theta - std::sin(s.theta));
}

}  // namespace cadhost::curve
