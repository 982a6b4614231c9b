// Formula functions on variables, points, entities and grips.
#include <cmath>
#include <cstdlib>
#include <optional>
#include "FormulaContext.h"
#include "FormulaValues.h"
#include "GripDragContext.h"
#include "ModuleState.h"
#include "Utilities.h"
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/arc.h"
#include "db/attdef.h"
#include "db/circle.h"
#include "db/database.h"
#include "db/dimension.h"
#include "db/ellipse.h"
#include "db/mtext.h"
#include "db/text.h"
#include "ge/acutgeom.h"
#include "rx/print.h"
#include "theFunctions.h"

namespace {

CVariable* newPointAt(const AcGePoint3d& p) { return newPointValue(p.x, p.y, p.z); }

// The entity of a value, open for write; null when there is none or it cannot be opened.
AcDbEntity* openEntity(const CVariable* value) {
    if (!value) return nullptr;
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, value->GetObjectId(), AcDb::kForWrite) != Acad::eOk) return nullptr;
    return entity;
}

// Takes a heap text of the host and frees it.
CString takeText(char* text) {
    CString result(text ? text : "");
    std::free(text);
    return result;
}

// The points of a1 and aN, both present; false otherwise.
bool firstAndLastPoints(AcGePoint3d& a, AcGePoint3d& b) {
    FormulaArguments args;
    const std::optional<AcGePoint3d> first = args.point(0);
    const std::optional<AcGePoint3d> last = args.point(args.lastIndex());
    if (!first || !last) return false;
    a = *first;
    b = *last;
    return true;
}

CVariable* coordinateDistance(int axis) {
    AcGePoint3d a, b;
    if (!firstAndLastPoints(a, b)) return nullptr;
    return newRealValue(std::fabs(a[axis] - b[axis]));
}

CVariable* coordinateMid(int axis) {
    AcGePoint3d a, b;
    if (!firstAndLastPoints(a, b)) return nullptr;
    CVariable* result = newPointValue(0.0, 0.0, 0.0);
    result->point[axis] = (a[axis] + b[axis]) / 2.0;
    return result;
}

CVariable* coordinate(int axis) {
    const std::optional<AcGePoint3d> a = FormulaArguments().point(0);
    return a ? newRealValue((*a)[axis]) : nullptr;
}

CVariable* setCoordinate(int axis) {
    FormulaArguments args;
    CVariable* a = args.first();
    const std::optional<double> b = args.real(args.lastIndex());
    if (!a || !b || a->kind != RTPOINT) return nullptr;
    a->point[axis] = *b;
    return a;
}

CVariable* setVisible(AcDb::Visibility visibility) {
    FormulaArguments args;
    for (int i = 0; i < args.count(); ++i) {
        if (!args.at(i)) continue;
        AcDbEntity* entity = openEntity(args.at(i));
        if (!entity) break;
        entity->setVisibility(visibility, true);
        entity->close();
    }
    return nullptr;
}

CVariable* setRadius(double factor) {
    FormulaArguments args;
    const std::optional<double> size = args.real(args.lastIndex());
    if (!size) return nullptr;
    AcDbEntity* entity = openEntity(args.first());
    if (!entity) return nullptr;
    const double value = *size * factor;
    if (AcDbArc* arc = AcDbArc::cast(entity)) arc->setRadius(value);
    else if (AcDbCircle* circle = AcDbCircle::cast(entity)) circle->setRadius(value);
    else if (AcDbEllipse* ellipse = AcDbEllipse::cast(entity)) ellipse->setRadiusRatio(value);
    entity->close();
    return nullptr;
}

CVariable* queryRadius(double factor) {
    FormulaArguments args;
    AcDbEntity* entity = openEntity(args.first());
    if (!entity) return nullptr;
    double value = 0.0;
    if (AcDbArc* arc = AcDbArc::cast(entity)) value = arc->radius();
    else if (AcDbCircle* circle = AcDbCircle::cast(entity)) value = circle->radius();
    else if (AcDbEllipse* ellipse = AcDbEllipse::cast(entity)) value = ellipse->radiusRatio();
    entity->close();
    return newRealValue(value * factor);
}

// a1 as a list value whose token binds entities, with aN present; null otherwise.
CFormulaObject* boundToken(const FormulaArguments& args) {
    CVariable* a = args.first();
    if (!a || !args.last() || a->kind != RTLB || !a->sourceToken) return nullptr;
    return a->sourceToken;
}

const AcDbIntArray* indexList(const CFormulaObject* token, int i) {
    return i < token->stretchIds.length() ? &token->stretchIds[i] : nullptr;
}

