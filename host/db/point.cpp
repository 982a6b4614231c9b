#include "db/point.h"
#include <cmath>
#include "db/curvesupport.h"
#include "db/entitysupport.h"
#include "gi/geometry.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbPoint, AcDbEntity, "POINT", ACRX_HOST_CONS(AcDbPoint))

using namespace cadhost::curve;

namespace {
const char* const kMarkers[] = {"AcDbPoint", nullptr};
}

AcDbPoint::AcDbPoint() = default;
AcDbPoint::AcDbPoint(const AcGePoint3d& position) : m_position(position) {}
AcDbPoint::~AcDbPoint() = default;

AcGePoint3d AcDbPoint::position() const { assertReadEnabled(); return m_position; }
double AcDbPoint::thickness() const { assertReadEnabled(); return m_thickness; }
AcGeVector3d AcDbPoint::normal() const { assertReadEnabled(); return m_normal; }
double AcDbPoint::ecsRotation() const { assertReadEnabled(); return m_rotation; }

Acad::ErrorStatus AcDbPoint::setPosition(const AcGePoint3d& p) {
    assertWriteEnabled();
    m_position = p;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::setThickness(double t) {
    if (!std::isfinite(t)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_thickness = t;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::setNormal(const AcGeVector3d& n) {
    AcGeVector3d unit;
    if (!cadhost::ent::unitNormal(n, unit)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = unit;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::setEcsRotation(double a) {
    if (!std::isfinite(a)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_rotation = a;
    return Acad::eOk;
}

void AcDbPoint::draw(AcGiGeometry& g) const {
    AcGePoint3d pts[2] = {m_position, m_position};
    if (m_thickness != 0.0) pts[1] = m_position + m_normal * m_thickness;
    g.polyline(2, pts);
}

Adesk::Boolean AcDbPoint::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || mode->regenAbort()) return Adesk::kTrue;
    draw(mode->geometry());
    return Adesk::kTrue;
}

void AcDbPoint::viewportDraw(AcGiViewportDraw* mode) {
    assertReadEnabled();
    if (mode && !mode->regenAbort()) draw(mode->geometry());
}

void AcDbPoint::list() const {
    assertReadEnabled();
    AcDbEntity::list();
    listPoint("at point,", m_position);
    if (m_thickness != 0.0) listDistance("Thickness =", m_thickness);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) listVector("Extrusion direction", m_normal);
}

Acad::ErrorStatus AcDbPoint::getGripPoints(AcGePoint3dArray& grips, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    grips.append(m_position);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!validIndices(indices, 1)) return Acad::eInvalidIndex;
    if (indices.isEmpty()) return Acad::eOk;
    assertWriteEnabled();
    m_position += offset;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::getStretchPoints(AcGePoint3dArray& points) const {
    assertReadEnabled();
    points.append(m_position);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus AcDbPoint::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d&, const AcGePoint3d&,
                                            const AcGeMatrix3d&, AcGePoint3dArray& points, AcDbIntArray&) const {
    assertReadEnabled();
    if (mode == AcDb::kOsModeNode || mode == AcDb::kOsModeNear) points.append(m_position);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    m_position.transformBy(xform);
    transformExtrusion(xform, m_normal, m_thickness);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    return transformedClone(this, xform, copy);
}

Acad::ErrorStatus AcDbPoint::explode(AcDbVoidPtrArray&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbPoint::getGeomExtents(AcDbExtents& ext) const {
    assertReadEnabled();
    ext = AcDbExtents();
    ext.addPoint(m_position);
    if (m_thickness != 0.0) ext.addPoint(m_position + m_normal * m_thickness);
    return Acad::eOk;
}

void AcDbPoint::getOutline(AcArray<AcGePoint3dArray>& paths, double) const {
    assertReadEnabled();
    AcGePoint3dArray path;
    path.append(m_position);
    paths.append(path);
}

Acad::ErrorStatus AcDbPoint::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint3d(m_position);
    filer->writeDouble(m_thickness);
    filer->writeVector3d(m_normal);
    filer->writeDouble(m_rotation);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbPoint::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer); es != Acad::eOk) return es;
    AcGePoint3d p;
    double t = 0.0, r = 0.0;
    AcGeVector3d n;
    filer->readPoint3d(&p);
    filer->readDouble(&t);
    filer->readVector3d(&n);
    filer->readDouble(&r);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    m_position = p;
    m_thickness = t;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    m_rotation = std::isfinite(r) ? r : 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    if (Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbPoint");
    filer->writePoint3d(10, m_position);
    if (m_thickness != 0.0 || writesDefaults(filer)) filer->writeDouble(39, m_thickness);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis) || writesDefaults(filer)) filer->writeVector3d(210, m_normal);
    if (m_rotation != 0.0 || writesDefaults(filer)) cadhost::ent::writeAngle(filer, 50, m_rotation);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbPoint::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer); es != Acad::eOk) return es;
    filer->atSubclassData("AcDbPoint");
    AcGePoint3d p;
    double t = 0.0, r = 0.0;
    AcGeVector3d n = AcGeVector3d::kZAxis;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (nextDxfGroup(filer, rb, es, kMarkers)) {
        switch (rb.restype) {
        case 10: p = cadhost::ent::groupPoint(rb); break;
        case 39: t = cadhost::ent::groupReal(rb); break;
        case 210: n = cadhost::ent::groupVector(rb); break;
        case 50: r = cadhost::ent::groupAngle(rb); break;
        default: break;
        }
    }
    if (es != Acad::eOk) return es;
    m_position = p;
    m_thickness = t;
    if (!cadhost::ent::unitNormal(n, m_normal)) m_normal = AcGeVector3d::kZAxis;
    m_rotation = std::isfinite(r) ? r : 0.0;
    return filer->filerStatus();
}
