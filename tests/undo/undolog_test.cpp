// Undo groups of a drawing without the command line: what is recorded and what comes back.
#include <functional>
#include <memory>
#include "db/aligneddim.h"
#include "db/arc.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/mtext.h"
#include "db/point.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/text.h"
#include "../enabler/zeft_blockref_support.h"
#include "undo_support.h"

using namespace undotest;

namespace {
class UndoLog : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(acdbHostOpenObjectCount(), 0); }

    AcDbObjectId append(AcDbEntity* entity, AcDbObjectId space = AcDbObjectId::kNull) { return d.append(entity, space); }
    AcDbObjectId addBlock(const char* name) { return d.block(name); }
    bool hasBlock(const char* name) {
        AcDbBlockTable* table = nullptr;
        if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return false;
        const bool has = table->has(name);
        table->close();
        return has;
    }
    void transform(AcDbObjectId id, const AcGeMatrix3d& m) {
        AcDbEntity* entity = nullptr;
        ASSERT_EQ(acdbOpenObject(entity, id, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(entity->transformBy(m), Acad::eOk);
        entity->close();
    }
    void erase(AcDbObjectId id) {
        AcDbObject* obj = nullptr;
        ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(obj->erase(), Acad::eOk);
        obj->close();
    }
    AcGePoint3d startOf(AcDbObjectId id) {
        AcDbLine* line = nullptr;
        EXPECT_EQ(acdbOpenObject(line, id, AcDb::kForRead, true), Acad::eOk);
        if (!line) return AcGePoint3d();
        const AcGePoint3d p = line->startPoint();
        line->close();
        return p;
    }
    void setStart(AcDbObjectId id, const AcGePoint3d& p) {
        AcDbLine* line = nullptr;
        ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
        line->setStartPoint(p);
        line->close();
    }
    AcDbUndoLog& log() { return db->internalUndoLog(); }

    zefttest::Drawing d;
    AcDbDatabase* db = &d.db;
};

// One of each kind the host draws, a reference with an attribute, a 2-D polyline with vertices.
std::vector<AcDbObjectId> everyKind(const std::function<AcDbObjectId(AcDbEntity*)>& add) {
    std::vector<AcDbObjectId> ids;
    ids.push_back(add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0))));
    ids.push_back(add(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 2)));
    ids.push_back(add(new AcDbArc(AcGePoint3d(1, 1, 0), 3, 0.1, 2.0)));
    ids.push_back(add(new AcDbEllipse(AcGePoint3d(2, 2, 0), AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5)));
    ids.push_back(add(new AcDbPoint(AcGePoint3d(7, 7, 0))));
    ids.push_back(add(new AcDbText(AcGePoint3d(1, 9, 0), "note")));
    auto* mtext = new AcDbMText;
    mtext->setContents("two\\Plines");
    ids.push_back(add(mtext));
    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0));
    lw->addVertexAt(1, AcGePoint2d(3, 0), 0.5);
    lw->addVertexAt(2, AcGePoint2d(3, 3));
    ids.push_back(add(lw));
    AcGePoint3dArray corners;
    corners.append(AcGePoint3d(0, 0, 0));
    corners.append(AcGePoint3d(4, 1, 0));
    corners.append(AcGePoint3d(8, 0, 0));
    ids.push_back(add(new AcDb2dPolyline(AcDb::k2dSimplePoly, corners)));
    ids.push_back(add(new AcDbAlignedDimension(AcGePoint3d(0, 0, 0), AcGePoint3d(6, 0, 0), AcGePoint3d(3, 2, 0))));
    return ids;
}
}  // namespace

