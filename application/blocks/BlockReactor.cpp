#include "blocks/BlockReactor.h"
#include <cstring>
#include <strings.h>
#include "GripBinding.h"
#include "ZEFTGripPoint.h"
#include "blocks/CurrentSpace.h"
#include "browser/BlockList.h"
#include "db/blockref.h"
#include "ed/sysvar.h"

namespace {
bool isInsertCommand(const char* cmd) {
    return std::strcmp(cmd, "INSERT") == 0 || std::strcmp(cmd, "BLOCK") == 0 || std::strcmp(cmd, "DDINSERT") == 0;
}

void setAttreq(int value) {
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = static_cast<short>(value);
    acedSetVar("ATTREQ", &rb);
}

// The id of the current space's last entity when it is a plain block reference.
AcDbObjectId lastEntityIfPlainReference(AcDbBlockTableRecord* space) {
    AcDbObjectId found;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (space->newIterator(it, false, true) != Acad::eOk) return found;
    AcDbEntity* entity = nullptr;
    if (!it->done() && it->getEntity(entity, AcDb::kForRead) == Acad::eOk) {
        if (isPlainBlockReference(entity)) found = entity->objectId();
        entity->close();
    }
    delete it;
    return found;
}

// The id of the current space's last plain block reference, searched from the end.
AcDbObjectId lastPlainReferenceIn(AcDbBlockTableRecord* space) {
    AcDbObjectId found;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (space->newIterator(it, false, true) != Acad::eOk) return found;
    for (; !it->done() && found.isNull(); it->step(false)) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
        if (isPlainBlockReference(entity)) found = entity->objectId();
        entity->close();
    }
    delete it;
    return found;
}
}  // namespace

void bindGripPoints() {
    AcDbBlockTableRecord* space = openCurrentSpace();
    if (!space) return;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (space->newIterator(it, true, true) != Acad::eOk) {
        space->close();
        return;
    }
    const AcGePoint3d base = space->database()->insbase();
    for (; !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
        if (entity->isA() != ZEFTGripPoint::desc()) {
            entity->close();
            continue;
        }
        auto* grip = static_cast<ZEFTGripPoint*>(entity);
        if (grip->upgradeOpen() != Acad::eOk) {
            grip->close();
            continue;
        }
        AcDbBlockTableRecordIterator* children = nullptr;
        if (space->newIterator(children, true, true) != Acad::eOk) {
            grip->close();
            break;
        }
        grip->setInsBase(base);
        grip->close();
        setChildEntities(grip, children);
        setFormulaChildEntities(grip, children);
        delete children;
    }
    delete it;
    space->close();
}

void AsdkblockReactor::commandWillStart(const char* cmdStr) {
    if (!cmdStr) return;
    if (std::strcmp(cmdStr, "BLOCK") == 0 || std::strcmp(cmdStr, "WBLOCK") == 0) bindGripPoints();
    if (!isInsertCommand(cmdStr)) return;
    resbuf rb;
    if (acedGetVar("ATTREQ", &rb) == RTNORM) m_savedAttreq = rb.resval.rint;
    setAttreq(0);
    m_lastPlainReference = AcDbObjectId::kNull;
    if (AcDbBlockTableRecord* space = openCurrentSpace()) {
        m_lastPlainReference = lastEntityIfPlainReference(space);
        space->close();
    }
}

void AsdkblockReactor::commandEnded(const char* cmdStr) {
    if (cmdStr && strcasecmp(cmdStr, "PURGE") == 0 && blockList) blockList->refresh();
    if (!cmdStr || !isInsertCommand(cmdStr)) return;
    if (AcDbBlockTableRecord* space = openCurrentSpace()) {
        const AcDbObjectId found = lastPlainReferenceIn(space);
        AcDbBlockReference* reference = nullptr;
        if (!found.isNull() && found != m_lastPlainReference &&
            acdbOpenObject(reference, found, AcDb::kForRead) == Acad::eOk)
            replaceWithIntelligentBlock(space, reference);
        space->close();
    }
    restoreAttreq();
}

void AsdkblockReactor::commandCancelled(const char* cmdStr) {
    m_lastPlainReference = AcDbObjectId::kNull;
    if (cmdStr && isInsertCommand(cmdStr)) restoreAttreq();
}

void AsdkblockReactor::commandFailed(const char* cmdStr) { commandCancelled(cmdStr); }

void AsdkblockReactor::endInsert(AcDbDatabase* to) {
    if (to && blockList) blockList->refresh();
}

void AsdkblockReactor::endDeepClone(AcDbIdMapping&) {
    if (blockList) blockList->refresh();
}

void AsdkblockReactor::restoreAttreq() const { setAttreq(m_savedAttreq); }
