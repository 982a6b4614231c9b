#include "Utilities.h"
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include "ModuleState.h"
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/arc.h"
#include "db/attdef.h"
#include "db/circle.h"
#include "db/database.h"
#include "db/ellipse.h"
#include "db/minsert.h"
#include "db/polyline2d.h"
#include "db/ray.h"
#include "db/symtab.h"
#include "db/text.h"
#include "db/units.h"
#include "ed/docman.h"
#include "ed/winapp.h"
#include "ge/acutgeom.h"
#include "rx/print.h"
#include "win/resources.h"

namespace {

constexpr int kStringBuffer = 1000;
// Half the step on either side of a crossing at which the curve's direction is tested.
constexpr double kSideStep = 2e-06;
// Numbered variants copyBlockDefinition tries after the name itself.
constexpr int kNameVariants = 255;

AcDbDatabase* workingDatabase() {
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    return services ? services->workingDatabase() : nullptr;
}

// The drawing a definition belongs to; the working drawing for ids without one.
AcDbDatabase* databaseOf(AcDbObjectId id) {
    AcDbDatabase* db = id.database();
    return db ? db : workingDatabase();
}

std::unique_ptr<AcDbText>& textScratch() {
    static std::unique_ptr<AcDbText> scratch;
    return scratch;
}

void focusCommandLine() {
    if (AcEdCommandLineWindow* commandLine = acedGetAcadDockCmdLine()) commandLine->SetFocus();
}

// A parameter taken around the ends of a closed curve's range.
double wrappedParam(const AcDbCurve* curve, double param) {
    double start = 0.0, end = 0.0;
    if (curve->getStartParam(start) != Acad::eOk || curve->getEndParam(end) != Acad::eOk || !(end > start))
        return param;
    const double period = end - start;
    if (param < start) param += period;
    if (param > end) param -= period;
    return param;
}

// Reads a whole number from the text acdbRToS made of a count; false when the formatting fails
// or the count does not fit the grid.
bool wholeCountOf(double value, Adesk::UInt16& count) {
    char text[160] = {0};
    if (acdbRToS(value, 2, 4, text, sizeof text) != RTNORM) return false;
    const long n = std::strtol(text, nullptr, 10);
    if (n < 1 || n > 0xFFFF) return false;
    count = static_cast<Adesk::UInt16>(n);
    return true;
}

// Stretches the rows (index 1) or columns (index 2) of a multiple insert to the dragged end.
void moveMInsertStretchPoints(AcDbMInsertBlock* grid, const AcDbIntArray& indices, const AcGeVector3d& v) {
    for (int i = 0; i < indices.length(); ++i) {
        const int index = indices[i];
        const AcGePoint3d insertion = grid->position();
        if (index == 0) {
            grid->setPosition(insertion + v);
        } else if (index == 1 && grid->rows() > 1) {
            const double spacing = grid->rowSpacing();
            const AcGePoint3d end =
                insertion + grid->blockTransform() * AcGeVector3d(0, grid->rows() * spacing, 0) + v;
            Adesk::UInt16 rows = 0;
            if (spacing == 0.0 || !wholeCountOf(end.distanceTo(insertion) / std::fabs(spacing), rows)) return;
            grid->setRows(rows);
        } else if (index == 2 && grid->columns() > 1) {
            const double spacing = grid->columnSpacing();
            const AcGePoint3d end =
                insertion + grid->blockTransform() * AcGeVector3d(grid->columns() * spacing, 0, 0) + v;
            Adesk::UInt16 columns = 0;
            if (spacing == 0.0 || !wholeCountOf(end.distanceTo(insertion) / std::fabs(spacing), columns)) return;
            grid->setColumns(columns);
        }
    }
}

}  // namespace

// ---- small functions ----

double toRadians(double degrees) { return degrees * kZeftPi / 180.0; }

double angleOf(const AcGePoint3d& from, const AcGePoint3d& to) {
    const ads_point a = {from.x, from.y, from.z};
    const ads_point b = {to.x, to.y, to.z};
    return acutAngle(a, b);
}

CString loadResString(unsigned id) {
    char buffer[kStringBuffer] = {0};
    if (LoadString(static_cast<HINSTANCE>(moduleInstance()), id, buffer, kStringBuffer) <= 0) return CString();
    return CString(buffer);
}

AcGePoint3d polarPoint(double distance, double angle, const AcGePoint3d& base) {
    const ads_point from = {base.x, base.y, base.z};
    ads_point to = {0.0, 0.0, 0.0};
    acutPolar(from, angle, distance, to);
    return AcGePoint3d(to[X], to[Y], to[Z]);
}

void pointAlong(const AcGePoint3d& base, AcGePoint3d& target, double distance) {
    target = polarPoint(distance, angleOf(base, target), base);
}

