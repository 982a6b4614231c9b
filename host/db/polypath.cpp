#include "db/polypath.h"
#include <algorithm>
#include <cmath>
#include "db/arc.h"
#include "db/curvesupport.h"
#include "db/entitysupport.h"
#include "db/line.h"
#include "gi/geometry.h"

namespace cadhost::curve {

namespace {
constexpr double kParamSlack = 1e-9;
}

PolyPath::PolyPath(std::vector<PolyVertex> vertices, bool closed, const AcGeVector3d& normal, double elevation)
    : m_verts(std::move(vertices)), m_closed(closed), m_frame(frameOf(normal)), m_elevation(elevation) {
    double size = std::fabs(elevation);
    for (const PolyVertex& v : m_verts) size = std::max({size, std::fabs(v.p.x), std::fabs(v.p.y)});
    m_tol = tolerance(size);
}

int PolyPath::numSegs() const {
    int n = numVerts();
    if (n < 2) return 0;
    return m_closed ? n : n - 1;
}

BulgeSeg PolyPath::seg(int i) const {
    int n = numVerts();
    const PolyVertex& a = m_verts[static_cast<size_t>(i)];
    const PolyVertex& b = m_verts[static_cast<size_t>((i + 1) % n)];
    return makeBulgeSeg(a.p, b.p, a.bulge);
}

AcGePoint2d PolyPath::planar(const AcGePoint3d& p) const {
    AcGePoint3d o = m_frame.toOcs(p);
    return {o.x, o.y};
}

bool PolyPath::locate(double param, int& s, double& u) const {
    if (!std::isfinite(param) || m_verts.empty()) return false;
    int ns = numSegs();
    if (param < -kParamSlack || param > ns + kParamSlack) return false;
    param = std::clamp(param, 0.0, static_cast<double>(ns));
    if (ns == 0) {
        s = -1;
        u = 0.0;
        return true;
    }
    int i = static_cast<int>(std::floor(param));
    if (i >= ns) {
        s = ns - 1;
        u = 1.0;
    } else {
        s = i;
        u = param - i;
    }
    return true;
}

Acad::ErrorStatus PolyPath::endParam(double& param) const {
    if (m_verts.empty()) return Acad::eInvalidInput;
    param = numSegs();
    return Acad::eOk;
}

Acad::ErrorStatus PolyPath::pointAtParam(double param, AcGePoint3d& point) const {
    int s;
    double u;
    if (!locate(param, s, u)) return Acad::eInvalidInput;
    point = s < 0 ? world(m_verts[0].p) : world(seg(s).point(u));
    return Acad::eOk;
}

Acad::ErrorStatus PolyPath::paramAtPoint(const AcGePoint3d& point, double& param) const {
    if (m_verts.empty()) return Acad::eInvalidInput;
    AcGePoint3d o = m_frame.toOcs(point);
    if (std::fabs(o.z - m_elevation) > m_tol) return Acad::eInvalidInput;
    AcGePoint2d q(o.x, o.y);
    int ns = numSegs();
    if (ns == 0) {
        if (q.distanceTo(m_verts[0].p) > m_tol) return Acad::eInvalidInput;
        param = 0.0;
        return Acad::eOk;
    }
    double best = kInf, bestParam = 0.0;
    for (int i = 0; i < ns; ++i) {
        BulgeSeg s = seg(i);
        double u = s.nearestParam(q);
        double d = s.point(u).distanceTo(q);
        if (d < best) {
            best = d;
            bestParam = i + u;
        }
    }
    if (best > m_tol) return Acad::eInvalidInput;
    param = bestParam;
    return Acad::eOk;
}

Acad::ErrorStatus PolyPath::deriv(double param, int order, AcGeVector3d& d) const {
    int s;
    double u;
    if (!locate(param, s, u)) return Acad::eInvalidInput;
    if (s < 0) {
        d = AcGeVector3d(0, 0, 0);
        return Acad::eOk;
    }
    BulgeSeg b = seg(s);
    d = worldVec(order == 1 ? b.deriv1(u) : b.deriv2(u));
    return Acad::eOk;
}

Acad::ErrorStatus PolyPath::distAtParam(double param, double& dist) const {
    int s;
    double u;
    if (!locate(param, s, u)) return Acad::eInvalidInput;
    dist = 0.0;
    for (int i = 0; i < s; ++i) dist += seg(i).length();
    if (s >= 0) dist += seg(s).length() * u;
    return Acad::eOk;
}

Acad::ErrorStatus PolyPath::paramAtDist(double dist, double& param) const {
    if (m_verts.empty() || !std::isfinite(dist)) return Acad::eInvalidInput;
    double total = length();
    if (dist < -m_tol || dist > total + m_tol) return Acad::eInvalidInput;
    double left = std::clamp(dist, 0.0, total);
    int ns = numSegs();
    for (int i = 0; i < ns; ++i) {
        double len = seg(i).length();
        if (left <= len) {
            param = i + (len > 0 ? left / len : 0.0);
            return Acad::eOk;
        }
        left -= len;
    }
    param = ns;
    return Acad::eOk;
}

double PolyPath::length() const {
    double len = 0.0;
    for (int i = 0; i < numSegs(); ++i) len += seg(i).length();
    return len;
}

AcGePoint3d PolyPath::closestPoint(const AcGePoint3d& given) const {
    if (m_verts.empty()) return given;
    std::vector<Piece> ps;
    pieces(ps);
    AcGePoint3d best = world(m_verts[0].p);
    double bestD = best.distanceTo(given);
    for (const Piece& p : ps) {
        AcGePoint3d c = closestOn(p, given);
        if (double d = c.distanceTo(given); d < bestD) {
            bestD = d;
            best = c;
        }
    }
    return best;
}

double PolyPath::area() const {
    int n = numVerts();
    if (n < 2) return 0.0;
    double a = 0.0;
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& p = m_verts[static_cast<size_t>(i)].p;
        const AcGePoint2d& q = m_verts[static_cast<size_t>((i + 1) % n)].p;
        a += 0.5 * (p.x * q.y - q.x * p.y);
    }
    for (int i = 0; i < numSegs(); ++i) a += segmentArea(seg(i));
    return std::fabs(a);
}

