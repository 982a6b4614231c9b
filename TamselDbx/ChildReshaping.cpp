// Reshaping of the entities bound to a grip point, by its grip type, when the grip is dragged.
#include <cmath>
#include "ModuleState.h"
#include "Utilities.h"
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/symtab.h"

namespace {

// A stretch point on the grip's position (types 2 and 3).
constexpr double kEqualPoint = 3e-08;
// Half-width of the band of directions that count as along the line of a type-4 grip.
constexpr double kAlongLine = 1e-08;

AcGeTol pointTolerance() {
    AcGeTol tol;
    tol.setEqualPoint(kEqualPoint);
    return tol;
}

int otherSubPoint(int s) { return s == 0 ? 1 : 0; }

bool within(double angle, double target) { return angle > target - kAlongLine && angle < target + kAlongLine; }

// Where a child lives. Children are in the definition's coordinates, except an attribute of the
// reference standing in for its definition, which is in world coordinates.
struct ChildFrame {
    const AcGeMatrix3d& toWorld;
    const AcGeMatrix3d& toDefinition;
    bool inWorld;

    AcGeVector3d vector(const AcGeVector3d& v) const { return inWorld ? toWorld * v : v; }
    AcGeMatrix3d matrix(const AcGeMatrix3d& m) const { return inWorld ? toWorld * m * toDefinition : m; }
    AcGePoint3d definitionPoint(const AcGePoint3d& p) const { return inWorld ? toDefinition * p : p; }
};

// A child opened for write with its stretch points gathered, or null when it is passed over:
// it cannot be opened or upgraded, or it has neither stored indices nor stretch points.
AcDbEntity* openChild(const AcDbObjectId& id, const AcDbIntArray& stored, AcGePoint3dArray& points) {
    AcDbEntity* child = nullptr;
    if (acdbOpenObject(child, id, AcDb::kForRead) != Acad::eOk) return nullptr;
    points.removeAll();
    entityStretchPoints(child, points);
    if (child->upgradeOpen() != Acad::eOk || (stored.isEmpty() && points.isEmpty())) {
        child->close();
        return nullptr;
    }
    return child;
}

// The reference's attribute made from an attribute definition, open for write; null when none.
ZEFTAttribute* attributeForWrite(const ZEFTBlockReference* reference, const AcDbObjectId& definitionId) {
    const int count = reference->attributeCount();
    for (int i = 0; i < count; ++i) {
        ZEFTAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, reference->getAttribute(i), AcDb::kForWrite) != Acad::eOk) continue;
        if (attribute->definitionId() == definitionId) return attribute;
        attribute->close();
    }
    return nullptr;
}

bool isAttributeDefinition(const AcDbEntity* entity) { return entity->isA() == ZEFTAttributeDefinition::desc(); }

}  // namespace

// Holds the block transform and its inverse while children are reshaped; restores the frame
// of an enclosing reshaping at the end.
class ZEFTBlockReference::ReshapeScope {
public:
    ReshapeScope(ZEFTBlockReference& reference, const AcGeMatrix3d& xform)
        : m_reference(reference), m_saved(reference.m_reshapeFrame) {
        ReshapeFrame& frame = reference.m_reshapeFrame;
        frame.active = true;
        frame.toWorld = xform;
        frame.toDefinition = xform.isSingular() ? AcGeMatrix3d::kIdentity : xform.inverse();
    }
    ~ReshapeScope() { m_reference.m_reshapeFrame = m_saved; }
    ReshapeScope(const ReshapeScope&) = delete;
    ReshapeScope& operator=(const ReshapeScope&) = delete;

private:
    ZEFTBlockReference& m_reference;
    ReshapeFrame m_saved;
};

