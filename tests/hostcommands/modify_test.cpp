#include <cmath>
#include "commands_fixture.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/objectiterator.h"
#include "db/text.h"

namespace {
class Modify : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        lineId = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
    }
    std::pair<AcGePoint3d, AcGePoint3d> ends(AcDbObjectId id) const {
        std::pair<AcGePoint3d, AcGePoint3d> e;
        EXPECT_TRUE(read<AcDbLine>(id, [&](AcDbLine* l) { e = {l->startPoint(), l->endPoint()}; }));
        return e;
    }
    void expectLine(AcDbObjectId id, const AcGePoint3d& start, const AcGePoint3d& end, const char* what = "") const {
        auto e = ends(id);
        expectPoint(e.first, start, what);
        expectPoint(e.second, end, what);
    }
    // A reference of block "tag" (a line and one attribute definition) with attribute "A1".
    AcDbObjectId addReference(const AcGePoint3d& at) {
        AcDbBlockTable* table = nullptr;
        EXPECT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* def = new AcDbBlockTableRecord;
        def->setName("tag");
        AcDbObjectId blockId;
        table->add(blockId, def);
        table->close();
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0));
        def->appendAcDbEntity(line);
        line->close();
        auto* attdef = new AcDbAttributeDefinition(AcGePoint3d(0, 1, 0), "A0", "T", "T?");
        def->appendAcDbEntity(attdef);
        def->close();
        auto* ref = new AcDbBlockReference(at, blockId);
        AcDbBlockTableRecord* space = nullptr;
        EXPECT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        AcDbObjectId refId;
        space->appendAcDbEntity(refId, ref);
        space->close();
        auto* attribute = new AcDbAttribute;
        attribute->setAttributeFromBlock(attdef, ref->blockTransform());
        attribute->setTextString("A1");
        ref->appendAttribute(attribute);
        attribute->close();
        attdef->close();
        ref->close();
        return refId;
    }
    std::vector<AcDbObjectId> attributesOf(AcDbObjectId refId) const {
        std::vector<AcDbObjectId> ids;
        read<AcDbBlockReference>(refId, [&](AcDbBlockReference* r) {
            AcDbObjectIterator* it = r->attributeIterator();
            for (; !it->done(); it->step()) ids.push_back(it->objectId());
            delete it;
        });
        return ids;
    }
    AcDbObjectId lineId;
};

TEST_F(Modify, MoveRotateScaleThroughTransformBy) {
    ASSERT_EQ(script("MOVE 5,0\n\n0,0 10,10\n"), 0) << out;
    expectLine(lineId, AcGePoint3d(10, 10, 0), AcGePoint3d(20, 10, 0), "moved");
    ASSERT_EQ(script("MOVE ALL\n\n-10,-10\n\n"), 0) << out;
    expectLine(lineId, AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), "an empty second point takes the base as offset");
    ASSERT_EQ(script("ROTATE ALL\n\n0,0 90\n"), 0) << out;
    expectLine(lineId, AcGePoint3d(0, 0, 0), AcGePoint3d(0, 10, 0), "rotated");
    ASSERT_EQ(script("ROTATE ALL\n\n0,0 -5,0\n"), 0) << out;
    expectLine(lineId, AcGePoint3d(0, 0, 0), AcGePoint3d(0, -10, 0), "by the angle of the point from the base");
    ASSERT_EQ(script("SCALE ALL\n\n0,-10 0.5\n"), 0) << out;
    expectLine(lineId, AcGePoint3d(0, -5, 0), AcGePoint3d(0, -10, 0), "scaled about the base");
    EXPECT_EQ(entities().size(), 1u);
}

TEST_F(Modify, MirrorCopiesOrReplaces) {
    const AcDbObjectId circle = append(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 1));
    ASSERT_EQ(script("MIRROR ALL\n\n0,0 0,1\n\n"), 0) << out;
    std::vector<AcDbObjectId> ids = entities();
    ASSERT_EQ(ids.size(), 4u) << "the sources are kept";
    expectLine(lineId, AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    expectLine(ids[2], AcGePoint3d(0, 0, 0), AcGePoint3d(-10, 0, 0), "the mirrored copy");
    read<AcDbCircle>(ids[3], [](AcDbCircle* c) { expectPoint(c->center(), AcGePoint3d(-5, 5, 0)); });

    ASSERT_EQ(script("MIRROR 5,0\n\n0,2 1,2 Y\n"), 0) << out;
    expectLine(lineId, AcGePoint3d(0, 4, 0), AcGePoint3d(10, 4, 0), "mirrored in place");
    read<AcDbCircle>(circle, [](AcDbCircle* c) { expectPoint(c->center(), AcGePoint3d(5, 5, 0)); });
    EXPECT_EQ(script("MIRROR ALL\n\n3,3 3,3\n"), 1) << "a mirror line needs two points";
    EXPECT_TRUE(printed("two different points")) << out;
}