// Moves the listed stretch points of every bound entity, by the fixed vector or so that the
// first listed point lands on the target; stops at the first entity that cannot be opened.
void moveBoundPoints(bool toTarget) {
    FormulaArguments args;
    CFormulaObject* token = boundToken(args);
    const std::optional<AcGePoint3d> point = args.point(args.lastIndex());
    if (!token || !point) return;
    const AcGePoint3d target = *point;
    for (int i = 0; i < token->ids.length(); ++i) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenObject(entity, token->ids[i], AcDb::kForWrite) != Acad::eOk) break;
        static const AcDbIntArray kNone;
        const AcDbIntArray* listed = indexList(token, i);
        const AcDbIntArray& indices = listed ? *listed : kNone;
        AcGeVector3d v = target.asVector();
        if (toTarget) {
            AcGePoint3dArray points;
            entityStretchPoints(entity, points);
            if (indices.isEmpty() || indices[0] < 0 || indices[0] >= points.length()) {
                entity->close();
                continue;
            }
            v = target - points[indices[0]];
        }
        moveEntityStretchPoints(entity, indices, v, stretchBlockReference);
        entity->close();
    }
}

// Grip point number k of an entity, from its own grip points.
bool gripPointOf(AcDbEntity* entity, int k, AcGePoint3d& point) {
    AcGePoint3dArray points;
    AcDbIntArray osnap, geom;
    if (entity->getGripPoints(points, osnap, geom) != Acad::eOk) return false;
    if (k < 0 || k >= points.length()) return false;
    point = points[k];
    return true;
}

// The 0-based index of a grip numbered from 1 (the lowest number stays invalid).
int gripIndexOf(int32_t n) { return n == INT32_MIN ? n : n - 1; }

// Moves grip k of an entity open for write by v (or to the target) and lets the stretch block
// reference reshape the children of that grip point.
void moveGrip(AcDbEntity* entity, int k, const AcGePoint3d& pointOrVector, bool toTarget) {
    ZEFTGripPoint* grip = entity->isA() == ZEFTGripPoint::desc() ? static_cast<ZEFTGripPoint*>(entity) : nullptr;
    if (grip && grip->gripType() < 4) k = 0;
    AcGeVector3d v = pointOrVector.asVector();
    if (toTarget) {
        AcGePoint3d from;
        if (!gripPointOf(entity, k, from)) return;
        v = pointOrVector - from;
    }
    AcDbIntArray indices;
    indices.append(k);
    entity->moveGripPointsAt(indices, v);
    ZEFTBlockReference* reference = stretchBlockReference;
    if (!grip || !reference) return;
    const AcGeMatrix3d xform = reference->blockTransform();
    v.transformBy(xform);
    reference->modifyPoints2(grip, v, reference->blockTableRecord(), xform, false, k);
}

CVariable* moveOtherGrip(bool toTarget) {
    FormulaArguments args;
    const CVariable* a = args.first();
    const std::optional<int32_t> number = args.integer(1);
    const std::optional<AcGePoint3d> n = args.point(args.lastIndex());
    if (!a || !number || !n || a->kind != RTENAME) return nullptr;
    const int k = args.lastIndex() != 1 ? gripIndexOf(*number) : 0;
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, a->objectId, AcDb::kForWrite) != Acad::eOk) return nullptr;
    moveGrip(entity, k, *n, toTarget);
    entity->close();
    return nullptr;
}

}  // namespace

void setStretchBlockReference(ZEFTBlockReference* reference) { stretchBlockReference = reference; }

// a1 takes the value of aN (of itself when alone), or nil when aN names no variable.
CVariable* FnSetVar() {
    FormulaArguments args;
    CVariable* target = args.first();
    if (!target) return nullptr;
    if (CVariable* source = args.last()) *target = *source;
    else target->kind = RTNIL;
    return target;
}

// Queues the host's undo; the interpreter then ends the run.
CVariable* FnCancel() {
    FormulaArguments args;
    queueFormulaUndo();
    if (!args.empty() && args.first()) acutPrintf("\n%s", args.first()->stringValue.GetString());
    return nullptr;
}

CVariable* FnGetThisPoint() {
    const ZEFTGripPoint* grip = formulaCallContext().grip;
    if (!grip) return nullptr;
    FormulaArguments args;
    const short type = grip->gripType();
    if (type == 3) {
        if (args.count() == 0) return newPointAt(grip->position());
        if (args.count() > 1) return newPointValue(0.0, 0.0, 0.0);
        const CVariable* a = args.first();
        return newPointAt(a && a->shortValue == 1 ? grip->position() : grip->centerOfRadius());
    }
    if (type == 4 || type == 5) {
        const AcGePoint3dArray& points = grip->subPoints;
        if (points.isEmpty()) return newPointAt(grip->position());
        int k = args.count() == 1 && args.first() ? args.first()->shortValue : 0;
        if (k < 0) k = 0;
        if (k >= points.length()) k = points.length() - 1;
        return newPointAt(points[k]);
    }
    return newPointAt(grip->position());
}

