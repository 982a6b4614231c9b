#include <string>
#include "GripDragContext.h"
#include "Utilities.h"
#include "db/line.h"
#include "grip_drag_support.h"

using namespace zefttest;

namespace {

using GripDrag = GripDragTest;

Acad::ErrorStatus dragGrips(AcDbObjectId refId, AcDbIntArray indices, const AcGeVector3d& offset, bool enumerate = true) {
    Open<ZEFTBlockReference> ref(refId, AcDb::kForWrite);
    if (enumerate) gripList(ref.object);
    return ref->moveGripPointsAt(indices, offset);
}

AcDbObjectId shownDefinition(AcDbObjectId refId) { return Open<ZEFTBlockReference>(refId)->blockTableRecord(); }

AcGePoint3d attributeAt(AcDbObjectId refId, int i) {
    Open<ZEFTBlockReference> ref(refId);
    return Open<ZEFTAttribute>(ref->getAttribute(i))->position();
}

AcGePoint3d gripPosition(AcDbObjectId id) { return Open<ZEFTGripPoint>(id)->position(); }

ZEFTGripPoint* sideways(const AcGePoint3d& at) {
    ZEFTGripPoint* g = gripPoint(1, at);
    g->setLeftRight(1);
    return g;
}

}  // namespace

TEST_F(GripDrag, MovesWaitForTheHostsGripRequest) {
    Drawing d;
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block = d.block("W", {sideways(AcGePoint3d())}, AcGePoint3d::kOrigin, &ids);
    const AcDbObjectId ref = sharedReference(d, block);
    Open<ZEFTBlockReference>(ref, AcDb::kForWrite)->dragCloneState = 1;
    EXPECT_EQ(dragGrips(ref, {1}, AcGeVector3d(1, 0, 0), false), Acad::eOk);
    {
        Open<ZEFTBlockReference> r(ref, AcDb::kForWrite);
        EXPECT_EQ(r->dragCloneState, 3);  // marked as moved even so
        EXPECT_FALSE(r->hasPrivateDefinition());
        AcGePoint3dArray points;
        r->getStretchPoints(points);  // before any grip request: stretch only
        EXPECT_EQ(r->moveStretchPointsAt(AcDbIntArray{1}, AcGeVector3d(1, 0, 0)), Acad::eOk);
        EXPECT_FALSE(r->hasPrivateDefinition());
    }
    EXPECT_TRUE(near(gripPosition(ids[0]), AcGePoint3d()));
}

TEST_F(GripDrag, InsertionGripMovesReferenceAndAttributesOnceWithoutACopy) {
    Drawing d;
    const AcDbObjectId block = d.block("DOOR", {sideways(AcGePoint3d())});
    const AcDbObjectId ref = sharedReference(d, block, AcGePoint3d(), {AcGePoint3d(1, 1, 0)});
    const int blocks = d.blockCount();
    Open<ZEFTBlockReference>(ref, AcDb::kForWrite)->dragCloneState = 1;
    EXPECT_EQ(dragGrips(ref, {0}, AcGeVector3d(5, 0, 0)), Acad::eOk);
    Open<ZEFTBlockReference> r(ref);
    EXPECT_TRUE(near(r->position(), AcGePoint3d(5, 0, 0)));
    EXPECT_TRUE(near(attributeAt(ref, 0), AcGePoint3d(6, 1, 0)));
    EXPECT_FALSE(r->hasPrivateDefinition());
    EXPECT_EQ(d.blockCount(), blocks);
    EXPECT_EQ(r->dragCloneState, 0);
}

