// Grip and stretch moves of the intelligent block reference: the private copy of the definition,
// the mapping of a grip index to a grip point and sub-point, the grip point's own update and the
// run of its statements.
#include <algorithm>
#include "GripDragContext.h"
#include "ModuleState.h"
#include "Utilities.h"
#include "ZEFTAttribute.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/symtab.h"
#include "rx/rxclass.h"

namespace {

bool hasSubPointGrips(short type) { return type == 4 || type == 5; }

// Grips a grip point takes in the reference's grip list, as the enumeration numbers them.
int gripCountOf(const ZEFTGripPoint* grip) {
    return hasSubPointGrips(grip->gripType()) ? std::max(1, grip->subPoints.length()) : 1;
}

// The sub-point the first index in [first, first + count) designates, or -1.
int designatedSubPoint(const AcDbIntArray& indices, int first, int count) {
    for (int index : indices)
        if (index >= first && index < first + count) return index - first;
    return -1;
}

int largestIndex(const AcDbIntArray& indices) {
    int largest = -1;
    for (int index : indices) largest = std::max(largest, index);
    return largest;
}

// The grip points of an open definition in grip order (last entity first, exact class only),
// each with the first index of its grips. Entities of other classes are passed over unopened.
class GripPointWalk {
public:
    explicit GripPointWalk(const AcDbBlockTableRecord* definition) {
        if (definition->newIterator(m_it) != Acad::eOk) m_it = nullptr;
        if (m_it) m_it->start(false);
    }
    ~GripPointWalk() { delete m_it; }
    GripPointWalk(const GripPointWalk&) = delete;
    GripPointWalk& operator=(const GripPointWalk&) = delete;

    bool valid() const { return m_it != nullptr; }
    // The next grip point open for read, or null at the end of the definition or once no grip
    // point can hold an index up to `largest`.
    ZEFTGripPoint* next(int largest, int& first, int& count) {
        for (; !m_it->done() && m_nextIndex <= largest; m_it->step(false)) {
            AcDbObjectId id;
            if (m_it->getEntityId(id) != Acad::eOk || id.objectClass() != ZEFTGripPoint::desc()) continue;
            ZEFTGripPoint* grip = nullptr;
            if (acdbOpenObject(grip, id, AcDb::kForRead) != Acad::eOk) continue;
            m_it->step(false);
            first = m_nextIndex;
            count = gripCountOf(grip);
            m_nextIndex += count;
            return grip;
        }
        return nullptr;
    }

private:
    AcDbBlockTableRecordIterator* m_it = nullptr;
    int m_nextIndex = 1;
};

void addToSubPoint(AcGePoint3dArray& sub, int k, const AcGeVector3d& v) {
    if (k >= 0 && k < sub.length()) sub[k] += v;
}

// The grip point's own update after its children were reshaped; `toDefinition` converts world
// vectors into the definition's coordinates.
void updateGripPoint(ZEFTGripPoint* grip, const AcGeVector3d& offset, const AcGeMatrix3d& toDefinition, int s) {
    AcGeVector3d v = toDefinition * offset;
    AcGePoint3dArray& sub = grip->subPoints;
    switch (grip->gripType()) {
    case -1:
    case 1: {
        if (!grip->leftRight()) v.x = 0.0;
        if (!grip->topBottom()) v.y = 0.0;
        grip->setPosition(grip->position() + v);
        for (AcGePoint3d& p : grip->pointLists[0]) p += v;
        grip->setLastOffset(AcGeVector3d(0, 0, 0));
        break;
    }
    case 2:
    case 3: {
        const AcGePoint3d centre = grip->centerOfRadius();
        const AcGePoint3d before = grip->position();
        const double turn = angleOf(centre, before + v) - angleOf(centre, before);
        grip->transformBy(AcGeMatrix3d::rotation(turn, AcGeVector3d::kZAxis, centre));
        if (grip->topBottom() == 1) grip->setPosition(before + v);
        break;
    }
    case 4: {
        if (s >= sub.length()) break;
        snapToDimensionalSettings(grip, s == 0 ? 1 : 0, s, v, 0);
        if (grip->topBottom() == 1) sub[s] += v;
        break;
    }
    case 5: {
        if (s == 0) {
            v.x = 0.0;
            snapToDimensionalSettings(grip, 2, 1, v, 0);
            addToSubPoint(sub, 0, v);
            addToSubPoint(sub, 1, v);
        } else if (s == 1) {
            AcGeVector3d h(v.x, 0.0, v.z), w(0.0, v.y, v.z);
            snapToDimensionalSettings(grip, 2, 1, w, 0);
            snapToDimensionalSettings(grip, 0, 1, h, 1);
            addToSubPoint(sub, 0, w);
            addToSubPoint(sub, 1, AcGeVector3d(h.x, w.y, v.z));
            addToSubPoint(sub, 2, h);
        } else if (s == 2) {
            v.y = 0.0;
            snapToDimensionalSettings(grip, 0, 1, v, 1);
            addToSubPoint(sub, 2, v);
            addToSubPoint(sub, 1, v);
        }
        break;
    }
    default:
        break;  // type 0 turned the whole reference while its children were visited
    }
}

// The host enters its root class in the class dictionary only when it is first asked for;
// until then every isKindOf that fails looks the root up by name, once per class level.
void enterRootClass() {
    static const AcRxClass* const root = AcRxObject::desc();
    (void)root;
}

bool anyAttributeIndex(const AcDbIntArray& indices, int ownGripCount) {
    return std::any_of(indices.begin(), indices.end(), [&](int index) { return index >= ownGripCount; });
}

}  // namespace

