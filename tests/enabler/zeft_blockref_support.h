#pragma once
// A drawing for the block reference tests: the working database while it lives, with helpers
// that build block definitions, grip points and intelligent references in it.
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <vector>
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"
#include "db/symtab.h"
#include "rx/rxclass.h"

namespace zefttest {

inline void registerClasses() {
    ZEFTAttribute::rxInit();
    ZEFTAttributeDefinition::rxInit();
    ZEFTBlockReference::rxInit();
    ZEFTGripPoint::rxInit();
    acrxBuildClassHierarchy();
}

inline ZEFTGripPoint* gripPoint(short type, const AcGePoint3d& position, std::initializer_list<AcGePoint3d> sub = {},
                                int topBottom = 0) {
    auto* g = new ZEFTGripPoint();
    g->setGripType(type);
    g->setPosition(position);
    g->setTopBottom(topBottom);
    for (const AcGePoint3d& p : sub) g->subPoints.append(p);
    return g;
}

// Opens an object for the length of a scope.
template <class T>
struct Open {
    explicit Open(AcDbObjectId id, AcDb::OpenMode mode = AcDb::kForRead) { status = acdbOpenObject(object, id, mode); }
    ~Open() {
        if (object) object->close();
    }
    Open(const Open&) = delete;
    Open& operator=(const Open&) = delete;
    T* operator->() const { return object; }
    T* object = nullptr;
    Acad::ErrorStatus status = Acad::eOk;
};

// Its own database, or one given (a document's); the working database while it lives.
struct Drawing {
    Drawing() : owned(std::make_unique<AcDbDatabase>(true, true)), db(*owned) { makeWorking(); }
    explicit Drawing(AcDbDatabase& other) : db(other) { makeWorking(); }
    void makeWorking() {
        previous = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(&db);
    }
    ~Drawing() { acdbHostApplicationServices()->setWorkingDatabase(previous); }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    // A block definition holding the entities in order (taken over); their ids in `ids`.
    AcDbObjectId block(const char* name, std::initializer_list<AcDbEntity*> entities = {},
                       const AcGePoint3d& origin = AcGePoint3d::kOrigin, std::vector<AcDbObjectId>* ids = nullptr) {
        AcDbBlockTable* table = nullptr;
        EXPECT_EQ(db.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* record = new AcDbBlockTableRecord();
        record->setName(name);
        record->setOrigin(origin);
        AcDbObjectId id;
        EXPECT_EQ(table->add(id, record), Acad::eOk);
        table->close();
        for (AcDbEntity* entity : entities) {
            AcDbObjectId entityId;
            EXPECT_EQ(record->appendAcDbEntity(entityId, entity), Acad::eOk);
            entity->close();
            if (ids) ids->push_back(entityId);
        }
        record->close();
        return id;
    }
    AcDbObjectId append(AcDbEntity* entity, AcDbObjectId space = AcDbObjectId::kNull) {
        Open<AcDbBlockTableRecord> record(space.isNull() ? db.modelSpaceId() : space, AcDb::kForWrite);
        AcDbObjectId id;
        EXPECT_EQ(record->appendAcDbEntity(id, entity), Acad::eOk);
        entity->close();
        return id;
    }
    // A reference bound to the definition as the application binds one, in model space with an
    // attribute (also in model space) at each given point.
    AcDbObjectId reference(AcDbObjectId definition, const AcGePoint3d& at = AcGePoint3d::kOrigin,
                           std::initializer_list<AcGePoint3d> attributes = {}) {
        auto* ref = new ZEFTBlockReference();
        ref->setPosition(at);
        ref->setBlockTableRecordId(definition);
        ref->setOriginalBlockName(ZEFTBlockReference::blockNameOf(definition));
        for (const AcGePoint3d& p : attributes) {
            auto* attribute = new ZEFTAttribute();
            attribute->setPosition(p);
            attribute->setTextString("A");
            ref->appendAttribute(append(attribute));
        }
        return append(ref);
    }
    std::vector<AcDbObjectId> entitiesOf(AcDbObjectId blockId) {
        Open<AcDbBlockTableRecord> record(blockId);
        return record.object ? record->entityIds() : std::vector<AcDbObjectId>();
    }
    int blockCount() {
        AcDbBlockTable* table = nullptr;
        if (db.getBlockTable(table, AcDb::kForRead) != Acad::eOk) return -1;
        const int n = table->numRecords();
        table->close();
        return n;
    }

    std::unique_ptr<AcDbDatabase> owned;
    AcDbDatabase& db;
    AcDbDatabase* previous = nullptr;
};

}  // namespace zefttest