TEST_F(UndoLog, EveryKindComesBackAsItWasAndRedoPutsTheChangeBack) {
    std::vector<AcDbObjectId> ids = everyKind([this](AcDbEntity* e) { return append(e); });
    // A reference of a block with an attribute definition, holding one attribute.
    const AcDbObjectId blockId = addBlock("tag");
    auto* attdef = new AcDbAttributeDefinition(AcGePoint3d(0, 1, 0), "A0", "T", "T?");
    append(attdef, blockId);
    auto* ref = new AcDbBlockReference(AcGePoint3d(20, 0, 0), blockId);
    const AcDbObjectId refId = append(ref);
    {
        AcDbBlockReference* r = nullptr;
        ASSERT_EQ(acdbOpenObject(r, refId, AcDb::kForWrite), Acad::eOk);
        auto* attribute = new AcDbAttribute;
        attribute->setTag("T");
        attribute->setTextString("A1");
        attribute->setPosition(AcGePoint3d(20, 1, 0));
        r->appendAttribute(attribute);
        attribute->close();
        r->close();
    }
    ids.push_back(refId);

    const std::string before = drawingText(db);
    const AcGeMatrix3d m = AcGeMatrix3d::translation(AcGeVector3d(3, -2, 0)) *
                           AcGeMatrix3d::rotation(0.5, AcGeVector3d::kZAxis, AcGePoint3d(1, 2, 0));
    asCommand(db, "CHANGE", [&] {
        for (const AcDbObjectId& id : ids) transform(id, m);
        erase(ids[1]);
        erase(refId);  // takes its attribute with it
    });
    const std::string after = drawingText(db);
    ASSERT_NE(before, after);
    EXPECT_EQ(log().undoableGroups(), 1);

    EXPECT_EQ(log().undo(1), std::vector<std::string>{"CHANGE"});
    EXPECT_EQ(firstDifference(drawingText(db), before), "");
    ASSERT_TRUE(log().canRedo());
    EXPECT_EQ(log().redo(), std::vector<std::string>{"CHANGE"});
    EXPECT_EQ(firstDifference(drawingText(db), after), "");
    log().undo(1);
    EXPECT_EQ(firstDifference(drawingText(db), before), "") << "undo after redo";
    EXPECT_FALSE(ids[1].isErased());
}

TEST_F(UndoLog, CreatedObjectsLeaveWithTheirHandles) {
    const AcDbObjectId line = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    const std::string before = drawingText(db);
    const AcDbHandle seed = db->handseed();
    AcDbObjectId added, blockId, inBlock;
    asCommand(db, "MAKE", [&] {
        added = append(new AcDbLine(AcGePoint3d(0, 1, 0), AcGePoint3d(1, 1, 0)));
        blockId = addBlock("B");
        inBlock = append(new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1), blockId);
        db->setHeaderValue("TEXTSIZE", 7.5);
        setStart(line, AcGePoint3d(-1, 0, 0));
    });
    const AcDbHandle addedHandle = added.handle();
    log().undo(1);
    EXPECT_EQ(firstDifference(drawingText(db), before), "") << "header and handle seed included";
    EXPECT_FALSE(hasBlock("B"));
    EXPECT_TRUE(added.isErased());
    EXPECT_TRUE(db->handseed() == seed);
    AcDbObjectId byHandle;
    EXPECT_EQ(db->getAcDbObjectId(byHandle, false, addedHandle), Acad::eUnknownHandle);

    log().redo();
    EXPECT_TRUE(hasBlock("B"));
    EXPECT_FALSE(inBlock.isErased());
    EXPECT_DOUBLE_EQ(db->textsize(), 7.5);
    ASSERT_EQ(db->getAcDbObjectId(byHandle, false, addedHandle), Acad::eOk);
    EXPECT_EQ(byHandle, added);

    // Once undone again, a new object takes the handle back and the redo is gone.
    log().undo(1);
    const AcDbObjectId next = append(new AcDbPoint(AcGePoint3d()));
    EXPECT_TRUE(next.handle() == addedHandle);
    EXPECT_FALSE(log().canRedo());
    EXPECT_TRUE(added.isErased());
}

TEST_F(UndoLog, NothingIsRecordedWhileRecordingIsOff) {
    const AcDbObjectId line = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    db->disableUndoRecording(true);
    asCommand(db, "OFF", [&] {
        setStart(line, AcGePoint3d(5, 5, 0));
        append(new AcDbPoint(AcGePoint3d()));
    });
    EXPECT_EQ(log().undoableGroups(), 0);
    EXPECT_TRUE(log().undo(1).empty());
    EXPECT_TRUE(startOf(line) == AcGePoint3d(5, 5, 0));

    db->disableUndoRecording(false);
    asCommand(db, "ON", [&] { setStart(line, AcGePoint3d(6, 6, 0)); });
    asCommand(db, "NONE", [] {});
    EXPECT_EQ(log().undoableGroups(), 2) << "a command that changes nothing is a step too";
    EXPECT_EQ(log().undo(2), (std::vector<std::string>{"NONE", "ON"}));
    EXPECT_TRUE(startOf(line) == AcGePoint3d(5, 5, 0));
}

