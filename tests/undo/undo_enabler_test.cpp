// Undo of grip edits, inserts, copies and erasures of intelligent blocks, run on the command line.
#include <algorithm>
#include "../enabler/grip_drag_support.h"
#include "Utilities.h"
#include "../hostcommands/commands_fixture.h"
#include "db/line.h"
#include "undo_support.h"

using namespace undotest;
using namespace zefttest;

namespace {
class UndoIntelligent : public CommandTest {
protected:
    static void SetUpTestSuite() { registerClasses(); }
    void SetUp() override {
        CommandTest::SetUp();
        drawing = std::make_unique<Drawing>(*db);
    }
    void TearDown() override {
        drawing.reset();
        CommandTest::TearDown();
    }
    // Block DOOR: a sideways grip point at (5, 0) that stretches the end of a line.
    // A stretch index past the line's two points makes the child's stretch fail.
    AcDbObjectId doorBlock(const char* statementText = nullptr, int stretchIndex = 1) {
        ZEFTGripPoint* grip = gripPoint(1, AcGePoint3d(5, 0, 0));
        grip->setLeftRight(1);
        if (statementText) grip->AddFormula(statement(statementText));
        std::vector<AcDbObjectId> ids;
        const AcDbObjectId block = drawing->block(
            "DOOR", {grip, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0))}, AcGePoint3d::kOrigin, &ids);
        bind(ids[0], 0, ids[1], {stretchIndex});
        return block;
    }
    // The end of the line in the definition the reference shows.
    AcGePoint3d lineEnd(AcDbObjectId ref) {
        AcDbObjectId shown;
        {
            Open<ZEFTBlockReference> r(ref);
            shown = r->blockTableRecord();
        }
        Open<AcDbLine> line(drawing->entitiesOf(shown)[1]);
        return line->endPoint();
    }
    bool hasBlock(const char* name) { return !block(name).isNull(); }
    // The intelligent reference added last to model space.
    AcDbObjectId lastReference() {
        const std::vector<AcDbObjectId> ids = entities();
        for (auto it = ids.rbegin(); it != ids.rend(); ++it)
            if (it->objectClass() == ZEFTBlockReference::desc()) return *it;
        return AcDbObjectId::kNull;
    }

    std::unique_ptr<Drawing> drawing;
};

Drawing* g_drawing = nullptr;
AcDbObjectId g_definition;

// What the application does when it turns an insert into an intelligent one, as one command.
int intelligentInsert() {
    g_drawing->reference(g_definition, AcGePoint3d(50, 0, 0), {AcGePoint3d(50, 2, 0), AcGePoint3d(50, 4, 0)});
    return RTNORM;
}
}  // namespace

TEST_F(UndoIntelligent, ACancelInAGripStatementLeavesTheDrawingExactlyAsBefore) {
    const AcDbObjectId ref = sharedReference(*drawing, doorBlock("cancel( )"), AcGePoint3d(30, 10, 0), {AcGePoint3d(30, 12, 0)});
    const std::string before = drawingText(db);
    ASSERT_EQ(script("GRIPEDIT L 2 @3,0\n"), 0) << out;
    EXPECT_GT(out.rfind("GRIPEDIT"), out.find("Specify stretch point")) << "the queued U names what it undid: " << out;
    EXPECT_EQ(firstDifference(drawingText(db), before), "") << out;
    EXPECT_FALSE(hasBlock("*DOOR1"));
    EXPECT_FALSE(Open<ZEFTBlockReference>(ref)->hasPrivateDefinition());
    EXPECT_TRUE(doc->pendingInput().empty());
}

TEST_F(UndoIntelligent, AChildThatCannotStretchUndoesTheGripEditWithOneMessage) {
    ModuleAttached module;
    const std::string message(loadResString(kStretchFailedString));
    ASSERT_FALSE(message.empty());
    const AcDbObjectId definition = doorBlock(nullptr, 7);
    sharedReference(*drawing, definition, AcGePoint3d(30, 10, 0));
    const std::string before = drawingText(db);
    ASSERT_EQ(script("GRIPEDIT L 2 @3,0\n"), 0) << out;
    EXPECT_NE(out.find(message), std::string::npos) << out;
    EXPECT_EQ(out.find(message), out.rfind(message)) << "once: the drag clone's message is not shown";
    EXPECT_EQ(firstDifference(drawingText(db), before), "") << out;
}

