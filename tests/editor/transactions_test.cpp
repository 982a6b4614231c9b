// Transactions: objects stay open until the outermost transaction ends; aborting puts the
// drawing back through its undo; nested transactions hand their objects and changes outwards.
#include "db/line.h"
#include "db/undolog.h"
#include "ed/display.h"
#include "ed/transactions.h"
#include "editor_fixture.h"

namespace {
class TransactionTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        db = doc->database();
        a = line(0);
        b = line(5);
    }
    void TearDown() override {
        while (tm()->numActiveTransactions() > 0) tm()->abortTransaction();
        EditorTest::TearDown();
    }
    static AcTransactionManager* tm() { return actrTransactionManager; }
    AcDbObjectId line(double y) {
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* entity = new AcDbLine(AcGePoint3d(0, y, 0), AcGePoint3d(10, y, 0));
        EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
        entity->close();
        space->close();
        return id;
    }
    AcDbLine* get(AcDbObjectId id, AcDb::OpenMode mode) {
        AcDbObject* object = nullptr;
        EXPECT_EQ(tm()->getObject(object, id, mode), Acad::eOk);
        return AcDbLine::cast(object);
    }
    double endX(AcDbObjectId id) {
        AcDbLine* l = nullptr;
        if (acdbOpenObject(l, id, AcDb::kForRead) != Acad::eOk) return -1;
        const double x = l->endPoint().x;
        l->close();
        return x;
    }
    AcDbDatabase* db = nullptr;
    AcDbObjectId a, b;
};

TEST_F(TransactionTest, ObjectsStayOpenUntilTheEndClosesThem) {
    AcDbObject* object = nullptr;
    EXPECT_EQ(tm()->getObject(object, a, AcDb::kForRead), Acad::eNoActiveTransactions);
    EXPECT_EQ(tm()->endTransaction(), Acad::eNoActiveTransactions);
    EXPECT_EQ(tm()->abortTransaction(), Acad::eNoActiveTransactions);
    EXPECT_EQ(acdbTransactionManager, static_cast<AcDbTransactionManager*>(actrTransactionManager));

    AcTransaction* tr = tm()->startTransaction();
    EXPECT_EQ(tm()->numActiveTransactions(), 1);
    EXPECT_EQ(tm()->topTransaction(), tr);
    AcDbLine* first = get(a, AcDb::kForRead);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(get(a, AcDb::kForRead), first) << "opened once for the transaction";
    EXPECT_EQ(get(a, AcDb::kForWrite), first) << "upgraded in place";
    EXPECT_TRUE(first->isWriteEnabled());
    first->setEndPoint(AcGePoint3d(30, 0, 0));
    ASSERT_EQ(tr->getObject(object, b, AcDb::kForNotify), Acad::eOk);
    EXPECT_EQ(tr->numOpenedObjects(), 2);
    EXPECT_EQ(acdbHostOpenObjectCount(), 2);
    EXPECT_EQ(acdbOpenObject(object, a, AcDb::kForRead), Acad::eWasOpenForWrite);

    EXPECT_EQ(tm()->endTransaction(), Acad::eOk);
    EXPECT_EQ(tm()->numActiveTransactions(), 0);
    EXPECT_EQ(tm()->topTransaction(), nullptr);
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
    EXPECT_DOUBLE_EQ(endX(a), 30.0);
}

