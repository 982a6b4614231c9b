#pragma once
// A command line with captured output, lines given by the test and one new drawing; helpers
// that read the drawing back.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "db/database.h"
#include "db/entity.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/input.h"

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        acDocManager->closeAllDocuments();
        line().reset();
        line().setOutput([this](const std::string& text) { out += text; });
        line().setInput(&input);
        doc = acDocManager->newDocument();
        db = doc->database();
    }
    void TearDown() override {
        acDocManager->closeAllDocuments();
        line().setInput(nullptr);
        line().setOutput(nullptr);
        line().reset();
    }
    static AcEdCommandLine& line() { return AcEdCommandLine::instance(); }
    // Runs the lines as a script; answers the failures. No object may stay open.
    int script(const std::string& text) {
        input.push(text);
        int failures = line().run(true);
        EXPECT_EQ(acdbHostOpenObjectCount(), 0) << "objects left open by: " << text;
        return failures;
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }

    // Live entities of a block (model space by default).
    std::vector<AcDbObjectId> entities(AcDbObjectId block = AcDbObjectId::kNull) const {
        std::vector<AcDbObjectId> ids;
        AcDbBlockTableRecord* record = nullptr;
        if (acdbOpenObject(record, block.isNull() ? db->modelSpaceId() : block, AcDb::kForRead) != Acad::eOk)
            return ids;
        for (const AcDbObjectId& id : record->entityIds())
            if (!id.isErased()) ids.push_back(id);
        record->close();
        return ids;
    }
    // Calls fn with the entity of that class, opened for read; false when it is none.
    template <class T, class Fn>
    bool read(AcDbObjectId id, Fn&& fn) const {
        T* object = nullptr;
        if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) return false;
        fn(object);
        object->close();
        return true;
    }
    std::string className(AcDbObjectId id) const {
        AcRxClass* cls = id.objectClass();
        return cls ? cls->name() : std::string();
    }
    AcDbObjectId block(const char* name) const {
        AcDbBlockTable* table = nullptr;
        AcDbObjectId id;
        if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return id;
        table->getAt(name, id);
        table->close();
        return id;
    }
    AcDbObjectId append(AcDbEntity* entity) {
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        space->appendAcDbEntity(id, entity);
        entity->close();
        space->close();
        return id;
    }

    AcEdLineSource input;
    std::string out;
    AcApDocument* doc = nullptr;
    AcDbDatabase* db = nullptr;
};

inline void expectPoint(const AcGePoint3d& actual, const AcGePoint3d& expected, const char* what = "") {
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-9) << what;
}
