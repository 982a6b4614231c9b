// Changing entities: MOVE, COPY, ROTATE, SCALE, MIRROR, EXPLODE, STRETCH.
//
// The objects and every point are asked for first; the drawing changes only once all
// answers are in.
#include <algorithm>
#include <cmath>
#include <vector>
#include "app/commands/commandobjects.h"
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "db/blockref.h"
#include "ed/pick.h"
#include "ed/prompts.h"
#include "rx/print.h"

using namespace hostcmd;

namespace {
// The selection; RTNONE (nothing selected) ends the command as done.
int selectObjects(AcDbObjectIdArray& ids) { return acedHostSelectObjects(nullptr, ids); }

void reportFailures(int failed, const char* what) {
    if (failed) acutPrintf("\n%d object(s) could not be %s.", failed, what);
}

// A transformed copy of the entity in the same block, with copies of a reference's attributes.
Acad::ErrorStatus addTransformedCopy(const AcDbEntity* source, const AcGeMatrix3d& xform) {
    AcDbEntity* copy = nullptr;
    Acad::ErrorStatus es = source->getTransformedCopy(xform, copy);
    if (es != Acad::eOk) return es;
    if (!copy) return Acad::eNotApplicable;
    {
        Opened<AcDbBlockTableRecord> owner(source->ownerId(), AcDb::kForWrite);
        es = owner ? owner->appendAcDbEntity(copy) : owner.status();
    }
    if (es != Acad::eOk) {
        delete copy;
        return es;
    }
    const auto* sourceRef = AcDbBlockReference::cast(source);
    auto* copyRef = AcDbBlockReference::cast(copy);
    if (sourceRef && copyRef) es = copyAttributes(sourceRef, copyRef, xform);
    if (es != Acad::eOk) copy->erase();
    copy->close();
    return es;
}

// Each entity takes the transformation; one that cannot hold it (a circle scaled unevenly) is
// replaced by its transformed copy. Answers the ones that failed.
AcDbObjectIdArray transformEach(const AcDbObjectIdArray& ids, const AcGeMatrix3d& xform) {
    AcDbObjectIdArray failed;
    for (const AcDbObjectId& id : ids) {
        Opened<AcDbEntity> entity(id, AcDb::kForWrite);
        if (!entity) {
            failed.append(id);
            continue;
        }
        Acad::ErrorStatus es = entity->transformBy(xform);
        if (es == Acad::eCannotScaleNonUniformly) {
            es = addTransformedCopy(entity.get(), xform);
            if (es == Acad::eOk) es = entity->erase();
        }
        if (es != Acad::eOk) failed.append(id);
    }
    return failed;
}

void transformEntities(const AcDbObjectIdArray& ids, const AcGeMatrix3d& xform) {
    reportFailures(transformEach(ids, xform).length(), "changed");
}

// The selected entities grouped by the block that holds them, in selection order.
std::vector<std::pair<AcDbObjectId, AcDbObjectIdArray>> byOwner(const AcDbObjectIdArray& ids, int& failed) {
    std::vector<std::pair<AcDbObjectId, AcDbObjectIdArray>> groups;
    for (const AcDbObjectId& id : ids) {
        Opened<AcDbEntity> entity(id, AcDb::kForRead);
        if (!entity) {
            ++failed;
            continue;
        }
        const AcDbObjectId owner = entity->ownerId();
        auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == owner; });
        if (group == groups.end()) group = groups.insert(groups.end(), {owner, AcDbObjectIdArray()});
        group->second.append(id);
    }
    return groups;
}

// Copies as the host copies objects: deep clones into the block that holds the sources, so that
// every object's own clone protocol runs (a reference's attributes come along as its protocol
// says), then the clones of the selected entities take the transformation.
void copyEntities(const AcDbObjectIdArray& ids, const AcGeMatrix3d& xform) {
    int failed = 0;
    for (auto& [owner, sources] : byOwner(ids, failed)) {
        AcDbIdMapping idMap;
        if (deepCloneWithNotifications(owner.database(), sources, owner, idMap) != Acad::eOk) {
            failed += sources.length();
            continue;
        }
        AcDbObjectIdArray clones;
        for (const AcDbObjectId& id : sources) {
            AcDbIdPair pair(id, AcDbObjectId::kNull, false);
            if (idMap.compute(pair) && pair.isCloned() && !pair.value().isNull()) clones.append(pair.value());
            else ++failed;
        }
        // A clone that cannot take the transformation does not stay on top of its source.
        const AcDbObjectIdArray unmoved = transformEach(clones, xform);
        eraseObjects(unmoved);
        failed += unmoved.length();
    }
    reportFailures(failed, "copied");
}