TEST_F(UndoLog, NestedGroupsAreOneStep) {
    const AcDbObjectId line = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    acdbHostBeginUndoGroup(db, "OUTER");
    setStart(line, AcGePoint3d(1, 1, 0));
    asCommand(db, "INNER", [&] { setStart(line, AcGePoint3d(2, 2, 0)); });
    append(new AcDbPoint(AcGePoint3d()));
    acdbHostEndUndoGroup();
    EXPECT_FALSE(acdbHostUndoGroupActive());
    EXPECT_EQ(log().undo(5), std::vector<std::string>{"OUTER"});
    EXPECT_TRUE(startOf(line) == AcGePoint3d(0, 0, 0));
}

TEST_F(UndoLog, APreviewIsRolledBackAndLeavesNoRecord) {
    const AcDbObjectId a = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    const AcDbObjectId b = append(new AcDbLine(AcGePoint3d(0, 5, 0), AcGePoint3d(1, 5, 0)));
    const AcDbHandle seed = db->handseed();
    AcDbObjectId made;
    asCommand(db, "DRAG", [&] {
        setStart(a, AcGePoint3d(1, 1, 0));
        {
            AcDbUndoPreviewScope preview(db);
            setStart(a, AcGePoint3d(2, 2, 0));
            setStart(b, AcGePoint3d(3, 3, 0));
            made = append(new AcDbPoint(AcGePoint3d()));
            db->setHeaderValue("TEXTSIZE", 9.0);
        }
        EXPECT_TRUE(startOf(a) == AcGePoint3d(1, 1, 0)) << "back to the state before the preview";
        EXPECT_TRUE(startOf(b) == AcGePoint3d(0, 5, 0));
        EXPECT_TRUE(made.isErased());
        EXPECT_TRUE(db->handseed() == seed);
        EXPECT_DOUBLE_EQ(db->textsize(), 2.5);
        setStart(b, AcGePoint3d(4, 4, 0));
    });
    log().undo(1);
    EXPECT_TRUE(startOf(a) == AcGePoint3d(0, 0, 0));
    EXPECT_TRUE(startOf(b) == AcGePoint3d(0, 5, 0));

    // With recording off the preview still leaves nothing behind.
    db->disableUndoRecording(true);
    {
        AcDbUndoPreviewScope preview(db);
        setStart(a, AcGePoint3d(8, 8, 0));
    }
    EXPECT_TRUE(startOf(a) == AcGePoint3d(0, 0, 0));
}

namespace {
struct UndoWatch : AcDbObjectReactor {
    void modified(const AcDbObject* object) override { sawUndoing |= object->isUndoing(); }
    bool sawUndoing = false;
};
}  // namespace

TEST_F(UndoLog, ObjectsKnowWhenTheyAreUndoneAndOpenOnesAreCounted) {
    const AcDbObjectId a = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    const AcDbObjectId b = append(new AcDbLine(AcGePoint3d(0, 5, 0), AcGePoint3d(1, 5, 0)));
    UndoWatch watch;
    {
        AcDbObject* obj = nullptr;
        ASSERT_EQ(acdbOpenObject(obj, b, AcDb::kForRead), Acad::eOk);
        obj->addReactor(&watch);
        obj->close();
    }
    asCommand(db, "TWO", [&] {
        setStart(a, AcGePoint3d(1, 1, 0));
        setStart(b, AcGePoint3d(2, 2, 0));
    });
    EXPECT_FALSE(watch.sawUndoing);
    AcDbObject* held = nullptr;
    ASSERT_EQ(acdbOpenObject(held, a, AcDb::kForRead), Acad::eOk);
    int failures = 0;
    log().undo(1, &failures);
    held->close();
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(startOf(a) == AcGePoint3d(1, 1, 0)) << "left as it was";
    EXPECT_TRUE(startOf(b) == AcGePoint3d(0, 5, 0));
    EXPECT_TRUE(watch.sawUndoing);
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, b, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(obj->isUndoing());
    obj->removeReactor(&watch);
    obj->close();
}

TEST_F(UndoLog, ReadingADrawingForgetsTheRecords) {
    const AcDbObjectId a = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    asCommand(db, "MOVE", [&] { setStart(a, AcGePoint3d(1, 1, 0)); });
    dxftest::TempDir dir;
    const std::string file = dir.file("other.dxf");
    AcDbDatabase other(true, true);
    ASSERT_EQ(other.dxfOut(file.c_str()), Acad::eOk);
    ASSERT_EQ(db->readDxfFile(file.c_str()), Acad::eOk);
    EXPECT_EQ(log().undoableGroups(), 0) << "the records named objects of the drawing that was replaced";
    EXPECT_TRUE(log().undo(1).empty());
}