TEST_F(GripDrag, FirstDragCopiesTheDefinitionOnceAndLeavesOtherReferencesAlone) {
    Drawing d;
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block =
        d.block("DOOR", {sideways(AcGePoint3d()), new AcDbLine(AcGePoint3d(), AcGePoint3d(0, 5, 0))}, AcGePoint3d::kOrigin,
                &ids);
    bind(ids[0], 0, ids[1], {0});
    d.block("*DOOR1");
    const AcDbObjectId first = sharedReference(d, block), second = sharedReference(d, block);
    const int blocks = d.blockCount();
    dragGrips(first, {1}, AcGeVector3d(2, 0, 0));
    dragGrips(first, {1}, AcGeVector3d(2, 0, 0));

    EXPECT_EQ(d.blockCount(), blocks + 1);
    char* name = nullptr;
    Open<ZEFTBlockReference>(first)->internalBlockName(name);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::string(name), "*DOOR2");
    std::free(name);
    EXPECT_EQ(ZEFTBlockReference::blockNameOf(shownDefinition(first)), CString("*DOOR2"));
    const std::vector<AcDbObjectId> copy = d.entitiesOf(shownDefinition(first));
    EXPECT_TRUE(near(Open<AcDbLine>(copy[1])->startPoint(), AcGePoint3d(4, 0, 0)));
    EXPECT_TRUE(near(gripPosition(copy[0]), AcGePoint3d(4, 0, 0)));
    // The source block and the other reference to it are untouched.
    EXPECT_TRUE(near(Open<AcDbLine>(ids[1])->startPoint(), AcGePoint3d()));
    EXPECT_TRUE(near(gripPosition(ids[0]), AcGePoint3d()));
    EXPECT_EQ(shownDefinition(second), block);
}

TEST_F(GripDrag, AttributeGripsCopyTheDefinitionAndMoveEveryAttributeOncePerDrag) {
    Drawing d;
    const AcDbObjectId block = d.block("PLAIN", {new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0))});
    const AcDbObjectId ref = sharedReference(d, block, AcGePoint3d(), {AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0)});
    dragGrips(ref, {1}, AcGeVector3d(1, 0, 0));
    EXPECT_NE(shownDefinition(ref), block);
    EXPECT_EQ(Open<ZEFTBlockReference>(ref)->ownGripCount, 1);
    dragGrips(ref, {1, 2}, AcGeVector3d(1, 0, 0));  // both attribute grips in one drag
    EXPECT_TRUE(near(attributeAt(ref, 0), AcGePoint3d(3, 1, 0)));
    EXPECT_TRUE(near(attributeAt(ref, 1), AcGePoint3d(4, 2, 0)));
}

TEST_F(GripDrag, IndicesFollowTheEnumerationEvenWhenASubPointCountIsOff) {
    Drawing d;
    ZEFTGripPoint* line = gripPoint(4, AcGePoint3d(), {AcGePoint3d(2, 0, 0), AcGePoint3d(4, 0, 0)}, 1);
    ZEFTGripPoint* odd = gripPoint(4, AcGePoint3d(), {AcGePoint3d(), AcGePoint3d(1, 0, 0), AcGePoint3d(2, 0, 0)});
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId ref = d.reference(d.block("MAP", {sideways(AcGePoint3d(1, 1, 0)), odd, line}, AcGePoint3d::kOrigin, &ids));
    dragGrips(ref, {6}, AcGeVector3d(1, 7, 0));  // the first entity comes last: 1-2 line, 3-5 odd, 6 sideways
    dragGrips(ref, {2}, AcGeVector3d(0, 1, 0));  // the line's sub-point 1
    const std::vector<AcDbObjectId> shown = d.entitiesOf(shownDefinition(ref));
    EXPECT_TRUE(near(gripPosition(shown[0]), AcGePoint3d(2, 1, 0)));
    EXPECT_TRUE(near(Open<ZEFTGripPoint>(shown[2])->subPoints[1], AcGePoint3d(4, 1, 0)));
    EXPECT_TRUE(Open<ZEFTGripPoint>(shown[2])->lastOffset().isEqualTo(AcGeVector3d(0, 1, 0)));
    EXPECT_TRUE(currentGripOffset().isEqualTo(AcGeVector3d(0, 1, 0)));
}