void ZEFTBlockReference::modifyPoints2(ZEFTGripPoint* grip, AcGeVector3d offset, AcDbObjectId definitionId,
                                       const AcGeMatrix3d& xform, bool isGripMove, int subPoint) {
    if (!grip) return;
    AcDbBlockTableRecord* definition = nullptr;
    if (definitionId.isNull() || acdbOpenObject(definition, definitionId, AcDb::kForRead) != Acad::eOk) return;
    const ReshapeScope scope(*this, xform);
    const short type = grip->gripType();
    const AcDbObjectId gripId = grip->objectId();

    // The corner of a rectangle grip carries the children of both its edges: those of sub-point
    // 0 in y, those of sub-point 1 in x.
    int lists[2] = {type == 4 || type == 5 ? subPoint : 0, -1};
    if (type == 5 && subPoint == 1) {
        lists[0] = 0;
        lists[1] = 1;
    }

    AcGePoint3dArray points(0, 16);
    for (int list : lists) {
        if (list < 0) break;
        const int count = grip->childEntityCount(list);
        for (int c = 0; c < count && definition; ++c) {
            const AcDbObjectId id = grip->getChildEntityId(c, list);
            if (id == gripId) continue;
            AcDbIntArray& stored = grip->getChildStretchPointIds(c, list);
            // A nested reference moved before this child published itself as the one in progress.
            stretchBlockReference = this;
            AcDbEntity* child = openChild(id, stored, points);
            if (!child) continue;
            if (isAttributeDefinition(child)) {
                if (ZEFTAttribute* attribute = attributeForWrite(this, id)) {
                    AcDbEntity* target = attribute;
                    modifyPointsFinal(grip, offset, isGripMove, target, definition, stored, list, c, points);
                    if (target) target->close();
                }
            } else {
                modifyPointsFinal(grip, offset, isGripMove, child, definition, stored, list, c, points);
            }
            if (child) child->close();
        }
    }
    // A type-0 grip point turned the whole reference and closed the definition.
    if (!definition) return;
    if (definition->close() != Acad::eOk) return;
    if (type == 4) rotateRemainderChildObjects(grip, offset, definitionId, xform, isGripMove, subPoint);
}