// ---- host entry points ----

Acad::ErrorStatus ZEFTBlockReference::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    if (dragCloneState & 1) dragCloneState |= 2;
    if (!gripsRequested) return Acad::eOk;
    stretchFailureReported = false;
    makePrivateCopyIfDue(indices);
    if (indices.contains(0)) {
        hostGripMove(indices, offset);
        translateAttributes(offset);
        dragCloneState = 0;
        return Acad::eOk;
    }
    const bool moved = moveGripPoints(indices, offset, blockTableRecord(), true);
    // One drag moves each attribute once, however many attribute grips it holds.
    if (anyAttributeIndex(indices, ownGripCount)) moveAttributeGrips(offset);
    if (!moved) {
        hostGripMove(indices, offset);
        dragCloneState = 0;
    }
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTBlockReference::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    if (stretchOnly || !gripsRequested) return Acad::eOk;
    stretchFailureReported = false;
    m_lastPosition = position();
    if (indices.contains(0)) {
        transformBy(AcGeMatrix3d::translation(offset));
        return Acad::eOk;
    }
    makePrivateCopyIfDue(indices);
    const AcDbObjectId shown = blockTableRecord();
    if (!moveGripPoints(indices, offset, shown, false)) return hostGripMove(indices, offset);
    if (anyAttributeIndex(indices, ownGripCount)) moveAttributeGrips(offset);
    setBlockTableRecord(shown);
    return Acad::eOk;
}

// ---- the engine ----

bool ZEFTBlockReference::moveGripPoints(const AcDbIntArray& indices, AcGeVector3d offset, AcDbObjectId definitionId,
                                        bool isGripMove) {
    enterRootClass();
    setCurrentGripOffset(offset);
    stretchBlockReference = this;

    AcDbBlockTableRecord* definition = nullptr;
    if (definitionId.isNull() || acdbOpenObject(definition, definitionId, AcDb::kForRead) != Acad::eOk) return false;
    ZEFTGripPoint* grip = nullptr;
    int subPoint = 0;
    {
        GripPointWalk walk(definition);
        if (!walk.valid()) {
            definition->close();
            return false;
        }
        const int largest = largestIndex(indices);
        int first = 0, count = 0;
        while (ZEFTGripPoint* candidate = walk.next(largest, first, count)) {
            const int s = designatedSubPoint(indices, first, count);
            if (s < 0 || candidate->upgradeOpen() != Acad::eOk) {
                candidate->close();
                continue;
            }
            grip = candidate;
            subPoint = s;
            break;
        }
    }
    const bool closed = definition->close() == Acad::eOk;
    if (!grip) {
        if (!closed) return false;
        CheckFormulaForStretch(indices, definitionId);
        return true;
    }

    // One grip point per move.
    grip->subPointMoved = false;
    grip->setLastOffset(offset);
    const AcGeMatrix3d xform = blockTransform();
    modifyPoints2(grip, offset, definitionId, xform, isGripMove, subPoint);
    // A nested reference among the children publishes its own move; this one's is current again.
    setCurrentGripOffset(offset);
    stretchBlockReference = this;
    updateGripPoint(grip, offset, xform.isSingular() ? AcGeMatrix3d::kIdentity : xform.inverse(), subPoint);
    grip->close();
    CheckFormulaForStretch(indices, definitionId);
    return true;
}

