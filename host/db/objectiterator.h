#pragma once
#include <vector>
#include "db/entity.h"

// Walks a list of ids an object owns (the attributes of a block reference). The list is
// taken when the iterator is made; erased objects are skipped unless asked for.
class CADHOST_API AcDbObjectIterator {
public:
    explicit AcDbObjectIterator(std::vector<AcDbObjectId> ids);
    // Members an owner outside a database keeps in memory (the vertices of a polyline that is
    // not in one): where an id is null, entity() answers the member given for it.
    AcDbObjectIterator(std::vector<AcDbObjectId> ids, std::vector<AcDbEntity*> entities);
    virtual ~AcDbObjectIterator();

    void start(bool atEnd = false);
    bool done() const;
    void step(bool backwards = false, bool skipErased = true);
    Acad::ErrorStatus seek(AcDbObjectId id);
    AcDbObjectId objectId() const;
    // The entity in memory at the current position, not opened: open it by objectId() to
    // read or change it.
    AcDbEntity* entity() const;

private:
    void skipErased(bool backwards);
    std::vector<AcDbObjectId> m_ids;
    std::vector<AcDbEntity*> m_entities;  // parallel to m_ids, or empty
    long m_pos = 0;
};