AcDbBlockTableRecord* currentSpaceRecord(bool forWrite) {
    AcDbDatabase* db = workingDatabase();
    if (!db) return nullptr;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return nullptr;
    AcDbBlockTableRecord* record = nullptr;
    const char* space = db->tilemode() ? ACDB_MODEL_SPACE : ACDB_PAPER_SPACE;
    if (table->getAt(space, record, forWrite ? AcDb::kForWrite : AcDb::kForRead) != Acad::eOk) record = nullptr;
    table->close();
    return record;
}

CString symbolRecordName(AcDbObjectId id) {
    AcDbSymbolTableRecord* record = nullptr;
    if (id.isNull() || acdbOpenObject(record, id, AcDb::kForRead) != Acad::eOk) return CString();
    const char* name = nullptr;
    CString result;
    if (record->getName(name) == Acad::eOk) result = name;
    record->close();
    return result;
}

double normalizeAngle(double angle) {
    if (!std::isfinite(angle) || angle - 1.0 == angle) return 0.0;
    double r = angle / kZeftTwoPi;
    r = (r - std::trunc(r)) * kZeftTwoPi;
    if (r < 0.0) r += kZeftTwoPi;
    if (r >= kZeftTwoPi) r -= kZeftTwoPi;
    return r;
}

bool containsId(const AcDbObjectIdArray& ids, const AcDbObjectId& id) {
    for (const AcDbObjectId& each : ids)
        if (each == id) return true;
    return false;
}

bool containsGripPoint(AcDbObjectId definitionId) {
    AcDbBlockTableRecord* block = nullptr;
    if (definitionId.isNull() || acdbOpenObject(block, definitionId, AcDb::kForRead) != Acad::eOk) return false;
    AcDbBlockTableRecordIterator* it = nullptr;
    bool found = false;
    if (block->newIterator(it) == Acad::eOk) {
        for (; !found && !it->done(); it->step()) {
            AcDbEntity* entity = nullptr;
            if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
            found = entity->isA() == ZEFTGripPoint::desc();
            entity->close();
        }
        delete it;
    }
    block->close();
    return found;
}

ZEFTAttribute* attributeOfDefinition(const AcDbEntity* entity, const ZEFTBlockReference* reference) {
    if (!entity || !reference || !entity->isKindOf(ZEFTAttributeDefinition::desc())) return nullptr;
    const AcDbObjectId definitionId = entity->objectId();
    const int count = reference->attributeCount();
    for (int i = 0; i < count; ++i) {
        ZEFTAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, reference->getAttribute(i), AcDb::kForRead) != Acad::eOk) continue;
        if (attribute->definitionId() == definitionId) return attribute;
        attribute->close();
    }
    return nullptr;
}

bool mInsertCorners(const AcDbEntity* entity, AcGePoint3dArray& points) {
    if (!entity || entity->isA() != AcDbMInsertBlock::desc()) return false;
    const auto* grid = static_cast<const AcDbMInsertBlock*>(entity);
    const AcGePoint3d insertion = grid->position();
    const AcGeMatrix3d xform = grid->blockTransform();
    points.append(insertion);
    points.append(grid->rows() > 1 ? insertion + xform * AcGeVector3d(0, grid->rows() * grid->rowSpacing(), 0)
                                   : insertion);
    points.append(grid->columns() > 1
                      ? insertion + xform * AcGeVector3d(grid->columns() * grid->columnSpacing(), 0, 0)
                      : insertion);
    return true;
}

// ---- private copies of definitions ----

CString uniqueCopyName(AcDbObjectId definitionId) {
    AcDbDatabase* db = databaseOf(definitionId);
    if (!db) return CString();
    // A private definition is named after its source without the leading asterisk, so that
    // copies of copies keep valid names.
    CString name = symbolRecordName(definitionId);
    name.TrimLeft("*");
    if (name.IsEmpty()) return CString();
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return CString();
    CString candidate;
    for (unsigned long n = 1;; ++n) {
        candidate = CString("*") + name + CString(std::to_string(n));
        if (!table->has(candidate)) break;
    }
    table->close();
    return candidate;
}

