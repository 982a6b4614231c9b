#include "db/polyline2d.h"
#include <algorithm>
#include <cmath>
#include "db/curvesupport.h"
#include "db/database.h"
#include "db/entitysupport.h"
#include "db/hostinternal.h"
#include "db/objectiterator.h"
#include "db/polypath.h"
#include "db/seqend.h"
#include "db/vertex2d.h"
#include "gi/geometry.h"
#include "rx/print.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDb2dPolyline, AcDbCurve, "POLYLINE", ACRX_HOST_CONS(AcDb2dPolyline))

using namespace cadhost::curve;

namespace {
const char* const kMarkers[] = {"AcDb2dPolyline", nullptr};
constexpr int kReserveLimit = 1 << 16;

bool validType(int type) { return type >= AcDb::k2dSimplePoly && type <= AcDb::k2dCubicSplinePoly; }
double validWidth(double w) { return std::isfinite(w) && w > 0 ? w : 0.0; }
}  // namespace

AcDb2dPolyline::AcDb2dPolyline() = default;

AcDb2dPolyline::AcDb2dPolyline(AcDb::Poly2dType type, AcGePoint3dArray& vertices, double elevation, bool closed,
                               double defStartWidth, double defEndWidth, AcGeDoubleArray* bulges)
    : m_type(validType(type) ? type : AcDb::k2dSimplePoly),
      m_closed(closed),
      m_defaultStart(validWidth(defStartWidth)),
      m_defaultEnd(validWidth(defEndWidth)),
      m_elevation(std::isfinite(elevation) ? elevation : 0.0) {
    m_vertices.reserve(static_cast<size_t>(vertices.length()));
    for (int i = 0; i < vertices.length(); ++i) {
        double b = bulges && i < bulges->length() ? (*bulges)[i] : 0.0;
        const AcGePoint3d& p = vertices[i];
        m_vertices.push_back(
            {AcDbObjectId::kNull, new AcDb2dVertex(AcGePoint3d(p.x, p.y, m_elevation), b, m_defaultStart, m_defaultEnd)});
    }
}

AcDb2dPolyline::~AcDb2dPolyline() { deleteLocalVertices(); }

void AcDb2dPolyline::deleteLocalVertices() {
    for (Slot& s : m_vertices) {
        delete s.local;
        s.local = nullptr;
    }
}

// ---- vertices ----

const AcDb2dVertex* AcDb2dPolyline::vertexOf(const Slot& s) const {
    if (s.local) return s.local;
    if (s.id.isNull() || s.id.isErased()) return nullptr;
    return cadhost::db::peekAs<AcDb2dVertex>(s.id);
}

std::vector<const AcDb2dPolyline::Slot*> AcDb2dPolyline::liveSlots() const {
    std::vector<const Slot*> out;
    for (const Slot& s : m_vertices)
        if (vertexOf(s)) out.push_back(&s);
    return out;
}

PolyPath AcDb2dPolyline::path() const {
    assertReadEnabled();
    std::vector<PolyVertex> all, shown;
    for (const Slot* s : liveSlots()) {
        const AcDb2dVertex* v = vertexOf(*s);
        PolyVertex pv{AcGePoint2d(v->m_position.x, v->m_position.y), v->m_bulge, v->m_startWidth, v->m_endWidth};
        all.push_back(pv);
        if (v->m_type != AcDb::k2dSplineCtlVertex) shown.push_back(pv);
    }
    // A spline frame without fitted vertices is shown as it is.
    return PolyPath(shown.empty() ? std::move(all) : std::move(shown), m_closed, m_normal, m_elevation);
}

bool AcDb2dPolyline::hasBulges() const {
    for (const Slot* s : liveSlots())
        if (vertexOf(*s)->m_bulge != 0.0) return true;
    return false;
}

int AcDb2dPolyline::numVerts() const {
    assertReadEnabled();
    return static_cast<int>(liveSlots().size());
}

int AcDb2dPolyline::slotIndexOf(const AcDb2dVertex* vertex) const {
    if (!vertex) return -1;
    for (size_t i = 0; i < m_vertices.size(); ++i) {
        const Slot& s = m_vertices[i];
        if (s.local == vertex || (!s.id.isNull() && s.id == vertex->objectId())) return static_cast<int>(i);
    }
    return -1;
}