void ZEFTBlockReference::modifyPointsFinal(ZEFTGripPoint* grip, AcGeVector3d& offset, bool& isGripMove,
                                           AcDbEntity*& child, AcDbBlockTableRecord*& definition,
                                           AcDbIntArray& indices, int list, int, AcGePoint3dArray& stretchPoints) {
    if (!grip || !child) return;
    const ReshapeFrame& frame = reshapeFrame();
    const ChildFrame where{frame.toWorld, frame.toDefinition,
                           definition && child->ownerId() != definition->objectId()};
    AcGeVector3d v = frame.toDefinition * offset;
    auto move = [&](const AcDbIntArray& ids, const AcGeVector3d& by) {
        moveEntityStretchPoints(child, ids, where.vector(by), this);
    };

    switch (grip->gripType()) {
    case 0: {
        if (!isGripMove) return;
        const AcGePoint3d at = grip->position();
        const double angle = angleOf(at, at + offset);
        const AcGePoint3d pivot = frame.toWorld * at;
        // Closed first, so that the turn reaches an attribute being reshaped as well.
        child->close();
        child = nullptr;
        if (definition) definition->close();
        definition = nullptr;
        transformBy(AcGeMatrix3d::rotation(angle, AcGeVector3d::kZAxis, pivot));
        return;
    }
    case -1:
    case 1:
        if (!grip->leftRight()) v.x = 0.0;
        if (!grip->topBottom()) v.y = 0.0;
        move(indices, v);
        return;
    case 2:
    case 3: {
        const AcGePoint3d centre = grip->centerOfRadius();
        const AcGePoint3d at = grip->position();
        const AcGeMatrix3d turn =
            where.matrix(AcGeMatrix3d::rotation(angleOf(centre, at + v) - angleOf(centre, at), AcGeVector3d::kZAxis,
                                                centre));
        const AcGeTol tol = pointTolerance();
        const bool followDrag = grip->topBottom() == 1;
        const AcDbObjectId childId = child->objectId();
        for (int k = 0; k < indices.length(); ++k) {
            const int i = indices[k];
            if (i < 0 || i >= stretchPoints.length()) continue;  // no such point (stale binding)
            const AcGePoint3d p = stretchPoints[i];
            const AcDbIntArray one{i};
            if (followDrag && where.definitionPoint(p).isEqualTo(at, tol)) {
                move(one, v);
                continue;
            }
            moveEntityStretchPoints(child, one, turn * p - p, this);
            if (k + 1 == indices.length()) break;
            child->close();
            if (acdbOpenObject(child, childId, AcDb::kForWrite) != Acad::eOk) {
                child = nullptr;
                return;
            }
        }
        return;
    }
    case 4: {
        AcGePoint3dArray& sub = grip->subPoints;
        const int s = list, a = otherSubPoint(s);
        if (s < 0 || s >= sub.length() || a >= sub.length()) return;
        const double a1 = angleOf(sub[a], sub[s]);
        if (grip->topBottom() == 1) {
            // Turn about the other end and follow the drag.
            snapToDimensionalSettings(grip, a, s, v, 0);
            const AcGeMatrix3d turn =
                AcGeMatrix3d::rotation(angleOf(sub[a], sub[s] + v) - a1, AcGeVector3d::kZAxis, sub[a]);
            child->transformBy(where.matrix(turn));
            move(indices, (sub[s] + v) - turn * sub[s]);
            return;
        }
        // Stretch along the line: the drag, or its projection onto the line.
        const double a2 = angleOf(sub[s], sub[s] + v);
        const double half = toRadians(180.0);
        const bool along = within(a2, a1) || within(a2, a1 + half) || within(a2, a1 - half);
        const AcGeVector3d by = along ? v : polarPoint(v.length() * std::cos(a1 - a2), a1, sub[s]) - sub[s];
        move(indices, by);
        if (!grip->subPointMoved) {
            sub[s] += by;
            grip->subPointMoved = true;
        }
        return;
    }
    case 5:
        if (list == 0) {
            v.x = 0.0;
            snapToDimensionalSettings(grip, 2, 1, v, 0);
            move(indices, v);
        } else if (list == 1 || list == 2) {
            v.y = 0.0;
            snapToDimensionalSettings(grip, 0, 1, v, 1);
            move(indices, v);
        }
        return;
    default:
        return;
    }
}

void ZEFTBlockReference::rotateRemainderChildObjects(ZEFTGripPoint* grip, AcGeVector3d offset, AcDbObjectId,
                                                     const AcGeMatrix3d& xform, bool, int subPoint) {
    // Only the turning two-point grip moves the other end's children.
    if (!grip || grip->gripType() != 4 || grip->topBottom() != 1) return;
    const AcGePoint3dArray& sub = grip->subPoints;
    const int s = subPoint, a = otherSubPoint(s);
    if (s < 0 || s >= sub.length() || a >= sub.length()) return;
    const ReshapeScope scope(*this, xform);
    const ReshapeFrame& frame = m_reshapeFrame;
    const AcGeVector3d v = frame.toDefinition * offset;
    const AcGeMatrix3d turn = AcGeMatrix3d::rotation(angleOf(sub[a], sub[s] + v) - angleOf(sub[a], sub[s]),
                                                     AcGeVector3d::kZAxis, sub[a]);
    const AcDbObjectId gripId = grip->objectId();
    AcGePoint3dArray points(0, 16);
    const int count = grip->childEntityCount(a);
    for (int c = 0; c < count; ++c) {
        AcDbObjectId id = grip->getChildEntityId(c, a);
        if (id == gripId || grip->hasChildEntity(id, s)) continue;  // reshaped with the dragged end
        stretchBlockReference = this;
        AcDbEntity* child = openChild(id, grip->getChildStretchPointIds(c, a), points);
        if (!child) continue;
        if (isAttributeDefinition(child)) {
            if (ZEFTAttribute* attribute = attributeForWrite(this, id)) {
                attribute->transformBy(frame.toWorld * turn * frame.toDefinition);
                attribute->close();
            }
        } else {
            child->transformBy(turn);
        }
        child->close();
    }
}