bool ZEFTBlockReference::CheckFormulaForStretch(const AcDbIntArray& indices, AcDbObjectId definitionId) {
    stretchBlockReference = this;
    AcDbBlockTableRecord* definition = nullptr;
    if (definitionId.isNull() || acdbOpenObject(definition, definitionId, AcDb::kForRead) != Acad::eOk) return false;
    bool answer = true;
    {
        GripPointWalk walk(definition);
        if (!walk.valid()) {
            definition->close();
            return false;
        }
        const int largest = largestIndex(indices);
        int first = 0, count = 0;
        while (ZEFTGripPoint* grip = walk.next(largest, first, count)) {
            const bool designated = designatedSubPoint(indices, first, count) >= 0;
            // The statements run with the grip point closed: formula functions open it themselves.
            grip->close();
            if (!designated) continue;
            stretchBlockReference = this;
            if (!grip->CheckFormulaForStretch()) {
                answer = false;
                break;
            }
        }
    }
    stretchBlockReference = this;
    const bool closed = definition->close() == Acad::eOk;
    return answer && closed;
}

// ---- helpers ----

void ZEFTBlockReference::makePrivateCopyIfDue(const AcDbIntArray& indices) {
    if (hasPrivateDefinition()) return;
    if (std::any_of(indices.begin(), indices.end(), [](int index) { return index != 0; }))
        makeOwnPrivateDefinition();
}

Acad::ErrorStatus ZEFTBlockReference::hostGripMove(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    if (!indices.contains(0)) return AcDbEntity::moveGripPointsAt(indices, offset);
    if (offset.isZeroLength()) return Acad::eOk;
    return AcDbBlockReference::transformBy(AcGeMatrix3d::translation(offset));
}

void ZEFTBlockReference::translateAttributes(const AcGeVector3d& offset) {
    const AcGeMatrix3d shift = AcGeMatrix3d::translation(offset);
    for (const AcDbHardOwnershipId& id : m_attributeIds) {
        AcDbEntity* attribute = nullptr;
        if (id.isNull() || acdbOpenObject(attribute, id, AcDb::kForWrite) != Acad::eOk) continue;
        attribute->transformBy(shift);
        attribute->close();
    }
}

void ZEFTBlockReference::moveAttributeGrips(const AcGeVector3d& offset) {
    const AcDbIntArray first{0};
    for (const AcDbHardOwnershipId& id : m_attributeIds) {
        AcDbEntity* attribute = nullptr;
        if (id.isNull() || acdbOpenObject(attribute, id, AcDb::kForWrite) != Acad::eOk) continue;
        attribute->moveGripPointsAt(first, offset);
        attribute->close();
    }
}

const ZEFTBlockReference::ReshapeFrame& ZEFTBlockReference::reshapeFrame() {
    if (!m_reshapeFrame.active) {
        m_reshapeFrame.toWorld = blockTransform();
        m_reshapeFrame.toDefinition =
            m_reshapeFrame.toWorld.isSingular() ? AcGeMatrix3d::kIdentity : m_reshapeFrame.toWorld.inverse();
    }
    return m_reshapeFrame;
}