void PolyPath::pieces(std::vector<Piece>& out) const {
    for (int i = 0; i < numSegs(); ++i) {
        BulgeSeg s = seg(i);
        if (!s.isDegenerate()) out.push_back(worldPiece(s, m_frame, m_elevation));
    }
}

void PolyPath::extents(AcDbExtents& ext, double thickness) const {
    AcDbExtents box;
    for (const PolyVertex& v : m_verts) box.addPoint(world(v.p));
    for (int i = 0; i < numSegs(); ++i) {
        BulgeSeg s = seg(i);
        if (s.isArc) addArcExtents(worldPiece(s, m_frame, m_elevation).arc, box);
    }
    if (box.isEmpty()) return;
    ext.addExt(box);
    if (thickness != 0.0) {
        AcGeVector3d lift = m_frame.n * thickness;
        ext.addPoint(box.minPoint() + lift);
        ext.addPoint(box.maxPoint() + lift);
    }
}

void PolyPath::outline(AcArray<AcGePoint3dArray>& paths, double deviation) const {
    if (m_verts.empty()) return;
    AcGePoint3dArray path;
    path.append(world(m_verts[0].p));
    for (int i = 0; i < numSegs(); ++i) {
        BulgeSeg s = seg(i);
        if (s.isArc) {
            int n = arcSteps(s.r, s.theta, deviation);
            for (int k = 1; k <= n; ++k) path.append(world(s.point(k == n ? 1.0 : double(k) / n)));
        } else {
            path.append(world(s.p1));
        }
    }
    paths.append(path);
}