// A second point, or an empty answer that takes the base point itself as the displacement.
int askDisplacement(const AcGePoint3d& base, AcGeVector3d& offset) {
    AcGePoint3d second;
    int rc = askPoint("\nSpecify second point or <use first point as displacement>: ", second);
    if (rc == RTNONE) offset = base.asVector();
    else if (rc == RTNORM) offset = second - base;
    else return rc;
    return RTNORM;
}

int moveCommand() {
    if (!currentDrawing()) return RTERROR;
    AcDbObjectIdArray ids;
    int rc = selectObjects(ids);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    AcGePoint3d base;
    if ((rc = askPoint("\nSpecify base point: ", base, RSG_NONULL)) != RTNORM) return rc;
    AcGeVector3d offset;
    if ((rc = askDisplacement(base, offset)) != RTNORM) return rc;
    transformEntities(ids, AcGeMatrix3d::translation(offset));
    return RTNORM;
}

int copyCommand() {
    if (!currentDrawing()) return RTERROR;
    AcDbObjectIdArray ids;
    int rc = selectObjects(ids);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    AcGePoint3d base;
    if ((rc = askPoint("\nSpecify base point: ", base, RSG_NONULL)) != RTNORM) return rc;
    std::vector<AcGeVector3d> offsets;
    AcGePoint3d second;
    rc = askPoint("\nSpecify second point or <use first point as displacement>: ", second);
    if (rc == RTNONE) {
        offsets.push_back(base.asVector());
    } else {
        if (rc != RTNORM) return rc;
        offsets.push_back(second - base);
        // Further copies until an empty answer.
        for (;;) {
            rc = askPoint("\nSpecify second point or <exit>: ", second);
            if (rc == RTNONE) break;
            if (rc != RTNORM) return rc;
            offsets.push_back(second - base);
        }
    }
    for (const AcGeVector3d& offset : offsets) copyEntities(ids, AcGeMatrix3d::translation(offset));
    return RTNORM;
}

int rotateCommand() {
    if (!currentDrawing()) return RTERROR;
    AcDbObjectIdArray ids;
    int rc = selectObjects(ids);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    AcGePoint3d base;
    if ((rc = askPoint("\nSpecify base point: ", base, RSG_NONULL)) != RTNORM) return rc;
    double angle = 0;
    if ((rc = askAngle("\nSpecify rotation angle: ", &base, angle, false)) != RTNORM) return rc;
    transformEntities(ids, AcGeMatrix3d::rotation(angle, AcGeVector3d::kZAxis, base));
    return RTNORM;
}

int scaleCommand() {
    if (!currentDrawing()) return RTERROR;
    AcDbObjectIdArray ids;
    int rc = selectObjects(ids);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    AcGePoint3d base;
    if ((rc = askPoint("\nSpecify base point: ", base, RSG_NONULL)) != RTNORM) return rc;
    double factor = 1;
    rc = askDistance("\nSpecify scale factor: ", &base, factor, RSG_NONULL | RSG_NOZERO | RSG_NONEG);
    if (rc != RTNORM) return rc;
    transformEntities(ids, AcGeMatrix3d::scaling(factor, base));
    return RTNORM;
}