AcDbObjectId copyBlockDefinition(AcDbObjectId sourceId, const char* name, ZEFTBlockReference*) {
    AcDbDatabase* db = databaseOf(sourceId);
    if (!db || !name || !*name) return AcDbObjectId::kNull;

    AcDbBlockTableRecord* source = nullptr;
    if (sourceId.isNull() || acdbOpenObject(source, sourceId, AcDb::kForRead) != Acad::eOk) return AcDbObjectId::kNull;
    const AcGePoint3d origin = source->origin();
    AcDbObjectIdArray ids;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (source->newIterator(it) == Acad::eOk) {
        for (; !it->done(); it->step()) {
            AcDbObjectId id;
            if (it->getEntityId(id) == Acad::eOk) ids.append(id);
        }
        delete it;
    }
    source->close();

    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId::kNull;
    CString newName(name);
    for (int n = 0; table->has(newName) && n < kNameVariants; ++n) newName = CString(name) + CString(std::to_string(n));
    if (table->has(newName)) {
        table->close();
        return AcDbObjectId::kNull;
    }
    auto* record = new AcDbBlockTableRecord();
    AcDbObjectId copyId;
    if (record->setName(newName) != Acad::eOk || record->setOrigin(origin) != Acad::eOk ||
        table->add(copyId, record) != Acad::eOk) {
        delete record;  // never joined the drawing (a name the table refuses, for one)
        table->close();
        return AcDbObjectId::kNull;
    }
    record->close();
    table->close();

    if (!ids.isEmpty()) {
        AcDbIdMapping idMap;
        db->deepCloneObjects(ids, copyId, idMap, false);
    }
    return copyId;
}

// ---- point-in-outline test ----

int curveSideOfRay(const AcDbCurve* curve, double parameter, const AcGeVector3d& direction,
                   const AcGeVector3d& normal) {
    AcGeVector3d first(0, 0, 0);
    curve->getFirstDeriv(parameter, first);
    if (!first.isParallelTo(direction)) return first.crossProduct(direction).dotProduct(normal) >= 0.0 ? 1 : 0;
    AcGeVector3d second(0, 0, 0);
    curve->getSecondDeriv(parameter, second);
    if (second.isZeroLength() || second.isParallelTo(direction)) return 2;
    return second.crossProduct(direction).dotProduct(normal) < 0.0 ? 1 : 0;
}

bool pointInsideCurve(const AcDbCurve* curve, const AcGePoint3d& point) {
    if (!curve || !curve->isClosed()) return false;
    if (const auto* polyline = AcDb2dPolyline::cast(curve); polyline && polyline->polyType() != AcDb::k2dSimplePoly)
        return false;

    AcGePoint3d closest;
    if (curve->getClosestPointTo(point, closest, false) != Acad::eOk) return false;
    if (closest.isEqualTo(point)) return true;

    AcGePlane plane;
    AcDb::Planarity planarity = AcDb::kNonPlanar;
    if (curve->getPlane(plane, planarity) != Acad::eOk || planarity != AcDb::kPlanar) return false;
    const AcGeVector3d normal = plane.normal();
    const AcGeVector3d direction = normal.perpVector();

    AcDbRay ray;
    ray.setBasePoint(point);
    ray.setUnitDir(direction);
    AcGePoint3dArray crossings;
    if (curve->intersectWith(&ray, AcDb::kOnBothOperands, crossings) != Acad::eOk || crossings.isEmpty())
        return false;

    int touches = 0;
    for (const AcGePoint3d& crossing : crossings) {
        double param = 0.0;
        if (curve->getParamAtPoint(crossing, param) != Acad::eOk) return false;
        const int before = curveSideOfRay(curve, wrappedParam(curve, param - kSideStep), direction, normal);
        const int after = curveSideOfRay(curve, wrappedParam(curve, param + kSideStep), direction, normal);
        if ((before == 1 && after == 0) || (before == 0 && after == 1)) ++touches;
    }
    return (crossings.length() + touches) % 2 == 1;
}

bool pointInsidePoints(const AcGePoint3dArray& points, const AcGePoint3d& point) {
    if (points.isEmpty()) return false;
    AcGePoint3dArray vertices = points;
    AcDb2dPolyline outline(AcDb::k2dSimplePoly, vertices, points.first().z, true, 0.0, 0.0, nullptr);
    return pointInsideCurve(&outline, point);
}

bool pointInsideGripOutline(const ZEFTGripPoint* grip, const AcGePoint3d& point, int list) {
    if (!grip || list < 0 || list > 1) return false;
    return pointInsidePoints(grip->pointLists[list], point);
}

// ---- stretch points of entities ----

void entityStretchPoints(const AcDbEntity* entity, AcGePoint3dArray& points) {
    if (!entity) return;
    if (mInsertCorners(entity, points)) return;
    if (entity->isA() == AcDbCircle::desc()) {
        points.append(static_cast<const AcDbCircle*>(entity)->center());
        return;
    }
    if (entity->isKindOf(AcDbAttributeDefinition::desc())) {
        if (ZEFTAttribute* attribute = attributeOfDefinition(entity, stretchBlockReference)) {
            attribute->getStretchPoints(points);
            attribute->close();
        }
    }
    if (entity->isA() == AcDbArc::desc() || entity->isA() == AcDbEllipse::desc()) {
        AcDbIntArray osnapModes, geomIds;
        entity->getGripPoints(points, osnapModes, geomIds);
        return;
    }
    entity->getStretchPoints(points);
}

