// Grip enumeration of the intelligent block reference, and the dimensions its grip points control.
#include <cstdlib>
#include <functional>
#include "ZEFTAttribute.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/symtab.h"

namespace {

enum class Walk { kDone, kNoDefinition, kNoIterator, kNotClosed };

// Visits the grip points of a definition (exact class), from its last entity to its first, each
// open for read; the visitor answers true to stop.
Walk walkGripPoints(AcDbObjectId definitionId, const std::function<bool(ZEFTGripPoint*)>& visit) {
    AcDbBlockTableRecord* block = nullptr;
    if (definitionId.isNull() || acdbOpenObject(block, definitionId, AcDb::kForRead) != Acad::eOk)
        return Walk::kNoDefinition;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (block->newIterator(it) != Acad::eOk || !it) {
        block->close();
        return Walk::kNoIterator;
    }
    bool stop = false;
    for (it->start(false); !stop && !it->done(); it->step(false)) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
        if (entity->isA() == ZEFTGripPoint::desc()) stop = visit(static_cast<ZEFTGripPoint*>(entity));
        entity->close();
    }
    delete it;
    return block->close() == Acad::eOk ? Walk::kDone : Walk::kNotClosed;
}

bool hasSubPointGrips(short type) { return type == 4 || type == 5; }

CString settingName(const ZEFTGripPoint* grip, int setting, bool& found) {
    char* text = nullptr;
    found = grip->dimensionalSettings(setting, text) == Acad::eOk;
    CString name(text);
    std::free(text);
    return name;
}

double subPointDistance(const ZEFTGripPoint* grip, int a, int b) {
    const AcGePoint3dArray& sub = grip->subPoints;
    if (a >= sub.length() || b >= sub.length()) return 0.0;
    return sub[a].distanceTo(sub[b]);
}

}  // namespace

Acad::ErrorStatus ZEFTBlockReference::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                                    AcDbIntArray& geomIds) const {
    assertReadEnabled();
    gripsRequested = true;
    // Numbered from this reference's own first grip whatever the array held before.
    AcGePoint3dArray own;
    own.append(position());
    extractGripPoints(own, blockTableRecord(), blockTransform());
    ownGripCount = own.length();
    gripPoints.append(own);
    for (const AcDbHardOwnershipId& id : m_attributeIds) {
        ZEFTAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, id, AcDb::kForRead) != Acad::eOk) continue;
        attribute->getGripPoints(gripPoints, osnapModes, geomIds);
        attribute->close();
    }
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTBlockReference::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    assertReadEnabled();
    stretchOnly = !gripsRequested;
    gripsRequested = true;
    AcDbIntArray osnapModes(0, 8), geomIds(0, 8);
    return getGripPoints(stretchPoints, osnapModes, geomIds);
}

void ZEFTBlockReference::extractGripPoints(AcGePoint3dArray& points, AcDbObjectId definition,
                                           AcGeMatrix3d xform) const {
    int counter = 0;
    walkGripPoints(definition, [&](ZEFTGripPoint* grip) {
        ++counter;
        grip->firstGripIndex = counter;
        if (!hasSubPointGrips(grip->gripType())) {
            points.append(xform * grip->position());
            return false;
        }
        const AcGePoint3dArray& sub = grip->subPoints;
        for (int k = 0; k < sub.length(); ++k) {
            points.append(xform * sub[k]);
            if (k > 0) ++counter;
        }
        // The insertion grip moves to the middle of the first two grip-point grips.
        if (grip->topBottom() == 1 && points.length() >= 3) points[0] = points[1] + (points[2] - points[1]) * 0.5;
        return false;
    });
}

int ZEFTBlockReference::getDimensionCount() const {
    assertReadEnabled();
    if (dimensionCountCache > -1) return dimensionCountCache;
    int count = 0;
    const Walk walk = walkGripPoints(blockTableRecord(), [&](ZEFTGripPoint* grip) {
        const short type = grip->gripType();
        count += type == 4 ? 1 : type == 5 ? 2 : 0;
        return false;
    });
    if (walk != Walk::kDone) return -1;
    dimensionCountCache = count;
    return count;
}

CString ZEFTBlockReference::getDimensionName(int index) const {
    assertReadEnabled();
    CString answer;
    int k = 0;
    walkGripPoints(blockTableRecord(), [&](ZEFTGripPoint* grip) {
        const short type = grip->gripType();
        bool found = false;
        if (type == 4) {
            if (k == index) {
                answer = settingName(grip, 0, found);
                if (found) return true;
            }
            ++k;
        } else if (type == 5) {
            if (k == index) {
                answer = settingName(grip, 0, found);
                if (found) return true;
            }
            ++k;
            if (k == index) {
                answer = settingName(grip, 1, found);
                if (found) return true;
            }
            ++k;
        }
        answer.Empty();
        return false;
    });
    return answer;
}

double ZEFTBlockReference::getDimension(int index) const {
    assertReadEnabled();
    double answer = 0.0;
    int k = 0;
    walkGripPoints(blockTableRecord(), [&](ZEFTGripPoint* grip) {
        const short type = grip->gripType();
        if (type == 4) {
            if (k++ == index) {
                answer = subPointDistance(grip, 0, 1);
                return true;
            }
        } else if (type == 5) {
            if (k++ == index) {
                answer = subPointDistance(grip, 0, 1);
                return true;
            }
            if (k++ == index) {
                answer = subPointDistance(grip, 2, 1);
                return true;
            }
        }
        return false;
    });
    return answer;
}