void PolyPath::snaps(AcDb::OsnapMode mode, const AcGePoint3d& pick, const AcGePoint3d& last,
                     AcGePoint3dArray& points) const {
    if (m_verts.empty()) return;
    switch (mode) {
    case AcDb::kOsModeEnd:
        for (const PolyVertex& v : m_verts) appendUnique(points, world(v.p), m_tol);
        return;
    case AcDb::kOsModeNear:
        points.append(closestPoint(pick));
        return;
    default: break;
    }
    std::vector<Piece> ps;
    pieces(ps);
    AcGePoint3dArray found;
    for (const Piece& p : ps) pieceSnaps(p, mode, pick, last, found);
    for (const AcGePoint3d& p : found) appendUnique(points, p, m_tol);
}

Acad::ErrorStatus PolyPath::explode(const AcDbEntity* source, double thickness, AcDbVoidPtrArray& entities) const {
    int first = entities.length();
    for (int i = 0; i < numSegs(); ++i) {
        BulgeSeg s = seg(i);
        if (s.isDegenerate()) continue;
        AcDbEntity* e = nullptr;
        if (s.isArc) {
            double a0 = s.theta > 0 ? s.a0 : s.a0 + s.theta;
            auto* arc = new AcDbArc(world(s.c), m_frame.n, s.r, a0, a0 + std::fabs(s.theta));
            arc->setThickness(thickness);
            e = arc;
        } else {
            auto* line = new AcDbLine(world(s.p0), world(s.p1));
            line->setNormal(m_frame.n);
            line->setThickness(thickness);
            e = line;
        }
        if (Acad::ErrorStatus es = e->setPropertiesFrom(source); es != Acad::eOk) {
            delete e;
            cadhost::ent::deleteEntities(entities, first);
            return es;
        }
        entities.append(e);
    }
    return Acad::eOk;
}

void PolyPath::draw(AcGiGeometry& g, AcGiSubEntityTraits& traits, double deviation, double thickness) const {
    std::vector<AcGePoint3d> run;
    auto flush = [&] {
        if (run.size() >= 2) g.polyline(static_cast<Adesk::UInt32>(run.size()), run.data());
        run.clear();
    };
    for (int i = 0; i < numSegs(); ++i) {
        BulgeSeg s = seg(i);
        const PolyVertex& v = m_verts[static_cast<size_t>(i)];
        if ((v.startWidth > 0 || v.endWidth > 0) && !s.isDegenerate()) {
            flush();
            int steps = s.isArc ? arcSteps(s.r, s.theta, deviation) : 1;
            std::vector<AcGePoint3d> band(static_cast<size_t>(2 * (steps + 1)));
            for (int k = 0; k <= steps; ++k) {
                double u = double(k) / steps;
                AcGePoint2d p = s.point(u);
                AcGeVector2d t = s.deriv1(u).normal();
                AcGeVector2d left(-t.y, t.x);
                double half = 0.5 * (v.startWidth + (v.endWidth - v.startWidth) * u);
                band[static_cast<size_t>(k)] = world(p + left * half);
                band[band.size() - 1 - static_cast<size_t>(k)] = world(p - left * half);
            }
            AcGiFillType fill = traits.fillType();
            traits.setFillType(kAcGiFillAlways);
            g.polygon(static_cast<Adesk::UInt32>(band.size()), band.data());
            traits.setFillType(fill);
            continue;
        }
        if (!s.isArc) {
            if (run.empty()) run.push_back(world(s.p0));
            run.push_back(world(s.p1));
            continue;
        }
        flush();
        ArcPiece arc = worldPiece(s, m_frame, m_elevation).arc;
        AcGeVector3d startVector = arc.x * std::cos(arc.a0) + arc.y * std::sin(arc.a0);
        g.circularArc(arc.c, arc.r, arc.n, startVector, arc.sweep);
    }
    flush();
    if (numSegs() == 0 && !m_verts.empty()) {
        AcGePoint3d p[2] = {world(m_verts[0].p), world(m_verts[0].p)};
        g.polyline(2, p);
    }
    if (thickness != 0.0) {
        std::vector<Piece> ps;
        pieces(ps);
        drawExtrusion(g, ps, m_frame.n, thickness);
    }
}

}  // namespace cadhost::curve