TEST_F(GripDrag, StatementsRunAfterEachDragAndKeepTheirVariables) {
    Drawing d;
    QueueDocument queue;
    PrintCapture printed;
    ZEFTGripPoint* counted = sideways(AcGePoint3d());
    counted->AddFormula(statement("setVar( n (+ n 1 ) )"));
    addVariable(counted, "n", 0.0);
    ZEFTGripPoint* cancelling = sideways(AcGePoint3d(5, 0, 0));
    cancelling->AddFormula(statement("cancel( )"));
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId ref = d.reference(d.block("RUN", {counted, cancelling}, AcGePoint3d::kOrigin, &ids));
    const std::vector<AcDbObjectId> shown = d.entitiesOf(shownDefinition(ref));
    {
        Open<ZEFTGripPoint> g(shown[0], AcDb::kForWrite);
        g->variables.GetHead()->kind = RTREAL;  // variables file without their values
        g->variables.GetHead()->realValue = 10.0;
    }
    dragGrips(ref, {2}, AcGeVector3d(1, 0, 0));
    dragGrips(ref, {2}, AcGeVector3d(1, 0, 0));
    EXPECT_DOUBLE_EQ(variableValue(shown[0], "n"), 12.0);
    EXPECT_TRUE(near(gripPosition(shown[0]), AcGePoint3d(2, 0, 0)));

    // A cancel stops the runs of the grip points after it; the reshaping stays.
    EXPECT_EQ(dragGrips(ref, {1, 2}, AcGeVector3d(1, 0, 0)), Acad::eOk);
    EXPECT_TRUE(near(gripPosition(shown[1]), AcGePoint3d(6, 0, 0)));
    EXPECT_DOUBLE_EQ(variableValue(shown[0], "n"), 12.0);
    EXPECT_EQ(queue.undoCount(), 1);

    // Indices that designate no grip point run nothing.
    Open<ZEFTBlockReference> r(ref, AcDb::kForWrite);
    EXPECT_TRUE(r->moveGripPoints(AcDbIntArray{9}, AcGeVector3d(1, 0, 0), r->blockTableRecord(), true));
    EXPECT_FALSE(r->moveGripPoints(AcDbIntArray{2}, AcGeVector3d(1, 0, 0), AcDbObjectId::kNull, true));
    EXPECT_FALSE(r->CheckFormulaForStretch(AcDbIntArray{2}, AcDbObjectId::kNull));
    EXPECT_DOUBLE_EQ(variableValue(shown[0], "n"), 12.0);
}

TEST_F(GripDrag, StretchMovesThePlacementOrTheBoundChildren) {
    Drawing d;
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block =
        d.block("ST", {sideways(AcGePoint3d()), new AcDbLine(AcGePoint3d(), AcGePoint3d(0, 5, 0))}, AcGePoint3d::kOrigin, &ids);
    bind(ids[0], 0, ids[1], {0});
    const AcDbObjectId ref = d.reference(block, AcGePoint3d(), {AcGePoint3d(1, 1, 0)});
    Open<ZEFTBlockReference> r(ref, AcDb::kForWrite);
    gripList(r.object);
    const AcDbObjectId shown = r->blockTableRecord();
    EXPECT_EQ(r->moveStretchPointsAt(AcDbIntArray{1}, AcGeVector3d(3, 3, 0)), Acad::eOk);
    EXPECT_EQ(r->moveStretchPointsAt(AcDbIntArray{0}, AcGeVector3d(0, 2, 0)), Acad::eOk);
    EXPECT_EQ(r->blockTableRecord(), shown);
    EXPECT_TRUE(near(Open<AcDbLine>(d.entitiesOf(shown)[1])->startPoint(), AcGePoint3d(3, 0, 0)));
    EXPECT_TRUE(near(r->position(), AcGePoint3d(0, 2, 0)));
    EXPECT_TRUE(near(Open<ZEFTAttribute>(r->getAttribute(0))->position(), AcGePoint3d(1, 3, 0)));
}

TEST_F(GripDrag, FailedChildStretchesQueueOneUndoAndOneMessagePerMove) {
    Drawing d;
    QueueDocument queue;
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block = d.block("FAIL",
                                       {sideways(AcGePoint3d()), new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)),
                                        new AcDbLine(AcGePoint3d(), AcGePoint3d(2, 0, 0))},
                                       AcGePoint3d::kOrigin, &ids);
    bind(ids[0], 0, ids[1], {7});  // a line has two stretch points: both moves fail
    bind(ids[0], 0, ids[2], {7});
    const AcDbObjectId ref = d.reference(block);
    ModuleAttached module;
    const std::string message(loadResString(kStretchFailedString));
    ASSERT_FALSE(message.empty());
    std::string once;
    {
        PrintCapture printed;
        dragGrips(ref, {1}, AcGeVector3d(1, 0, 0));
        once = PrintCapture::text();
        EXPECT_EQ(queue.undoCount(), 1);
        dragGrips(ref, {1}, AcGeVector3d(1, 0, 0));
        EXPECT_EQ(queue.undoCount(), 2);
        EXPECT_EQ(PrintCapture::text(), once + once);
    }
    EXPECT_EQ(once, message);
}