CVariable* FnGetOffset() {
    const AcGeVector3d v = currentGripOffset();
    return newPointValue(v.x, v.y, v.z);
}

CVariable* FnDist() {
    AcGePoint3d a, b;
    if (!firstAndLastPoints(a, b)) return nullptr;
    return newRealValue(a.distanceTo(b));
}

CVariable* FnDistX() { return coordinateDistance(0); }
CVariable* FnDistY() { return coordinateDistance(1); }
CVariable* FnDistZ() { return coordinateDistance(2); }

CVariable* FnMid() {
    AcGePoint3d a, b;
    if (!firstAndLastPoints(a, b)) return nullptr;
    return newPointValue((a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.z + b.z) / 2.0);
}

CVariable* FnMidX() { return coordinateMid(0); }
CVariable* FnMidY() { return coordinateMid(1); }
CVariable* FnMidZ() { return coordinateMid(2); }

CVariable* FnPolar() {
    FormulaArguments args;
    const std::optional<AcGePoint3d> from = args.point(0);
    const std::optional<double> angle = args.real(1);
    const std::optional<double> distance = args.real(2);
    if (!from || !angle || !distance) return nullptr;
    const ads_point base = {from->x, from->y, from->z};
    CVariable* result = newPointValue(0.0, 0.0, 0.0);
    acutPolar(base, *angle, *distance, result->point);
    return result;
}

CVariable* FnFromTo() {
    FormulaArguments args;
    const std::optional<double> offsets[3] = {args.real(1), args.real(2), args.real(3)};
    if (!args.first() || !offsets[0] || !offsets[1] || !offsets[2]) return nullptr;
    auto* result = new CVariable;
    *result = *args.first();
    for (int axis = 0; axis < 3; ++axis) result->point[axis] += *offsets[axis];
    return result;
}

CVariable* FnGetAngle() {
    AcGePoint3d a, b;
    if (!firstAndLastPoints(a, b)) return nullptr;
    const ads_point from = {a.x, a.y, a.z};
    const ads_point to = {b.x, b.y, b.z};
    return newRealValue(acutAngle(from, to));
}

CVariable* FnGetX() { return coordinate(0); }
CVariable* FnGetY() { return coordinate(1); }
CVariable* FnGetZ() { return coordinate(2); }
CVariable* FnSetX() { return setCoordinate(0); }
CVariable* FnSetY() { return setCoordinate(1); }
CVariable* FnSetZ() { return setCoordinate(2); }

CVariable* FnSetPt() {
    FormulaArguments args;
    const std::optional<double> x = args.real(0);
    const std::optional<double> y = args.real(1);
    const std::optional<double> z = args.count() > 2 ? args.real(2) : std::optional<double>(0.0);
    if (!x || !y || !z) return nullptr;
    return newPointValue(*x, *y, *z);
}

CVariable* FnHide() { return setVisible(AcDb::kInvisible); }
CVariable* FnShow() { return setVisible(AcDb::kVisible); }

CVariable* FnSetText() {
    FormulaArguments args;
    const std::optional<CString> value = args.text(args.lastIndex());
    if (!value) return nullptr;
    AcDbEntity* entity = openEntity(args.first());
    if (!entity) return nullptr;
    const CString& text = *value;
    if (AcDbAttributeDefinition::cast(entity)) {
        if (ZEFTAttribute* attribute = attributeOfDefinition(entity, stretchBlockReference)) {
            if (attribute->upgradeOpen() == Acad::eOk) attribute->setTextString(text.GetString());
            attribute->close();
        }
    } else if (AcDbText* textEntity = AcDbText::cast(entity)) {
        textEntity->setTextString(text.GetString());
        AcDbHostApplicationServices* services = acdbHostApplicationServices();
        textEntity->adjustAlignment(services ? services->workingDatabase() : nullptr);
    } else if (AcDbMText* mtext = AcDbMText::cast(entity)) {
        mtext->setContents(text.GetString());
    } else if (AcDbDimension* dimension = AcDbDimension::cast(entity)) {
        dimension->setDimensionText(text.GetString());
    }
    entity->close();
    return nullptr;
}

