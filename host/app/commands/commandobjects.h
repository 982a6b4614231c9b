#pragma once
// Database work of the drawing and editing commands: objects held open for the span of a
// scope, new entities added to a block all or none, erasing, and deep cloning with the
// editor's notifications.
#include <vector>
#include "db/database.h"
#include "db/entity.h"

class AcDbBlockReference;

namespace hostcmd {

// An object opened by id and closed when the scope ends (or by close()).
template <class T>
class Opened {
public:
    Opened(AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
        m_status = acdbOpenObject(m_object, id, mode, openErased);
    }
    ~Opened() { close(); }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    void close() {
        if (m_object) m_object->close();
        m_object = nullptr;
    }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    Acad::ErrorStatus status() const { return m_status; }

private:
    T* m_object = nullptr;
    Acad::ErrorStatus m_status = Acad::eOk;
};

// Entities of a block in order, erased ones left out.
std::vector<AcDbObjectId> blockEntities(AcDbObjectId blockId);

// Appends new entities (owned by the caller until then) to a block, all or none: on a
// failure the ones already appended are erased and the rest deleted. Every entity is closed
// or deleted when it returns; the ids of the appended ones go to ids.
Acad::ErrorStatus appendEntities(AcDbObjectId blockId, std::vector<AcDbEntity*>& entities,
                                 AcDbObjectIdArray* ids = nullptr);
// New entities drawn by a command: the drawing's current properties, into the current space.
Acad::ErrorStatus addDrawnEntity(AcDbDatabase* db, AcDbEntity* entity, AcDbObjectId* id = nullptr);
Acad::ErrorStatus addDrawnEntities(AcDbDatabase* db, std::vector<AcDbEntity*>& entities);

// Gives a reference (in a database, open for write) transformed copies of another
// reference's attributes.
Acad::ErrorStatus copyAttributes(const AcDbBlockReference* source, AcDbBlockReference* target,
                                 const AcGeMatrix3d& xform);

// Erases the objects that can be; answers how many could not.
int eraseObjects(const AcDbObjectIdArray& ids);

// Deep clones objects of one owner into another owner of the same drawing, with the editor's
// beginDeepClone, beginDeepCloneXlation and endDeepClone (abortDeepClone on failure, the
// clones made so far erased again).
Acad::ErrorStatus deepCloneWithNotifications(AcDbDatabase* db, AcDbObjectIdArray& ids, AcDbObjectId owner,
                                             AcDbIdMapping& idMap);

}  // namespace hostcmd