TEST_F(Modify, CopyToSeveralPointsKeepsAttributesApart) {
    const AcDbObjectId ref = addReference(AcGePoint3d(0, 10, 0));
    ASSERT_EQ(script("COPY ALL\n\n0,0 20,0 40,0\n\n"), 0) << out;
    std::vector<AcDbObjectId> ids = entities();
    ASSERT_EQ(ids.size(), 6u);
    expectLine(ids[4], AcGePoint3d(40, 0, 0), AcGePoint3d(50, 0, 0));
    const std::vector<AcDbObjectId> original = attributesOf(ref);
    const std::vector<AcDbObjectId> copied = attributesOf(ids[5]);
    ASSERT_EQ(copied.size(), 1u) << "the copy has attributes of its own";
    EXPECT_NE(copied[0], original[0]);
    read<AcDbAttribute>(copied[0], [](AcDbAttribute* a) {
        EXPECT_STREQ(a->textStringConst(), "A1");
        expectPoint(a->position(), AcGePoint3d(40, 11, 0));
    });
    read<AcDbAttribute>(original[0], [](AcDbAttribute* a) { expectPoint(a->position(), AcGePoint3d(0, 11, 0)); });
}

TEST_F(Modify, ExplodeReplacesAReferenceByItsPieces) {
    const AcDbObjectId ref = addReference(AcGePoint3d(100, 0, 0));
    ASSERT_EQ(script("EXPLODE ALL\n\n"), 0) << out;
    EXPECT_TRUE(ref.isErased());
    EXPECT_TRUE(printed("1 object(s) exploded.")) << out;
    EXPECT_TRUE(printed("1 object(s) could not be exploded.")) << "the line stays as it is";
    std::vector<AcDbObjectId> ids = entities();
    ASSERT_EQ(ids.size(), 3u) << "the line, the block's line, the attribute as text";
    EXPECT_EQ(ids[0], lineId);
    expectLine(ids[1], AcGePoint3d(100, 0, 0), AcGePoint3d(104, 0, 0), "under the block transform");
    EXPECT_TRUE(read<AcDbText>(ids[2], [](AcDbText* t) { EXPECT_STREQ(t->textStringConst(), "A1"); }));
}

TEST_F(Modify, StretchMovesOnlyThePointsInTheWindow) {
    const AcDbObjectId far = append(new AcDbLine(AcGePoint3d(20, 0, 0), AcGePoint3d(30, 0, 0)));
    const AcDbObjectId inside = append(new AcDbLine(AcGePoint3d(1, 0.5, 0), AcGePoint3d(2, 0.5, 0)));
    ASSERT_EQ(script("STRETCH -1,-1 5,1 0,0 0,5\n"), 0) << out;
    expectLine(lineId, AcGePoint3d(0, 5, 0), AcGePoint3d(10, 0, 0), "only the start was inside");
    expectLine(far, AcGePoint3d(20, 0, 0), AcGePoint3d(30, 0, 0), "outside the window");
    expectLine(inside, AcGePoint3d(1, 5.5, 0), AcGePoint3d(2, 5.5, 0), "wholly inside: moved");
    EXPECT_TRUE(printed("2 object(s) stretched.")) << out;
}

TEST_F(Modify, GripeditMovesALinesEnd) {
    ASSERT_EQ(script("GRIPEDIT 5,0 2 20,5\n"), 0) << out;
    EXPECT_TRUE(printed("  1  0.0000,0.0000,0.0000")) << out;
    expectLine(lineId, AcGePoint3d(0, 0, 0), AcGePoint3d(20, 5, 0));
    ASSERT_EQ(script("GRIPEDIT L 20,5 @0,-5\n"), 0) << out;
    expectLine(lineId, AcGePoint3d(0, 0, 0), AcGePoint3d(20, 0, 0), "grip picked by point, @ relative to it");
    EXPECT_EQ(script("GRIPEDIT 5,0 7\n"), 1);
    EXPECT_TRUE(printed("Grip numbers run from 1 to 3.")) << out;
    EXPECT_EQ(script("GRIPEDIT 5,30\n"), 1);
    EXPECT_TRUE(printed("No object found at that point.")) << out;
    expectLine(lineId, AcGePoint3d(0, 0, 0), AcGePoint3d(20, 0, 0));
}

TEST_F(Modify, EscapeOrWrongAnswersChangeNothing) {
    doc->setModified(false);
    ASSERT_EQ(script("MOVE ALL\n\n0,0 \x1b\nROTATE ALL\n\n0,0 \x1b\nCOPY ALL\n\n0,0 5,0 \x1b\n"), 0) << out;
    EXPECT_EQ(script("SCALE ALL\n\n0,0 -2\n"), 1);
    EXPECT_EQ(script("STRETCH 0,0 1,1 0,0 xyz\n"), 1);
    EXPECT_EQ(entities().size(), 1u);
    expectLine(lineId, AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    EXPECT_FALSE(doc->isModified());
}
}  // namespace