TEST_F(TransactionTest, AbortPutsTheDrawingBack) {
    const auto ids = [this] {
        AcDbBlockTableRecord* space = nullptr;
        std::vector<AcDbObjectId> live;
        if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return live;
        for (const AcDbObjectId& id : space->entityIds())
            if (!id.isErased()) live.push_back(id);
        space->close();
        return live;
    };
    for (bool recording : {true, false}) {
        db->disableUndoRecording(!recording);
        tm()->startTransaction();
        // Plain opens inside the transaction are put back as well.
        const AcDbObjectId plain = line(20);
        get(a, AcDb::kForWrite)->setEndPoint(AcGePoint3d(40, 0, 0));
        get(b, AcDb::kForWrite)->erase();
        AcDbObject* space = nullptr;
        ASSERT_EQ(tm()->getObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* added = new AcDbLine(AcGePoint3d(0, 9, 0), AcGePoint3d(1, 9, 0));
        ASSERT_EQ(AcDbBlockTableRecord::cast(space)->appendAcDbEntity(added), Acad::eOk);
        ASSERT_EQ(tm()->addNewlyCreatedDBRObject(added), Acad::eOk);

        EXPECT_EQ(tm()->abortTransaction(), Acad::eOk);
        EXPECT_EQ(acdbHostOpenObjectCount(), 0) << "recording " << recording;
        EXPECT_DOUBLE_EQ(endX(a), 10.0);
        EXPECT_FALSE(b.isErased());
        EXPECT_TRUE(plain.isErased());
        EXPECT_EQ(ids(), (std::vector<AcDbObjectId>{a, b})) << "created lines are gone";
    }
    db->disableUndoRecording(false);
}

TEST_F(TransactionTest, NestedTransactionsHandTheirObjectsOutwards) {
    tm()->startTransaction();
    AcDbLine* outerLine = get(a, AcDb::kForWrite);
    outerLine->setEndPoint(AcGePoint3d(11, 0, 0));

    // Aborted inner: its own changes and those to the outer's object go, the outer's stay.
    tm()->startTransaction();
    EXPECT_EQ(tm()->numActiveTransactions(), 2);
    EXPECT_EQ(get(a, AcDb::kForWrite), outerLine);
    outerLine->setEndPoint(AcGePoint3d(12, 0, 0));
    get(b, AcDb::kForWrite)->setEndPoint(AcGePoint3d(13, 5, 0));
    EXPECT_EQ(tm()->abortTransaction(), Acad::eOk);
    EXPECT_TRUE(outerLine->isWriteEnabled()) << "still the outer transaction's";
    EXPECT_DOUBLE_EQ(outerLine->endPoint().x, 11.0);
    EXPECT_EQ(acdbHostOpenObjectCount(), 1);
    EXPECT_DOUBLE_EQ(endX(b), 10.0);

    // Ended inner: its objects stay open and its changes belong to the outer now.
    AcTransaction* inner = tm()->startTransaction();
    AcDbLine* innerLine = get(b, AcDb::kForWrite);
    innerLine->setEndPoint(AcGePoint3d(14, 5, 0));
    EXPECT_EQ(inner->numOpenedObjects(), 1);
    EXPECT_EQ(tm()->endTransaction(), Acad::eOk);
    EXPECT_TRUE(innerLine->isWriteEnabled());
    EXPECT_EQ(tm()->topTransaction()->numOpenedObjects(), 2);

    EXPECT_EQ(tm()->abortTransaction(), Acad::eOk);
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
    EXPECT_DOUBLE_EQ(endX(a), 10.0);
    EXPECT_DOUBLE_EQ(endX(b), 10.0) << "the outer abort undoes the ended inner transaction";
}

TEST_F(TransactionTest, EndedTransactionsAreUndoneWithTheirCommand) {
    acdbHostBeginUndoGroup(db, "TEST");
    tm()->startTransaction();
    tm()->startTransaction();
    get(a, AcDb::kForWrite)->setEndPoint(AcGePoint3d(50, 0, 0));
    tm()->endTransaction();
    get(b, AcDb::kForWrite)->setEndPoint(AcGePoint3d(51, 5, 0));
    tm()->endTransaction();
    acdbHostEndUndoGroup();
    EXPECT_DOUBLE_EQ(endX(a), 50.0);
    ASSERT_NE(db->undoLog(), nullptr);
    EXPECT_EQ(db->undoLog()->undo(1), std::vector<std::string>{"TEST"});
    EXPECT_DOUBLE_EQ(endX(a), 10.0);
    EXPECT_DOUBLE_EQ(endX(b), 10.0);
    db->undoLog()->redo();
    EXPECT_DOUBLE_EQ(endX(a), 50.0);
    EXPECT_DOUBLE_EQ(endX(b), 51.0);
}

TEST_F(TransactionTest, GraphicsAreFlushedThroughTheDisplay) {
    AcEdDisplayList& display = doc->display();
    ASSERT_EQ(acedRegen(), RTNORM);
    tm()->startTransaction();
    AcDbLine* l = get(a, AcDb::kForWrite);
    l->setEndPoint(AcGePoint3d(60, 0, 0));
    get(b, AcDb::kForRead);
    EXPECT_EQ(tm()->flushGraphics(), Acad::eOk);
    EXPECT_EQ(display.lastDrawn(), std::vector<AcDbObjectId>{a}) << "drawn while still open for write";
    EXPECT_DOUBLE_EQ(display.primitivesOf(a)->at(0).points.back().x, 60.0);
    EXPECT_TRUE(l->isWriteEnabled());

    l->setEndPoint(AcGePoint3d(70, 0, 0));
    EXPECT_EQ(tm()->queueForGraphicsFlush(), Acad::eOk);
    const int updates = display.updateCount();
    EXPECT_EQ(tm()->endTransaction(), Acad::eOk);
    EXPECT_GT(display.updateCount(), updates) << "the outermost end flushes the queue";
    EXPECT_DOUBLE_EQ(display.primitivesOf(a)->at(0).points.back().x, 70.0);
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
    EXPECT_EQ(tm()->queueForGraphicsFlush(), Acad::eNoActiveTransactions);
}
}  // namespace
