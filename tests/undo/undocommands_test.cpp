// U, UNDO and REDO on the command line after the drawing and editing commands.
#include "../hostcommands/commands_fixture.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/objectiterator.h"
#include "db/line.h"
#include "undo_support.h"

using namespace undotest;

namespace {
class UndoCommands : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        lineId = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
        // Block "door": a line and an attribute definition.
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* def = new AcDbBlockTableRecord;
        def->setName("door");
        table->add(def);
        table->close();
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 5, 0));
        def->appendAcDbEntity(line);
        line->close();
        auto* attdef = new AcDbAttributeDefinition(AcGePoint3d(1, 1, 0), "", "NAME", "Name?");
        def->appendAcDbEntity(attdef);
        attdef->close();
        def->close();
    }
    // Runs the script, then U must bring the drawing back as it was before the script.
    void expectUndone(const std::string& text) {
        const std::string before = drawingText(db);
        ASSERT_EQ(script(text), 0) << out;
        const std::string after = drawingText(db);
        EXPECT_TRUE(before != after) << text << " changed nothing";
        ASSERT_EQ(script("U\n"), 0) << out;
        EXPECT_EQ(firstDifference(drawingText(db), before), "") << "U after " << text;
        ASSERT_EQ(script("REDO\n"), 0) << out;
        EXPECT_EQ(firstDifference(drawingText(db), after), "") << "REDO after " << text;
        ASSERT_EQ(script("U\n"), 0) << out;
        EXPECT_EQ(firstDifference(drawingText(db), before), "") << "U after REDO of " << text;
    }
    AcDbObjectId lineId;
};
}  // namespace

TEST_F(UndoCommands, UBringsBackTheDrawingAfterEachCommandAndRedoReappliesIt) {
    expectUndone("MOVE ALL\n\n0,0 5,5\n");
    expectUndone("ERASE ALL\n\n");
    expectUndone("INSERT door 20,20 1 0\nJane\n");
    expectUndone("GRIPEDIT 10,0 3 12,4\n");
    expectUndone("STRETCH -1,-1 1,1 0,0 0,3\n");
    expectUndone("BLOCK pair 0,0 ALL\n\n");
    expectUndone("SETVAR TEXTSIZE 9\n");
}

TEST_F(UndoCommands, DrawingCopyingAndBlockCommandsAreUndoneToo) {
    expectUndone("ARC 10,0 0,10 -10,0\n");
    expectUndone("PLINE 0,0 10,0 10,10 C\n");
    expectUndone("TEXT 5,5 3 45 Hello world\n");
    expectUndone("ATTDEF\nname\nYour name\nNobody\n1,2\n\n");
    expectUndone("COPY ALL\n\n0,0 20,0 40,0\n\n");
    expectUndone("MIRROR ALL\n\n0,0 0,1\nY\n");
    expectUndone("ROTATE ALL\n\n0,0 90\n");
    expectUndone("SCALE ALL\n\n0,0 3\n");
    ASSERT_EQ(script("INSERT door 20,20 1 0\nJane\n"), 0) << out;
    expectUndone("EXPLODE ALL\n\n");
    dxftest::TempDir dir;
    const std::string file = dir.file("door.dxf");
    ASSERT_EQ(script("WBLOCK " + file + "\ndoor\nERASE ALL\n\n"), 0) << out;
    expectUndone("PURGE B *\n");
    ASSERT_EQ(script("PURGE B *\n"), 0) << out;
    expectUndone("INSERT " + file + " 0,0 1 0\nAnn\n");
}

TEST_F(UndoCommands, UndoTakesANumberOfCommandsAndSaysWhenNothingIsLeft) {
    const std::string before = drawingText(db);
    ASSERT_EQ(script("LINE 0,0 1,1\n\nCIRCLE 0,0 2\nMOVE ALL\n\n0,0 1,0\n"), 0) << out;
    ASSERT_EQ(script("UNDO 2\n"), 0) << out;
    EXPECT_TRUE(printed("MOVE CIRCLE")) << out;
    EXPECT_EQ(entities().size(), 2u);
    ASSERT_EQ(script("_u\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), before), "");
    out.clear();
    ASSERT_EQ(script("U\n"), 0) << out;
    EXPECT_TRUE(printed("Everything has been undone")) << out;
    ASSERT_EQ(script("REDO\nREDO\n"), 0) << out;
    EXPECT_TRUE(printed("REDO must follow U or UNDO")) << "one redo per undo: " << out;
    EXPECT_EQ(entities().size(), 2u) << "the last U is redone";
    EXPECT_NE(script("UNDO 0\n"), 0) << "a count from 1";
}

TEST_F(UndoCommands, ANewChangeAfterUEndsTheRedo) {
    ASSERT_EQ(script("CIRCLE 0,0 2\nU\nLINE 5,5 6,6\n\n"), 0) << out;
    out.clear();
    ASSERT_EQ(script("REDO\n"), 0) << out;
    EXPECT_TRUE(printed("REDO must follow U or UNDO")) << out;
    EXPECT_EQ(entities().size(), 2u);
}

TEST_F(UndoCommands, CommandsOfALispExpressionAreOneStep) {
    const std::string before = drawingText(db);
    ASSERT_EQ(script("(progn (setvar \"TEXTSIZE\" 4.0) (princ))\n"), 0) << out;
    EXPECT_DOUBLE_EQ(db->textsize(), 4.0);
    ASSERT_EQ(script("U\n"), 0) << out;
    EXPECT_EQ(firstDifference(drawingText(db), before), "");
}

TEST_F(UndoCommands, TheDragCloneOfAReferenceMovesNothingOfTheDrawing) {
    ASSERT_EQ(script("INSERT door 20,20 1 0\nJane\n"), 0) << out;
    const AcDbObjectId ref = entities().back();
    AcDbObjectId attributeId;
    AcGePoint3d before;
    read<AcDbBlockReference>(ref, [&](AcDbBlockReference* r) {
        AcDbObjectIterator* it = r->attributeIterator();
        if (!it->done()) attributeId = it->objectId();
        delete it;
    });
    ASSERT_TRUE(read<AcDbAttribute>(attributeId, [&](AcDbAttribute* a) { before = a->position(); }));
    ASSERT_EQ(script("GRIPEDIT 20,20 1 @5,0\n"), 0) << out;
    read<AcDbAttribute>(attributeId, [&](AcDbAttribute* a) { expectPoint(a->position(), before + AcGeVector3d(5, 0, 0)); });
    read<AcDbBlockReference>(ref, [&](AcDbBlockReference* r) { expectPoint(r->position(), AcGePoint3d(25, 20, 0)); });
}
