// Binding grip points to the entities of their block definition.
#include "GripBinding.h"
#include "Utilities.h"
#include "ZEFTGripPoint.h"
#include "db/symtab.h"
#include "ge/tol.h"

namespace {

constexpr double kChildPointTolerance = 3e-08;
constexpr double kFormulaPointTolerance = 1e-07;
constexpr int kPointToken = 7;

// Sets the host's equal-point tolerance for its lifetime.
class PointTolerance {
public:
    explicit PointTolerance(double value) : m_saved(AcGeContext::gTol.equalPoint()) {
        AcGeContext::gTol.setEqualPoint(value);
    }
    ~PointTolerance() { AcGeContext::gTol.setEqualPoint(m_saved); }
    PointTolerance(const PointTolerance&) = delete;
    PointTolerance& operator=(const PointTolerance&) = delete;

private:
    double m_saved;
};

void record(AcDbIntArray& matched, int j) {
    if (!matched.contains(j)) matched.append(j);
}

// The stretch points of the entity that bind it to list L of the grip.
AcDbIntArray matchedChildPoints(const ZEFTGripPoint* grip, const AcGePoint3dArray& points, int list) {
    AcDbIntArray matched;
    const short type = grip->gripType();
    const AcGePoint3d position = grip->position();
    for (int j = 0; j < points.length(); ++j) {
        const AcGePoint3d& p = points[j];
        bool match = false;
        if (type == 4 || type == 5) {
            match = (list < grip->subPoints.length() && p.isEqualTo(grip->subPoints[list])) ||
                    pointInsideGripOutline(grip, p, list);
        } else if (type == 1 || type == 3) {
            match = p.isEqualTo(position) || pointInsideGripOutline(grip, p, list);
        } else {
            match = p.isEqualTo(position);
        }
        if (match) record(matched, j);
    }
    return matched;
}

}  // namespace

bool setChildEntities(ZEFTGripPoint* grip, AcDbBlockTableRecordIterator* entities) {
    if (!grip) return false;
    ZEFTGripPoint* open = nullptr;
    if (acdbOpenObject(open, grip->objectId(), AcDb::kForWrite) != Acad::eOk || !open) return false;
    const PointTolerance tolerance(kChildPointTolerance);
    const AcDbObjectId gripId = open->objectId();
    open->clearChildEntities(0);
    int lists = 1;
    for (int list = 0; list < lists; ++list) {
        open->clearChildEntities(list);
        if (open->gripType() == 4 || open->gripType() == 5) lists = 2;
        if (!entities) continue;
        for (entities->start(true, true); !entities->done(); entities->step(true, true)) {
            AcDbObjectId id;
            if (entities->getEntityId(id) != Acad::eOk || id == gripId) continue;
            AcDbEntity* entity = nullptr;
            if (acdbOpenObject(entity, id, AcDb::kForWrite) != Acad::eOk) continue;
            AcGePoint3dArray points;
            entityStretchPoints(entity, points);
            entity->close();
            AcDbIntArray matched = matchedChildPoints(open, points, list);
            if (matched.isEmpty()) continue;
            open->appendChildEntity(id, list);
            open->setChildStretchPointIds(matched, list);
        }
    }
    open->close();
    return true;
}

namespace {

// Binds the first token of a run of point tokens to the entities matching the run's points.
void bindPointRun(ZEFTGripPoint* grip, CFormulaObject* first, const AcGePoint3dArray& run,
                  AcDbBlockTableRecordIterator* entities) {
    first->ids.removeAll();
    first->stretchIds.removeAll();
    if (!entities) return;
    const AcDbObjectId gripId = grip->objectId();
    for (entities->start(true, true); !entities->done(); entities->step(true, true)) {
        AcDbObjectId id;
        if (entities->getEntityId(id) != Acad::eOk) continue;
        AcDbEntity* entity = nullptr;
        bool opened = acdbOpenObject(entity, id, AcDb::kForRead) == Acad::eOk;
        if (!opened) {
            if (id != gripId) continue;
            entity = grip;
        }
        AcGePoint3dArray points;
        entityStretchPoints(entity, points);
        if (opened) entity->close();
        AcDbIntArray matched;
        for (int j = 0; j < points.length(); ++j) {
            const bool match = run.length() == 1 ? points[j].isEqualTo(run[0]) : pointInsidePoints(run, points[j]);
            if (match) record(matched, j);
        }
        if (matched.isEmpty()) continue;
        const int k = first->AddObjectId(id);
        while (k >= first->stretchIds.length()) first->stretchIds.append(AcDbIntArray());
        for (int j : matched) first->stretchIds[k].append(j);
    }
}

}  // namespace

bool setFormulaChildEntities(ZEFTGripPoint* grip, AcDbBlockTableRecordIterator* entities) {
    if (!grip) return false;
    ZEFTGripPoint* open = nullptr;
    const Acad::ErrorStatus status = acdbOpenObject(open, grip->objectId(), AcDb::kForWrite);
    // Open for write already: work on it as it is and leave it open.
    const bool opened = status == Acad::eOk && open;
    if (!opened && status != Acad::eWasOpenForWrite) return false;
    if (!opened) open = grip;
    const PointTolerance tolerance(kFormulaPointTolerance);
    POSITION at = open->formulas.GetHeadPosition();
    while (at) {
        CCondFormula* statement = open->formulas.GetNext(at);
        if (!statement) continue;
        POSITION pos = statement->tokens.GetHeadPosition();
        while (pos) {
            CFormulaObject* token = statement->tokens.GetNext(pos);
            if (!token || token->type != kPointToken) continue;
            AcGePoint3dArray run;
            run.append(token->point);
            while (pos) {
                POSITION next = pos;
                CFormulaObject* following = statement->tokens.GetNext(next);
                if (!following || following->type != kPointToken) break;
                run.append(following->point);
                pos = next;
            }
            bindPointRun(open, token, run, entities);
        }
    }
    if (opened) open->close();
    return true;
}