Acad::ErrorStatus AcDb2dPolyline::changeVertices(const std::vector<int>& which,
                                                 const std::function<void(AcDb2dVertex&)>& change) {
    std::vector<const Slot*> live = liveSlots();
    std::vector<const Slot*> chosen;
    if (which.empty()) chosen = live;
    for (int i : which) chosen.push_back(live[static_cast<size_t>(i)]);
    std::vector<AcDb2dVertex*> targets, opened;
    for (const Slot* s : chosen) {
        if (s->local) {
            targets.push_back(s->local);
            continue;
        }
        AcDb2dVertex* v = nullptr;
        if (Acad::ErrorStatus es = acdbOpenObject(v, s->id, AcDb::kForWrite); es != Acad::eOk) {
            for (AcDb2dVertex* o : opened) o->close();
            return es;
        }
        opened.push_back(v);
        targets.push_back(v);
    }
    assertWriteEnabled();
    for (AcDb2dVertex* v : targets) change(*v);
    for (AcDb2dVertex* o : opened) o->close();
    return Acad::eOk;
}

void AcDb2dPolyline::adoptVertices(bool makeSequenceEnd) {
    AcDbDatabase* db = database();
    if (!isDatabaseResident() || !db || !isWriteEnabled()) return;
    bool changed = false;
    for (Slot& s : m_vertices) {
        if (!s.local) continue;
        AcDb2dVertex* v = s.local;
        v->setPropertiesFrom(this);
        v->internalBindToDatabase(db);
        v->internalSetOwner(objectId());
        AcDbObjectId id;
        if (db->addAcDbObject(id, v) != Acad::eOk) continue;  // stays in memory
        v->close();
        s.id = id;
        s.local = nullptr;
        changed = true;
    }
    if (makeSequenceEnd && m_sequenceEnd.isNull()) {
        auto* end = new AcDbSequenceEnd();
        end->setPropertiesFrom(this);
        end->internalBindToDatabase(db);
        end->internalSetOwner(objectId());
        AcDbObjectId id;
        if (db->addAcDbObject(id, end) == Acad::eOk) {
            end->close();
            m_sequenceEnd = id;
            changed = true;
        } else {
            delete end;
        }
    }
    if (changed) assertWriteEnabled();
}

Acad::ErrorStatus AcDb2dPolyline::subClose() {
    adoptVertices(true);
    return AcDbCurve::subClose();
}

Acad::ErrorStatus AcDb2dPolyline::subErase(bool erasing) {
    std::vector<AcDbObjectId> ids;
    for (const Slot& s : m_vertices)
        if (!s.id.isNull()) ids.push_back(s.id);
    if (!m_sequenceEnd.isNull()) ids.push_back(m_sequenceEnd);
    for (AcDbObjectId id : ids) {
        if (id.isErased() == erasing) continue;
        AcDbObject* obj = nullptr;
        if (acdbOpenObject(obj, id, AcDb::kForWrite, true) == Acad::eOk) {
            obj->erase(erasing);
            obj->close();
        }
    }
    return AcDbCurve::subErase(erasing);
}

Acad::ErrorStatus AcDb2dPolyline::insertSlot(size_t at, AcDbObjectId& id, AcDb2dVertex* vertex) {
    id = AcDbObjectId::kNull;
    if (!vertex) return Acad::eNullObjectPointer;
    if (slotIndexOf(vertex) >= 0) return Acad::eInvalidInput;
    at = std::min(at, m_vertices.size());
    bool vertexInDb = cadhost::db::peek(vertex->objectId()) == vertex;
    if (!isDatabaseResident()) {
        if (vertexInDb) return Acad::eWrongDatabase;
        assertWriteEnabled();
        m_vertices.insert(m_vertices.begin() + static_cast<std::ptrdiff_t>(at), Slot{AcDbObjectId::kNull, vertex});
        return Acad::eOk;
    }
    AcDbDatabase* db = database();
    if (!db) return Acad::eNoDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    assertWriteEnabled();
    adoptVertices(false);
    if (vertexInDb) {
        if (vertex->database() != db) return Acad::eWrongDatabase;
        id = vertex->objectId();
        vertex->internalSetOwner(objectId());
    } else {
        vertex->setPropertiesFrom(this);
        vertex->internalBindToDatabase(db);
        vertex->internalSetOwner(objectId());
        if (Acad::ErrorStatus es = db->addAcDbObject(id, vertex); es != Acad::eOk) return es;
    }
    m_vertices.insert(m_vertices.begin() + static_cast<std::ptrdiff_t>(at), Slot{id, nullptr});
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDb2dVertex* vertex) {
    AcDbObjectId id;
    return appendVertex(id, vertex);
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex) {
    return insertSlot(m_vertices.size(), id, vertex);
}