TEST_F(UndoIntelligent, AGripEditIsOneStepAndItsDragCloneLeavesNothingBehind) {
    const AcDbObjectId ref = sharedReference(*drawing, doorBlock(), AcGePoint3d(30, 10, 0), {AcGePoint3d(30, 12, 0)});
    const std::string before = drawingText(db);
    ASSERT_EQ(script("GRIPEDIT L 2 @3,0\n"), 0) << out;
    EXPECT_TRUE(near(lineEnd(ref), AcGePoint3d(8, 0, 0))) << "moved once, not once more for the clone";
    EXPECT_TRUE(hasBlock("*DOOR1")) << "the first drag makes the private copy";
    EXPECT_FALSE(hasBlock("*DOOR2")) << "and no drag sample made one that stayed";
    EXPECT_EQ(Open<ZEFTBlockReference>(ref)->dragCloneState, 0);
    const std::string after = drawingText(db);

    ASSERT_EQ(script("U\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), before), "");
    EXPECT_FALSE(hasBlock("*DOOR1"));
    ASSERT_EQ(script("REDO\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), after), "");
    EXPECT_TRUE(near(lineEnd(ref), AcGePoint3d(8, 0, 0)));

    // The next drag works on the private copy again.
    ASSERT_EQ(script("GRIPEDIT L 2 @1,0\n"), 0) << out;
    EXPECT_TRUE(near(lineEnd(ref), AcGePoint3d(9, 0, 0)));
    ASSERT_EQ(script("U\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), after), "");
}

TEST_F(UndoIntelligent, AnIntelligentInsertAndItsErasureAreUndone) {
    g_drawing = drawing.get();
    g_definition = doorBlock();
    ASSERT_TRUE(acedHostDefineCommand({"TESTZINSERT", intelligentInsert}));
    const std::string before = drawingText(db);
    ASSERT_EQ(script("TESTZINSERT\n"), 0) << out;
    EXPECT_EQ(entities().size(), 3u);
    ASSERT_EQ(script("U\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), before), "");
    EXPECT_TRUE(entities().empty());

    ASSERT_EQ(script("TESTZINSERT\n"), 0) << out;
    const std::string inserted = drawingText(db);
    const AcDbObjectId ref = entities().back();
    ASSERT_EQ(script("ERASE L\n\n"), 0) << out;
    EXPECT_TRUE(entities().empty()) << "the attributes go with the reference";
    ASSERT_EQ(script("U\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), inserted), "");
    EXPECT_EQ(Open<ZEFTBlockReference>(ref)->attributeCount(), 2);
    EXPECT_EQ(entities().size(), 3u);
    acedHostRemoveCommand("TESTZINSERT");
}

TEST_F(UndoIntelligent, AStretchOfAnIntelligentReferenceIsUndone) {
    const AcDbObjectId ref = sharedReference(*drawing, doorBlock(), AcGePoint3d(30, 10, 0), {AcGePoint3d(30, 12, 0)});
    gripList(Open<ZEFTBlockReference>(ref).object);  // its grips were shown before the stretch
    const std::string before = drawingText(db);
    ASSERT_EQ(script("STRETCH 34,9 36,11 0,0 2,0\n"), 0) << out;
    EXPECT_TRUE(drawingText(db) != before) << out;
    ASSERT_EQ(script("U\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), before), "");
}

// COPY and MIRROR (keeping the source) clone an intelligent door as the host clones objects: each
// copy gets a definition and attributes of its own, a grip drag of one door changes no other,
// and U takes the copy away again without a trace.
TEST_F(UndoIntelligent, CopiedAndMirroredDoorsAreIndependentAndUndone) {
    const AcDbObjectId door = drawing->reference(doorBlock(), AcGePoint3d(30, 10, 0), {AcGePoint3d(30, 12, 0)});
    ASSERT_TRUE(Open<ZEFTBlockReference>(door)->hasPrivateDefinition());
    const std::string original = drawingText(db);
    ASSERT_EQ(script("COPY L\n\n0,0 0,-20\n\n"), 0) << out;
    const AcDbObjectId copy = lastReference();
    ASSERT_EQ(script("U\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), original), "") << "U after COPY";
    ASSERT_EQ(script("REDO\n"), 0) << out;

    ASSERT_EQ(script("MIRROR 32,10\n\n0,0 0,1\n\n"), 0) << out;
    const AcDbObjectId mirrored = lastReference();
    const std::vector<AcDbObjectId> doors = {door, copy, mirrored};
    for (const AcDbObjectId& id : {copy, mirrored}) {
        ASSERT_NE(id, door);
        Open<ZEFTBlockReference> ref(id);
        ASSERT_NE(ref.object, nullptr) << "the clone is an intelligent reference";
        EXPECT_NE(ref->blockTableRecord(), Open<ZEFTBlockReference>(door)->blockTableRecord());
        ASSERT_EQ(ref->attributeCount(), 1);
        EXPECT_NE(ref->getAttribute(0), Open<ZEFTBlockReference>(door)->getAttribute(0));
        const std::vector<AcDbObjectId> held = entities();
        EXPECT_NE(std::find(held.begin(), held.end(), ref->getAttribute(0)), held.end())
            << "model space holds the clone's attribute as it holds the source's, so it is filed";
    }
    EXPECT_EQ(entities().size(), 6u);
    expectPoint(Open<ZEFTBlockReference>(copy)->position(), AcGePoint3d(30, -10, 0));
    expectPoint(Open<ZEFTBlockReference>(mirrored)->position(), AcGePoint3d(-30, 10, 0));
    {
        Open<ZEFTBlockReference> ref(copy);
        expectPoint(Open<ZEFTAttribute>(ref->getAttribute(0))->position(), AcGePoint3d(30, -8, 0));
    }

    // Each door's grip is dragged in turn; the others keep their definitions' entities.
    for (const AcDbObjectId& dragged : doors) {
        std::vector<AcGePoint3d> ends;
        for (const AcDbObjectId& other : doors) ends.push_back(lineEnd(other));
        {
            Open<ZEFTBlockReference> ref(dragged, AcDb::kForWrite);
            gripList(ref.object);
            AcDbIntArray grip;
            grip.append(1);
            ASSERT_EQ(ref->moveGripPointsAt(grip, AcGeVector3d(2, 0, 0)), Acad::eOk);
        }
        for (size_t i = 0; i < doors.size(); ++i) {
            if (doors[i] == dragged) EXPECT_FALSE(near(lineEnd(doors[i]), ends[i])) << "the dragged door changes";
            else EXPECT_TRUE(near(lineEnd(doors[i]), ends[i])) << "door " << i << " changed with another";
        }
    }
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}