CVariable* FnQueryText() {
    FormulaArguments args;
    AcDbEntity* entity = openEntity(args.first());
    if (!entity) return nullptr;
    CVariable* result = nullptr;
    if (ZEFTAttributeDefinition::cast(entity)) {
        CString text;
        if (ZEFTAttribute* attribute = attributeOfDefinition(entity, stretchBlockReference)) {
            text = attribute->textStringConst();
            attribute->close();
        }
        result = newTextValue(text);
    } else if (AcDbText* textEntity = AcDbText::cast(entity)) {
        result = newTextValue(textEntity->textStringConst());
    } else if (AcDbMText* mtext = AcDbMText::cast(entity)) {
        result = newTextValue(takeText(mtext->contents()));
    } else if (AcDbDimension* dimension = AcDbDimension::cast(entity)) {
        const CString text(dimension->dimensionTextConst());
        if (text.IsEmpty()) {
            double value = 0.0;
            dimension->measurement(value);
            result = newRealValue(value);
        } else {
            result = newTextValue(text);
        }
    } else {
        result = newTextValue(CString());
    }
    entity->close();
    return result;
}

CVariable* FnSetRadius() { return setRadius(1.0); }
CVariable* FnSetDia() { return setRadius(0.5); }
CVariable* FnQueryRadius() { return queryRadius(1.0); }
CVariable* FnQueryDia() { return queryRadius(2.0); }

CVariable* FnQueryDim() {
    FormulaArguments args;
    AcDbEntity* entity = openEntity(args.first());
    if (!entity) return nullptr;
    double value = 0.0;
    if (AcDbDimension* dimension = AcDbDimension::cast(entity)) dimension->measurement(value);
    entity->close();
    return newRealValue(value);
}

CVariable* FnGetEnt() {
    FormulaArguments args;
    if (args.empty()) return nullptr;
    CVariable* a = args.first();
    if (!a) return nullptr;
    if (!a->objectId.isNull()) return a;
    CVariable* result = newFormulaValue(RTLONG);
    result->longValue = a->GetLong();
    result->objectId = a->objectId;
    return result;
}

// The items belong to the list value; nothing in the run releases them separately.
CVariable* FnGetEnts() {
    FormulaArguments args;
    if (args.empty()) return nullptr;
    CVariable* list = newFormulaValue(RTLB);
    for (int i = 0; i < args.count(); ++i) {
        CVariable* item = newFormulaValue(RTLONG);
        if (args.at(i)) item->longValue = args.at(i)->GetLong();
        list->items.AddTail(item);
    }
    return list;
}

CVariable* FnGetFence() {
    FormulaArguments args;
    CVariable* a = args.first();
    return a && a->kind == RTLB && a->sourceToken ? a : nullptr;
}

CVariable* FnGetPoint() { return FnGetFence(); }

CVariable* FnQueryPt() {
    FormulaArguments args;
    CFormulaObject* token = boundToken(args);
    if (!token || token->ids.isEmpty()) return nullptr;
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, token->ids[0], AcDb::kForWrite) != Acad::eOk) return nullptr;
    AcGePoint3dArray points;
    entityStretchPoints(entity, points);
    entity->close();
    const AcDbIntArray* listed = indexList(token, 0);
    if (!listed || listed->isEmpty() || (*listed)[0] < 0 || (*listed)[0] >= points.length()) return nullptr;
    return newPointAt(points[(*listed)[0]]);
}

CVariable* FnMovePtBy() {
    moveBoundPoints(false);
    return nullptr;
}

CVariable* FnMovePts() { return FnMovePtBy(); }

CVariable* FnMovePtTo() {
    moveBoundPoints(true);
    return nullptr;
}

CVariable* FnMoveGripBy() { return moveOtherGrip(false); }
CVariable* FnMoveGripTo() { return moveOtherGrip(true); }

CVariable* FnMoveThisGripTo() {
    FormulaArguments args;
    const ZEFTGripPoint* running = formulaCallContext().grip;
    const std::optional<AcGePoint3d> n = args.point(args.lastIndex());
    if (!running || !n) return nullptr;
    const std::optional<int32_t> number = args.count() >= 2 ? args.integer(0) : std::nullopt;
    const int k = number ? gripIndexOf(*number) : 0;
    AcDbEntity* entity = nullptr;
    const bool opened = acdbOpenObject(entity, running->objectId(), AcDb::kForWrite) == Acad::eOk;
    // The running grip point is usually open already; then it is used as it is.
    if (!opened) {
        if (!running->objectId().isNull() && !running->isWriteEnabled()) return nullptr;
        entity = const_cast<ZEFTGripPoint*>(running);
    }
    moveGrip(entity, k, *n, true);
    if (opened) entity->close();
    return nullptr;
}