Acad::ErrorStatus AcDb2dPolyline::insertVertexAt(const AcDb2dVertex* indexVertex, AcDb2dVertex* newVertex) {
    size_t at = 0;
    if (indexVertex) {
        int i = slotIndexOf(indexVertex);
        if (i < 0) return Acad::eInvalidInput;
        at = static_cast<size_t>(i) + 1;
    }
    AcDbObjectId id;
    return insertSlot(at, id, newVertex);
}

Acad::ErrorStatus AcDb2dPolyline::insertVertexAt(AcDbObjectId& newId, const AcDbObjectId& indexVertexId,
                                                 AcDb2dVertex* newVertex) {
    size_t at = 0;
    if (!indexVertexId.isNull()) {
        auto it = std::find_if(m_vertices.begin(), m_vertices.end(), [&](const Slot& s) { return s.id == indexVertexId; });
        if (it == m_vertices.end()) return Acad::eInvalidInput;
        at = static_cast<size_t>(it - m_vertices.begin()) + 1;
    }
    return insertSlot(at, newId, newVertex);
}

Acad::ErrorStatus AcDb2dPolyline::openVertex(AcDb2dVertex*& vertex, AcDbObjectId id, AcDb::OpenMode mode,
                                             bool openErased) const {
    assertReadEnabled();
    vertex = nullptr;
    if (id.isNull()) return Acad::eNullObjectId;
    if (std::none_of(m_vertices.begin(), m_vertices.end(), [&](const Slot& s) { return s.id == id; }))
        return Acad::eInvalidInput;
    return acdbOpenObject(vertex, id, mode, openErased);
}

Acad::ErrorStatus AcDb2dPolyline::openSequenceEnd(AcDbSequenceEnd*& sequenceEnd, AcDb::OpenMode mode) {
    assertReadEnabled();
    sequenceEnd = nullptr;
    if (m_sequenceEnd.isNull()) return Acad::eNullObjectId;
    return acdbOpenObject(sequenceEnd, m_sequenceEnd, mode);
}

AcDbObjectIterator* AcDb2dPolyline::vertexIterator() const {
    assertReadEnabled();
    std::vector<AcDbObjectId> ids;
    std::vector<AcDbEntity*> entities;
    for (const Slot& s : m_vertices) {
        ids.push_back(s.id);
        entities.push_back(s.local);
    }
    return new AcDbObjectIterator(std::move(ids), std::move(entities));
}

AcGePoint3d AcDb2dPolyline::vertexPosition(const AcDb2dVertex& vertex) const {
    assertReadEnabled();
    AcGePoint3d p = vertex.position();
    return frameOf(m_normal).toWorld(p.x, p.y, m_elevation);
}

AcDbObjectId AcDb2dPolyline::sequenceEndId() const {
    assertReadEnabled();
    return m_sequenceEnd;
}

std::vector<AcDbObjectId> AcDb2dPolyline::internalVertexIds() const {
    std::vector<AcDbObjectId> ids;
    for (const Slot& s : m_vertices)
        if (!s.id.isNull() && !s.id.isErased()) ids.push_back(s.id);
    return ids;
}

Acad::ErrorStatus AcDb2dPolyline::internalSetSequenceEnd(AcDbObjectId sequenceEnd) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (sequenceEnd == m_sequenceEnd) return Acad::eOk;
    if (!sequenceEnd.isNull()) {
        AcRxClass* cls = sequenceEnd.objectClass();
        if (!cls || !cls->isDerivedFrom(AcDbSequenceEnd::desc())) return Acad::eWrongObjectType;
        if (AcDbObject* end = cadhost::db::peek(sequenceEnd)) end->internalSetOwner(objectId());
    }
    assertWriteEnabled();
    if (!m_sequenceEnd.isNull()) {
        AcDbObject* old = nullptr;
        if (acdbOpenObject(old, m_sequenceEnd, AcDb::kForWrite) == Acad::eOk) {
            old->erase();
            old->close();
        }
    }
    m_sequenceEnd = sequenceEnd;
    return Acad::eOk;
}