void reportStretchFailure() {
    if (AcApDocManager* manager = acDocManagerPtr()) {
        if (AcApDocument* document = manager->curDocument()) {
            focusCommandLine();
            manager->sendStringToExecute(document, "_u ", false, true, false);
        }
    }
    acutPrintf("%s", loadResString(kStretchFailedString).GetString());
}

void moveEntityStretchPoints(AcDbEntity* entity, const AcDbIntArray& indices, const AcGeVector3d& v,
                             ZEFTBlockReference* reference) {
    if (!entity) return;
    if (entity->isA() == AcDbMInsertBlock::desc()) {
        moveMInsertStretchPoints(static_cast<AcDbMInsertBlock*>(entity), indices, v);
        return;
    }
    Acad::ErrorStatus es = Acad::eOk;
    if (entity->isKindOf(AcDbArc::desc()) || entity->isA() == AcDbEllipse::desc()) {
        es = entity->moveGripPointsAt(indices, v);
    } else if (entity->isA() == ZEFTBlockReference::desc()) {
        auto* nested = static_cast<ZEFTBlockReference*>(entity);
        nested->stretchOnly = true;
        es = nested->moveGripPointsAt(indices, v);
        nested->stretchOnly = false;
    } else if (entity->isKindOf(AcDbAttributeDefinition::desc())) {
        const int count = reference ? reference->attributeCount() : 0;
        for (int i = 0; i < count; ++i) {
            ZEFTAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, reference->getAttribute(i), AcDb::kForWrite) != Acad::eOk) continue;
            const bool belongs = attribute->definitionId() == entity->objectId();
            if (belongs) es = attribute->moveGripPointsAt(indices, v);
            attribute->close();
            if (belongs) break;
        }
    } else {
        es = entity->moveStretchPointsAt(indices, v);
    }
    if (es == Acad::eOk) return;

    // Once per move: the reference being moved keeps the flag.
    ZEFTBlockReference* guard = reference ? reference : stretchBlockReference;
    if (guard && guard->stretchFailureReported) return;
    if (guard) guard->stretchFailureReported = true;
    reportStretchFailure();
}

// ---- snapping to dimensional settings ----

void snapToDimensionalSettings(const ZEFTGripPoint* grip, int a, int b, AcGeVector3d& v, int k) {
    if (!grip || k < 0 || k >= grip->smartGripData.length()) return;
    const AcGePoint3dArray& sub = grip->subPoints;
    if (a < 0 || b < 0 || a >= sub.length() || b >= sub.length()) return;
    const CSmartGripData& setting = grip->smartGripData[k];
    const AcGePoint3d from = sub[a];
    AcGePoint3d moved = sub[b] + v;
    const double distance = from.distanceTo(moved);

    if (setting.values.length() >= 2) {
        double chosen = setting.values[0];
        for (int i = 1; i < setting.values.length(); ++i)
            if (std::fabs(setting.values[i] - distance) < std::fabs(chosen - distance)) chosen = setting.values[i];
        pointAlong(from, moved, chosen);
    } else {
        // One value is the increment; without one only the limits apply.
        if (setting.values.length() == 1 && setting.values[0] > 0.0) {
            const double increment = setting.values[0];
            const double steps = distance / increment;
            const double whole = std::trunc(steps);
            pointAlong(from, moved, (steps - whole < 0.5 ? whole : whole + 1.0) * increment);
        }
        if (distance < setting.minimum && setting.minimum > 0.0) pointAlong(from, moved, setting.minimum);
        if (distance > setting.maximum && setting.maximum > 0.0) pointAlong(from, moved, setting.maximum);
    }
    v = moved - sub[b];
}

// ---- texts ----

Acad::ErrorStatus transformedTextCopy(const AcDbText* text, const AcGeMatrix3d& matrix, AcDbEntity*& copy) {
    copy = nullptr;
    if (!text) return Acad::eNullObjectPointer;
    std::unique_ptr<AcDbText>& scratch = textScratch();
    if (!scratch) scratch = std::make_unique<AcDbText>();
    // Attribute definitions and other derived texts come over by their properties.
    if (text->isA() != AcDbText::desc() || scratch->copyFrom(text) != Acad::eOk) {
        scratch->setPropertiesFrom(text);
        scratch->setTextPropertiesFrom(text);
    }
    const AcGePoint3d position = scratch->position();
    const AcGePoint3d alignment = scratch->alignmentPoint();
    const Acad::ErrorStatus es = scratch->getTransformedCopy(matrix, copy);
    if (es == Acad::eOk && copy) {
        if (auto* moved = AcDbText::cast(copy)) {
            moved->setPosition(matrix * position);
            moved->setAlignmentPoint(matrix * alignment);
        }
    }
    return es;
}

void releaseTextScratch() { textScratch().reset(); }
