// Shared setup of the entity tests: a drawing with helpers to make blocks and add entities.
#pragma once
#include <gtest/gtest.h>
#include <cmath>
#include "db/database.h"
#include "db/dxffiler.h"

constexpr double kPi = 3.14159265358979323846;

inline void expectPoint(const AcGePoint3d& actual, const AcGePoint3d& expected, double tol = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

class EntityTest : public ::testing::Test {
protected:
    AcDbObjectId addBlock(const char* name, const AcGePoint3d& origin = AcGePoint3d::kOrigin) {
        AcDbBlockTable* table = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(db.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* block = new AcDbBlockTableRecord;
        block->setName(name);
        block->setOrigin(origin);
        if (table->add(id, block) == Acad::eOk)
            block->close();
        else
            delete block;
        table->close();
        return id;
    }
    // Appends an entity to a block and closes it.
    AcDbObjectId add(AcDbObjectId blockId, AcDbEntity* entity) {
        AcDbBlockTableRecord* block = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(block, blockId, AcDb::kForWrite), Acad::eOk);
        if (!block) {
            delete entity;
            return id;
        }
        if (block->appendAcDbEntity(id, entity) == Acad::eOk)
            entity->close();
        else
            delete entity;
        block->close();
        return id;
    }
    AcDbObjectId addToModel(AcDbEntity* entity) { return add(db.modelSpaceId(), entity); }

    // Writes an object's DXF groups to memory and reads them into a fresh object.
    template <class T>
    T* dxfCopy(const T* source, AcDbDxfMemoryFiler& mem) {
        mem.clear();
        EXPECT_EQ(source->dxfOutFields(&mem), Acad::eOk);
        mem.rewind();
        auto* copy = new T;
        EXPECT_EQ(copy->dxfInFields(&mem), Acad::eOk) << mem.errorMessage();
        EXPECT_TRUE(mem.atEOF()) << "groups left unread";
        return copy;
    }
    // Index of the first group with this code (and text, when given) from a position on.
    static int findGroup(const AcDbDxfMemoryFiler& mem, int code, const char* text = nullptr, int from = 0) {
        const auto& groups = mem.groups();
        for (size_t i = static_cast<size_t>(from); i < groups.size(); ++i)
            if (groups[i].code == code && (!text || groups[i].text == text)) return static_cast<int>(i);
        return -1;
    }

    AcDbDatabase db{true, true};
};