// ---- properties ----

AcDb::Poly2dType AcDb2dPolyline::polyType() const { assertReadEnabled(); return m_type; }

Acad::ErrorStatus AcDb2dPolyline::setPolyType(AcDb::Poly2dType type) {
    if (!validType(type)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_type = type;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::makeClosed() { return setClosed(true); }
Acad::ErrorStatus AcDb2dPolyline::makeOpen() { return setClosed(false); }

Acad::ErrorStatus AcDb2dPolyline::setClosed(bool closed) {
    assertWriteEnabled();
    m_closed = closed;
    return Acad::eOk;
}

bool AcDb2dPolyline::isClosed() const { assertReadEnabled(); return m_closed; }
double AcDb2dPolyline::defaultStartWidth() const { assertReadEnabled(); return m_defaultStart; }
double AcDb2dPolyline::defaultEndWidth() const { assertReadEnabled(); return m_defaultEnd; }
double AcDb2dPolyline::elevation() const { assertReadEnabled(); return m_elevation; }
AcGeVector3d AcDb2dPolyline::normal() const { assertReadEnabled(); return m_normal; }
double AcDb2dPolyline::thickness() const { assertReadEnabled(); return m_thickness; }
bool AcDb2dPolyline::isLinetypeGenerationOn() const { assertReadEnabled(); return m_plinegen; }

Acad::ErrorStatus AcDb2dPolyline::setDefaultStartWidth(double w) {
    if (!(w >= 0) || !std::isfinite(w)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_defaultStart = w;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setDefaultEndWidth(double w) {
    if (!(w >= 0) || !std::isfinite(w)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_defaultEnd = w;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setElevation(double e) {
    if (!std::isfinite(e)) return Acad::eInvalidInput;
    Acad::ErrorStatus es = changeVertices({}, [e](AcDb2dVertex& v) {
        AcGePoint3d p = v.position();
        v.setPosition(AcGePoint3d(p.x, p.y, e));
    });
    if (es != Acad::eOk) return es;
    m_elevation = e;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setNormal(const AcGeVector3d& n) {
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(n, unit)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = unit;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setThickness(double t) {
    if (!std::isfinite(t)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_thickness = t;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setLinetypeGenerationOn() {
    assertWriteEnabled();
    m_plinegen = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setLinetypeGenerationOff() {
    assertWriteEnabled();
    m_plinegen = false;
    return Acad::eOk;
}

// ---- curve ----

Acad::ErrorStatus AcDb2dPolyline::getPlane(AcGePlane& plane, AcDb::Planarity& type) const {
    assertReadEnabled();
    plane.set(frameOf(m_normal).toWorld(0, 0, m_elevation), m_normal);
    type = AcDb::kPlanar;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::getStartParam(double& param) const {
    if (path().numVerts() == 0) return Acad::eInvalidInput;
    param = 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::getEndParam(double& param) const { return path().endParam(param); }

Acad::ErrorStatus AcDb2dPolyline::getStartPoint(AcGePoint3d& point) const { return path().pointAtParam(0.0, point); }

Acad::ErrorStatus AcDb2dPolyline::getEndPoint(AcGePoint3d& point) const {
    PolyPath p = path();
    double end;
    if (Acad::ErrorStatus es = p.endParam(end); es != Acad::eOk) return es;
    return p.pointAtParam(end, point);
}

Acad::ErrorStatus AcDb2dPolyline::getPointAtParam(double param, AcGePoint3d& point) const {
    return path().pointAtParam(param, point);
}

Acad::ErrorStatus AcDb2dPolyline::getParamAtPoint(const AcGePoint3d& point, double& param) const {
    return path().paramAtPoint(point, param);
}

Acad::ErrorStatus AcDb2dPolyline::getDistAtParam(double param, double& dist) const {
    return path().distAtParam(param, dist);
}

Acad::ErrorStatus AcDb2dPolyline::getParamAtDist(double dist, double& param) const {
    return path().paramAtDist(dist, param);
}

Acad::ErrorStatus AcDb2dPolyline::getFirstDeriv(double param, AcGeVector3d& deriv) const {
    return path().deriv(param, 1, deriv);
}

Acad::ErrorStatus AcDb2dPolyline::getSecondDeriv(double param, AcGeVector3d& deriv) const {
    return path().deriv(param, 2, deriv);
}

Acad::ErrorStatus AcDb2dPolyline::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool) const {
    PolyPath p = path();
    if (p.numVerts() == 0) return Acad::eInvalidInput;
    closest = p.closestPoint(given);
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::getArea(double& area) const {
    area = path().area();
    return Acad::eOk;
}

void AcDb2dPolyline::getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const {
    path().outline(paths, deviation);
}

// ---- entity ----

Adesk::Boolean AcDb2dPolyline::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return Adesk::kTrue;
    AcGePoint3d at = frameOf(m_normal).toWorld(0, 0, m_elevation);
    path().draw(mode->geometry(), mode->subEntityTraits(), mode->deviation(0, at), m_thickness);
    return Adesk::kTrue;
}

void AcDb2dPolyline::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return;
    AcGePoint3d at = frameOf(m_normal).toWorld(0, 0, m_elevation);
    path().draw(mode->geometry(), mode->subEntityTraits(), mode->deviation(0, at), m_thickness);
}

void AcDb2dPolyline::list() const {
    assertReadEnabled();
    AcDbCurve::list();
    static const char* const kTypes[] = {"Simple", "Curve fit", "Quadratic spline", "Cubic spline"};
    acutPrintf("%24s %s\n", m_closed ? "Closed" : "Open", kTypes[m_type]);
    if (m_defaultStart != 0.0 || m_defaultEnd != 0.0) {
        listDistance("default start width", m_defaultStart);
        listDistance("default end width", m_defaultEnd);
    }
    if (m_elevation != 0.0) listDistance("Elevation", m_elevation);
    if (m_thickness != 0.0) listDistance("Thickness", m_thickness);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) listVector("Extrusion direction", m_normal);
    PolyPath p = path();
    listDistance("area", p.area());
    listDistance(m_closed ? "perimeter" : "length", p.length());
    Frame f = frameOf(m_normal);
    for (const Slot* s : liveSlots()) {
        const AcDb2dVertex* v = vertexOf(*s);
        acutPrintf("%18s    Layer: \"%s\"\n", "VERTEX", layer());
        listPoint("at point", f.toWorld(v->m_position.x, v->m_position.y, m_elevation));
        if (v->m_bulge != 0.0) listDistance("bulge", v->m_bulge);
        if (v->m_startWidth != 0.0 || v->m_endWidth != 0.0) {
            listDistance("starting width", v->m_startWidth);
            listDistance("ending width", v->m_endWidth);
        }
    }
}

Acad::ErrorStatus AcDb2dPolyline::getGripPoints(AcGePoint3dArray& grips, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    Frame f = frameOf(m_normal);
    for (const Slot* s : liveSlots()) {
        const AcDb2dVertex* v = vertexOf(*s);
        grips.append(f.toWorld(v->m_position.x, v->m_position.y, m_elevation));
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::moveVertices(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    int n = static_cast<int>(liveSlots().size());
    if (!validIndices(indices, n)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    std::vector<int> which;
    for (int i : indices)
        if (std::find(which.begin(), which.end(), i) == which.end()) which.push_back(i);
    AcGeVector3d o = frameOf(m_normal).vecToOcs(offset);
    return changeVertices(which, [o](AcDb2dVertex& v) {
        AcGePoint3d p = v.position();
        v.setPosition(AcGePoint3d(p.x + o.x, p.y + o.y, p.z));
    });
}

Acad::ErrorStatus AcDb2dPolyline::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveVertices(indices, offset);
}

Acad::ErrorStatus AcDb2dPolyline::getStretchPoints(AcGePoint3dArray& points) const {
    AcDbIntArray modes, ids;
    return getGripPoints(points, modes, ids);
}

Acad::ErrorStatus AcDb2dPolyline::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveVertices(indices, offset);
}

Acad::ErrorStatus AcDb2dPolyline::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick,
                                                 const AcGePoint3d& last, const AcGeMatrix3d&,
                                                 AcGePoint3dArray& points, AcDbIntArray&) const {
    path().snaps(mode, pick, last, points);
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    PlanarTransform pt;
    if (Acad::ErrorStatus es = planarTransform(xform, m_normal, hasBulges(), pt); es != Acad::eOk) return es;
    Frame from = frameOf(m_normal), to = frameOf(pt.normal);
    double elevation = to.toOcs(xform * from.toWorld(0, 0, m_elevation)).z;
    std::vector<const Slot*> live = liveSlots();
    if (!live.empty()) {
        const AcGePoint3d& p = vertexOf(*live.front())->m_position;
        elevation = to.toOcs(xform * from.toWorld(p.x, p.y, m_elevation)).z;
    }
    const double oldElevation = m_elevation;
    Acad::ErrorStatus es = changeVertices({}, [&](AcDb2dVertex& v) {
        AcGePoint3d p = v.position();
        AcGePoint3d o = to.toOcs(xform * from.toWorld(p.x, p.y, oldElevation));
        v.setPosition(AcGePoint3d(o.x, o.y, elevation));
        if (pt.flip) v.setBulge(-v.bulge());
        v.setStartWidth(v.startWidth() * pt.widthScale);
        v.setEndWidth(v.endWidth() * pt.widthScale);
        AcGeVector3d dir = to.vecToOcs(xform * from.vecToWorld(std::cos(v.tangent()), std::sin(v.tangent())));
        if (dir.x != 0.0 || dir.y != 0.0) v.setTangent(wrap2Pi(std::atan2(dir.y, dir.x)));
    });
    if (es != Acad::eOk) return es;
    m_normal = pt.normal;
    m_elevation = elevation;
    m_thickness *= pt.thicknessScale;
    m_defaultStart *= pt.widthScale;
    m_defaultEnd *= pt.widthScale;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    return transformedClone(this, xform, copy);
}

Acad::ErrorStatus AcDb2dPolyline::explode(AcDbVoidPtrArray& entities) const {
    return path().explode(this, m_thickness, entities);
}

Acad::ErrorStatus AcDb2dPolyline::getGeomExtents(AcDbExtents& ext) const {
    PolyPath p = path();
    ext = AcDbExtents();
    if (p.numVerts() == 0) return Acad::eInvalidExtents;
    p.extents(ext, m_thickness);
    return Acad::eOk;
}

// ---- filing ----

Acad::ErrorStatus AcDb2dPolyline::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeInt16(static_cast<Adesk::Int16>(m_type));
    filer->writeBool(m_closed);
    filer->writeBool(m_plinegen);
    filer->writeDouble(m_defaultStart);
    filer->writeDouble(m_defaultEnd);
    filer->writeDouble(m_elevation);
    filer->writeDouble(m_thickness);
    filer->writeVector3d(m_normal);
    const bool copy = filer->filerType() == AcDb::kCopyFiler;
    const bool keepErased = filer->filerType() == AcDb::kUndoFiler;
    std::vector<const Slot*> written;
    for (const Slot& s : m_vertices)
        if (s.local || (keepErased && !s.id.isNull()) || vertexOf(s)) written.push_back(&s);
    filer->writeInt32(static_cast<Adesk::Int32>(written.size()));
    for (const Slot* s : written) {
        const AcDb2dVertex* v = vertexOf(*s);
        bool inlineData = s->local || (copy && v);
        filer->writeBool(inlineData);
        if (inlineData) v->writeData(filer);
        else filer->writeHardOwnershipId(AcDbHardOwnershipId(s->id));
    }
    bool withEnd = !copy && !m_sequenceEnd.isNull();
    filer->writeBool(withEnd);
    if (withEnd) filer->writeHardOwnershipId(AcDbHardOwnershipId(m_sequenceEnd));
    return filer->filerStatus();
}

Acad::ErrorStatus AcDb2dPolyline::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer); es != Acad::eOk) return es;
    Adesk::Int16 type = 0;
    bool closed = false, plinegen = false, withEnd = false;
    double ds = 0, de = 0, elevation = 0, thickness = 0;
    AcGeVector3d n;
    Adesk::Int32 count = 0;
    filer->readInt16(&type);
    filer->readBool(&closed);
    filer->readBool(&plinegen);
    filer->readDouble(&ds);
    filer->readDouble(&de);
    filer->readDouble(&elevation);
    filer->readDouble(&thickness);
    filer->readVector3d(&n);
    filer->readInt32(&count);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    if (count < 0 || !validType(type)) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    std::vector<Slot> slots;
    slots.reserve(static_cast<size_t>(std::min<Adesk::Int32>(count, kReserveLimit)));
    auto discard = [&] {
        for (Slot& s : slots) delete s.local;
    };
    for (Adesk::Int32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        bool inlineData = false;
        filer->readBool(&inlineData);
        if (inlineData) {
            auto* v = new AcDb2dVertex();
            v->readData(filer);
            slots.push_back({AcDbObjectId::kNull, v});
        } else {
            AcDbHardOwnershipId id;
            filer->readHardOwnershipId(&id);
            slots.push_back({id, nullptr});
        }
    }
    AcDbHardOwnershipId endId;
    if (filer->filerStatus() == Acad::eOk) filer->readBool(&withEnd);
    if (withEnd && filer->filerStatus() == Acad::eOk) filer->readHardOwnershipId(&endId);
    if (filer->filerStatus() != Acad::eOk) {
        discard();
        return filer->filerStatus();
    }
    deleteLocalVertices();
    m_vertices = std::move(slots);
    m_sequenceEnd = endId;
    m_type = static_cast<AcDb::Poly2dType>(type);
    m_closed = closed;
    m_plinegen = plinegen;
    m_defaultStart = validWidth(ds);
    m_defaultEnd = validWidth(de);
    m_elevation = std::isfinite(elevation) ? elevation : 0.0;
    m_thickness = std::isfinite(thickness) ? thickness : 0.0;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDb2dPolyline");
    filer->writeInt16(66, 1);
    filer->writePoint3d(10, AcGePoint3d(0, 0, m_elevation));
    if (m_thickness != 0.0 || writesDefaults(filer)) filer->writeDouble(39, m_thickness);
    int flags = (m_closed ? 1 : 0) | (m_plinegen ? 128 : 0);
    if (m_type == AcDb::k2dFitCurvePoly) flags |= 2;
    if (m_type == AcDb::k2dQuadSplinePoly || m_type == AcDb::k2dCubicSplinePoly) flags |= 4;
    filer->writeInt16(70, static_cast<Adesk::Int16>(flags));
    if (m_defaultStart != 0.0 || writesDefaults(filer)) filer->writeDouble(40, m_defaultStart);
    if (m_defaultEnd != 0.0 || writesDefaults(filer)) filer->writeDouble(41, m_defaultEnd);
    int curve = m_type == AcDb::k2dQuadSplinePoly ? 5 : m_type == AcDb::k2dCubicSplinePoly ? 6 : 0;
    if (curve != 0 || writesDefaults(filer)) filer->writeInt16(75, static_cast<Adesk::Int16>(curve));
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis) || writesDefaults(filer)) filer->writeVector3d(210, m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDb2dPolyline::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDb2dPolyline");
    int flags = 0, curve = 0;
    double elevation = 0.0, thickness = 0.0, ds = 0.0, de = 0.0;
    AcGeVector3d n = AcGeVector3d::kZAxis;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        switch (rb.restype) {
        case 10: elevation = cadhost::ent::groupPoint(rb).z; break;
        case 39: thickness = cadhost::ent::groupReal(rb); break;
        case 70: flags = cadhost::ent::groupInt(rb); break;
        case 40: ds = cadhost::ent::groupReal(rb); break;
        case 41: de = cadhost::ent::groupReal(rb); break;
        case 75: curve = cadhost::ent::groupInt(rb); break;
        case 210: n = cadhost::ent::groupVector(rb); break;
        default: break;  // 66, and the mesh counts 71-74
        }
    }
    if (es != Acad::eOk) return es;
    m_closed = (flags & 1) != 0;
    m_plinegen = (flags & 128) != 0;
    m_type = (flags & 4) ? (curve == 5 ? AcDb::k2dQuadSplinePoly : AcDb::k2dCubicSplinePoly)
             : (flags & 2) ? AcDb::k2dFitCurvePoly
                           : AcDb::k2dSimplePoly;
    m_elevation = std::isfinite(elevation) ? elevation : 0.0;
    m_thickness = std::isfinite(thickness) ? thickness : 0.0;
    m_defaultStart = validWidth(ds);
    m_defaultEnd = validWidth(de);
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return filer->filerStatus();
}