int mirrorCommand() {
    if (!currentDrawing()) return RTERROR;
    AcDbObjectIdArray ids;
    int rc = selectObjects(ids);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    AcGePoint3d first, second;
    if ((rc = askPoint("\nSpecify first point of mirror line: ", first, RSG_NONULL)) != RTNORM) return rc;
    for (;;) {
        if ((rc = askPoint("\nSpecify second point of mirror line: ", second, RSG_NONULL)) != RTNORM) return rc;
        if (std::hypot(second.x - first.x, second.y - first.y) > 1e-10) break;
        if (!retryAfter("The mirror line needs two different points.")) return RTERROR;
    }
    acedInitGet(0, "Yes No");
    char answer[133] = {0};
    rc = acedGetKword("\nErase source objects? [Yes/No] <No>: ", answer);
    if (rc != RTNORM && rc != RTNONE) return rc;
    const bool eraseSource = rc == RTNORM && std::string(answer) == "Yes";
    // The plane through the line, upright to the drawing plane.
    const AcGeVector3d along(second.x - first.x, second.y - first.y, 0.0);
    const AcGeVector3d normal = along.crossProduct(AcGeVector3d::kZAxis).normal();
    const AcGeMatrix3d xform = AcGeMatrix3d::mirroring(AcGePlane(first, normal));
    if (eraseSource) transformEntities(ids, xform);
    else copyEntities(ids, xform);
    return RTNORM;
}

int explodeCommand() {
    if (!currentDrawing()) return RTERROR;
    AcDbObjectIdArray ids;
    int rc = selectObjects(ids);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    int failed = 0, exploded = 0;
    for (const AcDbObjectId& id : ids) {
        Opened<AcDbEntity> entity(id, AcDb::kForWrite);
        if (!entity) {
            ++failed;
            continue;
        }
        AcDbVoidPtrArray made;
        Acad::ErrorStatus es = entity->explode(made);
        std::vector<AcDbEntity*> pieces;
        for (void* p : made)
            if (p) pieces.push_back(static_cast<AcDbEntity*>(p));
        if (es != Acad::eOk || pieces.empty()) {
            for (AcDbEntity* piece : pieces) delete piece;
            ++failed;
            continue;
        }
        AcDbObjectIdArray added;
        es = appendEntities(entity->ownerId(), pieces, &added);
        if (es == Acad::eOk) es = entity->erase();
        if (es != Acad::eOk) {
            entity.close();
            eraseObjects(added);
            ++failed;
            continue;
        }
        ++exploded;
    }
    if (exploded) acutPrintf("\n%d object(s) exploded.", exploded);
    reportFailures(failed, "exploded");
    return RTNORM;
}

int stretchCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    AcGePoint3d a, b;
    int rc = askPoint("\nSpecify first corner of crossing window: ", a, RSG_NONULL);
    if (rc != RTNORM) return rc;
    if ((rc = askPoint("\nSpecify opposite corner: ", b, RSG_NONULL)) != RTNORM) return rc;
    AcGePoint3d base;
    if ((rc = askPoint("\nSpecify base point: ", base, RSG_NONULL)) != RTNORM) return rc;
    AcGeVector3d offset;
    if ((rc = askDisplacement(base, offset)) != RTNORM) return rc;
    if (offset.isZeroLength()) return RTNORM;
    const double x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x), y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    auto inside = [&](const AcGePoint3d& p) { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; };
    int stretched = 0, failed = 0;
    for (const AcDbObjectId& id : blockEntities(db->currentSpaceId())) {
        Opened<AcDbEntity> entity(id, AcDb::kForRead);
        if (!entity) continue;
        AcGePoint3dArray points;
        if (entity->getStretchPoints(points) != Acad::eOk) continue;
        AcDbIntArray indices;
        for (int i = 0; i < points.length(); ++i)
            if (inside(points[i])) indices.append(i);
        if (indices.isEmpty()) continue;
        // An entity wholly inside the window moves; one crossing it moves the points inside.
        AcDbExtents ext;
        const bool whole = entity->getGeomExtents(ext) == Acad::eOk && !ext.isEmpty() && inside(ext.minPoint()) &&
                           inside(ext.maxPoint());
        Acad::ErrorStatus es = entity->upgradeOpen();
        if (es == Acad::eOk)
            es = whole ? entity->transformBy(AcGeMatrix3d::translation(offset))
                       : entity->moveStretchPointsAt(indices, offset);
        if (es == Acad::eOk) ++stretched;
        else ++failed;
    }
    acutPrintf("\n%d object(s) stretched.", stretched);
    reportFailures(failed, "stretched");
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(modify, {
    {"MOVE", moveCommand},
    {"COPY", copyCommand},
    {"ROTATE", rotateCommand},
    {"SCALE", scaleCommand},
    {"MIRROR", mirrorCommand},
    {"EXPLODE", explodeCommand},
    {"STRETCH", stretchCommand},
});
