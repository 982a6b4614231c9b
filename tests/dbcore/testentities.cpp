#include "testentities.h"
#include <algorithm>
#include <numbers>

ACRX_DXF_DEFINE_MEMBERS(DbTestPoint, AcDbEntity, 0, 0, 0, "DBTESTPOINT", "DbCoreTests")
ACRX_DXF_DEFINE_MEMBERS(DbTestSegment, AcDbCurve, 0, 0, 0, "DBTESTSEGMENT", "DbCoreTests")
ACRX_DXF_DEFINE_MEMBERS(DbTestCircle, AcDbCurve, 0, 0, 0, "DBTESTCIRCLE", "DbCoreTests")
ACRX_DXF_DEFINE_MEMBERS(DbTestPersistentReactor, AcDbObject, 0, 0, 0, "DBTESTREACTOR", "DbCoreTests")

EventLog* DbTestPersistentReactor::log = nullptr;

namespace {
const bool registered = [] {
    DbTestPoint::rxInit();
    DbTestSegment::rxInit();
    DbTestCircle::rxInit();
    DbTestPersistentReactor::rxInit();
    acrxBuildClassHierarchy();
    return true;
}();
}  // namespace

Acad::ErrorStatus DbTestPoint::transformBy(const AcGeMatrix3d& m) {
    assertWriteEnabled();
    m_pos = m * m_pos;
    return Acad::eOk;
}

Acad::ErrorStatus DbTestPoint::getGeomExtents(AcDbExtents& ext) const {
    assertReadEnabled();
    ext = AcDbExtents(m_pos, m_pos);
    return Acad::eOk;
}

Acad::ErrorStatus DbTestPoint::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint3d(m_pos);
    return filer->filerStatus();
}

Acad::ErrorStatus DbTestPoint::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer); es != Acad::eOk) return es;
    filer->readPoint3d(&m_pos);
    return filer->filerStatus();
}

Acad::ErrorStatus DbTestSegment::getGeomExtents(AcDbExtents& ext) const {
    ext = AcDbExtents();
    ext.addPoint(m_a);
    ext.addPoint(m_b);
    return Acad::eOk;
}

Acad::ErrorStatus DbTestCircle::getEndParam(double& t) const {
    t = 2 * std::numbers::pi;
    return Acad::eOk;
}

Acad::ErrorStatus DbTestCircle::getPointAtParam(double t, AcGePoint3d& p) const {
    p = AcGePoint3d(m_r * std::cos(t), m_r * std::sin(t), 0);
    return Acad::eOk;
}

void EventLog::add(const std::string& what, const AcDbObject* obj) {
    events.push_back(what + ":" + (obj ? obj->objectId().handle().ascii() : std::string("-")));
}

bool EventLog::contains(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }

AcDbObjectId addToModelSpace(AcDbDatabase* db, AcDbEntity* entity) {
    AcDbBlockTableRecord* ms = nullptr;
    AcDbObjectId id;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return id;
    if (ms->appendAcDbEntity(id, entity) == Acad::eOk) entity->close();
    ms->close();
    return id;
}

AcDbObjectId addLayer(AcDbDatabase* db, const char* name, Adesk::UInt16 color) {
    AcDbLayerTable* table = nullptr;
    AcDbObjectId id;
    if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return id;
    auto* layer = new AcDbLayerTableRecord;
    layer->setName(name);
    layer->setColor(AcCmColor::fromIndex(color));
    if (table->add(id, layer) == Acad::eOk) layer->close();
    else delete layer;
    table->close();
    return id;
}
