#include "db/polyline.h"
#include <algorithm>
#include <cmath>
#include "db/curvesupport.h"
#include "db/entitysupport.h"
#include "db/polypath.h"
#include "gi/geometry.h"
#include "rx/print.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbPolyline, AcDbCurve, "LWPOLYLINE", ACRX_HOST_CONS(AcDbPolyline))

using namespace cadhost::curve;

namespace {
const char* const kMarkers[] = {"AcDbPolyline", nullptr};
// Counts beyond this in a file are not taken as a size to reserve.
constexpr int kReserveLimit = 1 << 16;
}  // namespace

AcDbPolyline::AcDbPolyline() = default;

AcDbPolyline::AcDbPolyline(unsigned int numVerts) {
    m_verts.reserve(std::min<unsigned int>(numVerts, kReserveLimit));
}

AcDbPolyline::~AcDbPolyline() = default;

PolyPath AcDbPolyline::path() const {
    assertReadEnabled();
    std::vector<PolyVertex> verts;
    verts.reserve(m_verts.size());
    for (const Vertex& v : m_verts) verts.push_back({v.point, v.bulge, v.startWidth, v.endWidth});
    return PolyPath(std::move(verts), m_closed, m_normal, m_elevation);
}

unsigned int AcDbPolyline::numVerts() const {
    assertReadEnabled();
    return static_cast<unsigned int>(m_verts.size());
}

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& point, double bulge,
                                            double startWidth, double endWidth) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(bulge) || !std::isfinite(startWidth) ||
        !std::isfinite(endWidth))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    double constant = 0.0;
    if ((startWidth < 0 || endWidth < 0) && getConstantWidth(constant) != Acad::eOk) constant = 0.0;
    Vertex v;
    v.point = point;
    v.bulge = bulge;
    v.startWidth = startWidth < 0 ? constant : startWidth;
    v.endWidth = endWidth < 0 ? constant : endWidth;
    size_t at = std::min<size_t>(index, m_verts.size());
    m_verts.insert(m_verts.begin() + static_cast<std::ptrdiff_t>(at), v);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
    assertReadEnabled();
    if (!validIndex(index)) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_verts.erase(m_verts.begin() + index);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& point) const {
    assertReadEnabled();
    if (!validIndex(index)) return Acad::eInvalidIndex;
    point = m_verts[index].point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& point) const {
    assertReadEnabled();
    if (!validIndex(index)) return Acad::eInvalidIndex;
    const AcGePoint2d& p = m_verts[index].point;
    point = frameOf(m_normal).toWorld(p.x, p.y, m_elevation);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& point) {
    assertReadEnabled();
    if (!validIndex(index)) return Acad::eInvalidIndex;
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_verts[index].point = point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const {
    assertReadEnabled();
    if (!validIndex(index)) return Acad::eInvalidIndex;
    bulge = m_verts[index].bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge) {
    assertReadEnabled();
    if (!validIndex(index)) return Acad::eInvalidIndex;
    if (!std::isfinite(bulge)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_verts[index].bulge = bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const {
    assertReadEnabled();
    if (!validIndex(index)) return Acad::eInvalidIndex;
    startWidth = m_verts[index].startWidth;
    endWidth = m_verts[index].endWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setWidthsAt(unsigned int index, double startWidth, double endWidth) {
    assertReadEnabled();
    if (!validIndex(index)) return Acad::eInvalidIndex;
    if (!(startWidth >= 0) || !(endWidth >= 0) || !std::isfinite(startWidth) || !std::isfinite(endWidth))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_verts[index].startWidth = startWidth;
    m_verts[index].endWidth = endWidth;
    return Acad::eOk;
}

AcDbPolyline::SegType AcDbPolyline::segType(unsigned int index) const {
    assertReadEnabled();
    size_t n = m_verts.size();
    if (n == 0 || index >= n) return kEmpty;
    if (n == 1) return kPoint;
    if (index == n - 1 && !m_closed) return kPoint;
    const Vertex& a = m_verts[index];
    const Vertex& b = m_verts[(index + 1) % n];
    if (a.point.isEqualTo(b.point)) return kCoincident;
    return a.bulge != 0.0 ? kArc : kLine;
}

Acad::ErrorStatus AcDbPolyline::getConstantWidth(double& width) const {
    assertReadEnabled();
    if (m_verts.empty()) {
        width = 0.0;
        return Acad::eOk;
    }
    double w = m_verts.front().startWidth;
    for (const Vertex& v : m_verts)
        if (v.startWidth != w || v.endWidth != w) return Acad::eNotApplicable;
    width = w;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setConstantWidth(double width) {
    if (!(width >= 0) || !std::isfinite(width)) return Acad::eInvalidInput;
    assertWriteEnabled();
    for (Vertex& v : m_verts) v.startWidth = v.endWidth = width;
    return Acad::eOk;
}

bool AcDbPolyline::closed() const { assertReadEnabled(); return m_closed; }
bool AcDbPolyline::isClosed() const { assertReadEnabled(); return m_closed; }

void AcDbPolyline::setClosed(bool closed) {
    assertWriteEnabled();
    m_closed = closed;
}

double AcDbPolyline::elevation() const { assertReadEnabled(); return m_elevation; }

void AcDbPolyline::setElevation(double elevation) {
    if (!std::isfinite(elevation)) return;
    assertWriteEnabled();
    m_elevation = elevation;
}

AcGeVector3d AcDbPolyline::normal() const { assertReadEnabled(); return m_normal; }

void AcDbPolyline::setNormal(const AcGeVector3d& normal) {
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(normal, unit)) return;
    assertWriteEnabled();
    m_normal = unit;
}

double AcDbPolyline::thickness() const { assertReadEnabled(); return m_thickness; }

Acad::ErrorStatus AcDbPolyline::setThickness(double t) {
    if (!std::isfinite(t)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_thickness = t;
    return Acad::eOk;
}

bool AcDbPolyline::hasPlinegen() const { assertReadEnabled(); return m_plinegen; }

void AcDbPolyline::setPlinegen(bool on) {
    assertWriteEnabled();
    m_plinegen = on;
}

bool AcDbPolyline::isOnlyLines() const { return !hasBulges(); }

bool AcDbPolyline::hasBulges() const {
    assertReadEnabled();
    return std::any_of(m_verts.begin(), m_verts.end(), [](const Vertex& v) { return v.bulge != 0.0; });
}

bool AcDbPolyline::hasWidth() const {
    assertReadEnabled();
    return std::any_of(m_verts.begin(), m_verts.end(),
                       [](const Vertex& v) { return v.startWidth != 0.0 || v.endWidth != 0.0; });
}

void AcDbPolyline::reset(bool reuse, unsigned int numVerts) {
    assertWriteEnabled();
    if (!reuse) m_verts.clear();
    else if (numVerts < m_verts.size()) m_verts.resize(numVerts);
}

// ---- curve ----

Acad::ErrorStatus AcDbPolyline::getPlane(AcGePlane& plane, AcDb::Planarity& type) const {
    assertReadEnabled();
    plane.set(frameOf(m_normal).toWorld(0, 0, m_elevation), m_normal);
    type = AcDb::kPlanar;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getStartParam(double& param) const {
    assertReadEnabled();
    if (m_verts.empty()) return Acad::eInvalidInput;
    param = 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getEndParam(double& param) const { return path().endParam(param); }

Acad::ErrorStatus AcDbPolyline::getStartPoint(AcGePoint3d& point) const { return path().pointAtParam(0.0, point); }

Acad::ErrorStatus AcDbPolyline::getEndPoint(AcGePoint3d& point) const {
    PolyPath p = path();
    double end;
    if (Acad::ErrorStatus es = p.endParam(end); es != Acad::eOk) return es;
    return p.pointAtParam(end, point);
}

Acad::ErrorStatus AcDbPolyline::getPointAtParam(double param, AcGePoint3d& point) const {
    return path().pointAtParam(param, point);
}

Acad::ErrorStatus AcDbPolyline::getParamAtPoint(const AcGePoint3d& point, double& param) const {
    return path().paramAtPoint(point, param);
}

Acad::ErrorStatus AcDbPolyline::getDistAtParam(double param, double& dist) const {
    return path().distAtParam(param, dist);
}

Acad::ErrorStatus AcDbPolyline::getParamAtDist(double dist, double& param) const {
    return path().paramAtDist(dist, param);
}

Acad::ErrorStatus AcDbPolyline::getFirstDeriv(double param, AcGeVector3d& deriv) const {
    return path().deriv(param, 1, deriv);
}

Acad::ErrorStatus AcDbPolyline::getSecondDeriv(double param, AcGeVector3d& deriv) const {
    return path().deriv(param, 2, deriv);
}

Acad::ErrorStatus AcDbPolyline::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool) const {
    assertReadEnabled();
    if (m_verts.empty()) return Acad::eInvalidInput;
    closest = path().closestPoint(given);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getArea(double& area) const {
    area = path().area();
    return Acad::eOk;
}

void AcDbPolyline::getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const {
    path().outline(paths, deviation);
}

// ---- entity ----

Adesk::Boolean AcDbPolyline::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return Adesk::kTrue;
    AcGePoint3d at = frameOf(m_normal).toWorld(0, 0, m_elevation);
    path().draw(mode->geometry(), mode->subEntityTraits(), mode->deviation(0, at), m_thickness);
    return Adesk::kTrue;
}

void AcDbPolyline::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return;
    AcGePoint3d at = frameOf(m_normal).toWorld(0, 0, m_elevation);
    path().draw(mode->geometry(), mode->subEntityTraits(), mode->deviation(0, at), m_thickness);
}

void AcDbPolyline::list() const {
    assertReadEnabled();
    AcDbCurve::list();
    acutPrintf("%24s\n", m_closed ? "Closed" : "Open");
    double w = 0.0;
    if (getConstantWidth(w) == Acad::eOk) listDistance("Constant width", w);
    if (m_elevation != 0.0) listDistance("Elevation", m_elevation);
    if (m_thickness != 0.0) listDistance("Thickness", m_thickness);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) listVector("Extrusion direction", m_normal);
    PolyPath p = path();
    listDistance("area", p.area());
    listDistance(m_closed ? "perimeter" : "length", p.length());
    for (unsigned int i = 0; i < m_verts.size(); ++i) {
        AcGePoint3d pt;
        getPointAt(i, pt);
        listPoint("at point", pt);
        const Vertex& v = m_verts[i];
        if (v.bulge != 0.0) listDistance("bulge", v.bulge);
        if (v.startWidth != v.endWidth || (v.startWidth != w)) {
            listDistance("starting width", v.startWidth);
            listDistance("ending width", v.endWidth);
        }
    }
}

Acad::ErrorStatus AcDbPolyline::getGripPoints(AcGePoint3dArray& grips, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    Frame f = frameOf(m_normal);
    for (const Vertex& v : m_verts) grips.append(f.toWorld(v.point.x, v.point.y, m_elevation));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::moveVertices(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, static_cast<int>(m_verts.size()))) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    AcGeVector3d o = frameOf(m_normal).vecToOcs(offset);
    assertWriteEnabled();
    std::vector<bool> moved(m_verts.size(), false);
    for (int i : indices) {
        if (moved[static_cast<size_t>(i)]) continue;
        moved[static_cast<size_t>(i)] = true;
        m_verts[static_cast<size_t>(i)].point += AcGeVector2d(o.x, o.y);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveVertices(indices, offset);
}

Acad::ErrorStatus AcDbPolyline::getStretchPoints(AcGePoint3dArray& points) const {
    AcDbIntArray modes, ids;
    return getGripPoints(points, modes, ids);
}

Acad::ErrorStatus AcDbPolyline::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveVertices(indices, offset);
}

Acad::ErrorStatus AcDbPolyline::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick,
                                               const AcGePoint3d& last, const AcGeMatrix3d&,
                                               AcGePoint3dArray& points, AcDbIntArray&) const {
    path().snaps(mode, pick, last, points);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::transformBy(const AcGeMatrix3d& xform) {
    PlanarTransform pt;
    if (Acad::ErrorStatus es = planarTransform(xform, normal(), hasBulges(), pt); es != Acad::eOk) return es;
    assertWriteEnabled();
    Frame from = frameOf(m_normal), to = frameOf(pt.normal);
    double elevation = to.toOcs(xform * from.toWorld(0, 0, m_elevation)).z;
    for (size_t i = 0; i < m_verts.size(); ++i) {
        Vertex& v = m_verts[i];
        AcGePoint3d o = to.toOcs(xform * from.toWorld(v.point.x, v.point.y, m_elevation));
        v.point = AcGePoint2d(o.x, o.y);
        if (i == 0) elevation = o.z;
        if (pt.flip) v.bulge = -v.bulge;
        v.startWidth *= pt.widthScale;
        v.endWidth *= pt.widthScale;
    }
    m_normal = pt.normal;
    m_elevation = elevation;
    m_thickness *= pt.thicknessScale;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    return transformedClone(this, xform, copy);
}

Acad::ErrorStatus AcDbPolyline::explode(AcDbVoidPtrArray& entities) const {
    return path().explode(this, m_thickness, entities);
}

Acad::ErrorStatus AcDbPolyline::getGeomExtents(AcDbExtents& ext) const {
    assertReadEnabled();
    ext = AcDbExtents();
    if (m_verts.empty()) return Acad::eInvalidExtents;
    path().extents(ext, m_thickness);
    return Acad::eOk;
}

// ---- filing ----

Acad::ErrorStatus AcDbPolyline::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeBool(m_closed);
    filer->writeBool(m_plinegen);
    filer->writeDouble(m_elevation);
    filer->writeDouble(m_thickness);
    filer->writeVector3d(m_normal);
    filer->writeInt32(static_cast<Adesk::Int32>(m_verts.size()));
    for (const Vertex& v : m_verts) {
        filer->writePoint2d(v.point);
        filer->writeDouble(v.bulge);
        filer->writeDouble(v.startWidth);
        filer->writeDouble(v.endWidth);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbPolyline::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer); es != Acad::eOk) return es;
    bool closed = false, plinegen = false;
    double elevation = 0.0, thickness = 0.0;
    AcGeVector3d n;
    Adesk::Int32 count = 0;
    filer->readBool(&closed);
    filer->readBool(&plinegen);
    filer->readDouble(&elevation);
    filer->readDouble(&thickness);
    filer->readVector3d(&n);
    filer->readInt32(&count);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    if (count < 0) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    std::vector<Vertex> verts;
    verts.reserve(static_cast<size_t>(std::min<Adesk::Int32>(count, kReserveLimit)));
    for (Adesk::Int32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        Vertex v;
        filer->readPoint2d(&v.point);
        filer->readDouble(&v.bulge);
        filer->readDouble(&v.startWidth);
        filer->readDouble(&v.endWidth);
        verts.push_back(v);
    }
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    m_verts = std::move(verts);
    m_closed = closed;
    m_plinegen = plinegen;
    m_elevation = elevation;
    m_thickness = thickness;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbPolyline");
    filer->writeInt32(90, static_cast<Adesk::Int32>(m_verts.size()));
    filer->writeInt16(70, static_cast<Adesk::Int16>((m_closed ? 1 : 0) | (m_plinegen ? 128 : 0)));
    double width = 0.0;
    bool constant = getConstantWidth(width) == Acad::eOk;
    if (constant) filer->writeDouble(43, width);
    if (m_elevation != 0.0 || writesDefaults(filer)) filer->writeDouble(38, m_elevation);
    if (m_thickness != 0.0 || writesDefaults(filer)) filer->writeDouble(39, m_thickness);
    for (const Vertex& v : m_verts) {
        filer->writePoint2d(10, v.point);
        if (!constant) {
            filer->writeDouble(40, v.startWidth);
            filer->writeDouble(41, v.endWidth);
        }
        if (v.bulge != 0.0 || writesDefaults(filer)) filer->writeDouble(42, v.bulge);
    }
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis) || writesDefaults(filer)) filer->writeVector3d(210, m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbPolyline::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDbPolyline");
    std::vector<Vertex> verts;
    int flags = 0;
    double width = 0.0, elevation = 0.0, thickness = 0.0;
    AcGeVector3d n = AcGeVector3d::kZAxis;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        switch (rb.restype) {
        case 90: {
            int count = cadhost::ent::groupInt(rb);
            if (count > 0) verts.reserve(static_cast<size_t>(std::min(count, kReserveLimit)));
            break;
        }
        case 70: flags = cadhost::ent::groupInt(rb); break;
        case 43:
            width = cadhost::ent::groupReal(rb);
            for (Vertex& v : verts) v.startWidth = v.endWidth = width;
            break;
        case 38: elevation = cadhost::ent::groupReal(rb); break;
        case 39: thickness = cadhost::ent::groupReal(rb); break;
        case 10: {
            AcGePoint3d p = cadhost::ent::groupPoint(rb);
            Vertex v;
            v.point = AcGePoint2d(p.x, p.y);
            v.startWidth = v.endWidth = width;
            verts.push_back(v);
            break;
        }
        case 40: if (!verts.empty()) verts.back().startWidth = cadhost::ent::groupReal(rb); break;
        case 41: if (!verts.empty()) verts.back().endWidth = cadhost::ent::groupReal(rb); break;
        case 42: if (!verts.empty()) verts.back().bulge = cadhost::ent::groupReal(rb); break;
        case 210: n = cadhost::ent::groupVector(rb); break;
        default: break;
        }
    }
    if (es != Acad::eOk) return es;
    for (const Vertex& v : verts)
        if (!std::isfinite(v.point.x) || !std::isfinite(v.point.y) || !std::isfinite(v.bulge))
            return filer->setError(Acad::eInvalidDxfCode, "polyline vertex is not a number");
    m_verts = std::move(verts);
    m_closed = (flags & 1) != 0;
    m_plinegen = (flags & 128) != 0;
    m_elevation = elevation;
    m_thickness = thickness;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return filer->filerStatus();
}
