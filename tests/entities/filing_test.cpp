#include <unistd.h>
#include <memory>
#include <set>
#include "db/aligneddim.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/line.h"
#include "db/minsert.h"
#include "db/mtext.h"
#include "db/objectiterator.h"
#include "db/rotateddim.h"
#include "entities_fixture.h"

namespace {

class FilingTest : public EntityTest {
protected:
    template <class T>
    static std::unique_ptr<T> copyOf(const T& source) {
        return std::unique_ptr<T>(T::cast(source.clone()));
    }
};

// clone() goes through dwgOutFields/dwgInFields: everything must come back.
TEST_F(FilingTest, DwgCopiesKeepTextAndAttributeData) {
    AcDbAttributeDefinition def(AcGePoint3d(1, 2, 3), "dflt", "TAG", "Prompt", db.textstyle());
    def.setHorizontalMode(AcDb::kTextFit);
    def.setAlignmentPoint(AcGePoint3d(9, 2, 3));
    def.setVerticalMode(AcDb::kTextBase);
    def.setHeight(0.7);
    def.setOblique(0.1);
    def.mirrorInX(true);
    def.setPreset(true);
    def.setFieldLength(4);
    def.setNormal(AcGeVector3d(1, 1, 1));
    auto copy = copyOf(def);
    ASSERT_TRUE(copy);
    expectPoint(copy->alignmentPoint(), AcGePoint3d(9, 2, 3));
    EXPECT_EQ(copy->horizontalMode(), AcDb::kTextFit);
    EXPECT_DOUBLE_EQ(copy->height(), 0.7);
    EXPECT_DOUBLE_EQ(copy->oblique(), 0.1);
    EXPECT_TRUE(copy->isMirroredInX());
    EXPECT_TRUE(copy->isPreset());
    EXPECT_EQ(copy->fieldLength(), 4);
    EXPECT_STREQ(copy->promptConst(), "Prompt");
    EXPECT_EQ(copy->textStyle(), db.textstyle());
    EXPECT_TRUE(copy->normal().isEqualTo(AcGeVector3d(1, 1, 1).normal()));

    AcDbAttribute att(AcGePoint3d(4, 5, 6), "v", "T2");
    att.setInvisible(true);
    att.setLockPositionInBlock(true);
    auto attCopy = copyOf(att);
    ASSERT_TRUE(attCopy);
    EXPECT_STREQ(attCopy->tagConst(), "T2");
    EXPECT_TRUE(attCopy->isInvisible());
    EXPECT_TRUE(attCopy->lockPositionInBlock());
    expectPoint(attCopy->position(), AcGePoint3d(4, 5, 6));
}

TEST_F(FilingTest, DwgCopiesKeepMTextAndDimensions) {
    AcDbMText mt;
    mt.setContents("a\\Pb");
    mt.setLocation(AcGePoint3d(1, 1, 1));
    mt.setTextHeight(3);
    mt.setWidth(20);
    mt.setAttachment(AcDbMText::kBottomCenter);
    mt.setFlowDirection(AcDbMText::kTtoB);
    mt.setNormal(AcGeVector3d(0, 1, 0));
    mt.setRotation(0.25);
    auto mtCopy = copyOf(mt);
    ASSERT_TRUE(mtCopy);
    EXPECT_STREQ(mtCopy->contentsConst(), "a\\Pb");
    EXPECT_EQ(mtCopy->attachment(), AcDbMText::kBottomCenter);
    EXPECT_EQ(mtCopy->flowDirection(), AcDbMText::kTtoB);
    EXPECT_NEAR(mtCopy->rotation(), 0.25, 1e-12);
    EXPECT_TRUE(mtCopy->direction().isEqualTo(mt.direction()));
    EXPECT_DOUBLE_EQ(mtCopy->width(), 20);

    AcDbRotatedDimension dim(0.4, AcGePoint3d(0, 0, 0), AcGePoint3d(3, 1, 0), AcGePoint3d(1, 5, 0), "<>!");
    dim.setTextPosition(AcGePoint3d(2, 6, 0));
    auto dimCopy = copyOf(dim);
    ASSERT_TRUE(dimCopy);
    EXPECT_DOUBLE_EQ(dimCopy->rotation(), 0.4);
    EXPECT_DOUBLE_EQ(dimCopy->measurement(), dim.measurement());
    EXPECT_STREQ(dimCopy->dimensionTextConst(), "<>!");
    expectPoint(dimCopy->textPosition(), AcGePoint3d(2, 6, 0));

    AcDbAlignedDimension aligned(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0), AcGePoint3d(0, 1, 0));
    aligned.setOblique(0.3);
    auto alignedCopy = copyOf(aligned);
    ASSERT_TRUE(alignedCopy);
    EXPECT_DOUBLE_EQ(alignedCopy->measurement(), 5.0);
    EXPECT_DOUBLE_EQ(alignedCopy->oblique(), 0.3);
    EXPECT_TRUE(alignedCopy->isUsingDefaultTextPosition());
}

TEST_F(FilingTest, MirroredMInsertKeepsItsGridWhereTheMirrorPutsIt) {
    AcDbObjectId block = addBlock("CELL");
    add(block, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    AcDbMInsertBlock grid(AcGePoint3d(2, 0, 0), block, 2, 2, 3.0, 4.0);
    auto starts = [](const AcDbMInsertBlock& g) {
        AcDbVoidPtrArray pieces;
        EXPECT_EQ(g.explode(pieces), Acad::eOk);
        std::set<std::pair<long, long>> out;
        for (void* p : pieces) {
            auto* line = AcDbLine::cast(static_cast<AcDbEntity*>(p));
            if (line) out.insert({std::lround(line->startPoint().x * 10), std::lround(line->startPoint().y * 10)});
            delete static_cast<AcDbEntity*>(p);
        }
        return out;
    };
    AcGeMatrix3d mirror = AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(), AcGeVector3d::kXAxis));
    std::set<std::pair<long, long>> expected;
    for (const auto& [x, y] : starts(grid)) expected.insert({-x, y});
    ASSERT_EQ(grid.transformBy(mirror), Acad::eOk);
    EXPECT_EQ(starts(grid), expected);
    auto copy = copyOf(grid);
    ASSERT_TRUE(copy);
    EXPECT_EQ(starts(*copy), expected);
}

TEST_F(FilingTest, DrawingFileKeepsReferencesWithTheirAttributes) {
    AcDbObjectId block = addBlock("B", AcGePoint3d(1, 1, 0));
    add(block, new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(3, 1, 0)));
    auto* ref = new AcDbBlockReference(AcGePoint3d(10, 10, 0), block);
    ref->setRotation(0.5);
    ref->setScaleFactors(AcGeScale3d(2));
    AcDbObjectId refId = addToModel(ref);
    ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForWrite), Acad::eOk);
    AcDbAttributeDefinition def(AcGePoint3d(1, 2, 0), "dflt", "TAG", "?");
    for (const char* value : {"first", "second"}) {
        auto* att = new AcDbAttribute;
        att->setAttributeFromBlock(&def, ref->blockTransform());
        att->setTextString(value);
        ASSERT_EQ(ref->appendAttribute(att), Acad::eOk);
        att->close();
    }
    ref->close();

    char path[] = "/tmp/cadhost_entities_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(db.dxfOut(path), Acad::eOk) << db.lastError();
    AcDbDatabase back(false, true);
    Acad::ErrorStatus es = back.readDxfFile(path);
    unlink(path);
    ASSERT_EQ(es, Acad::eOk) << back.lastError();

    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, back.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    std::vector<AcDbObjectId> ids = ms->entityIds();
    ms->close();
    ASSERT_EQ(ids.size(), 1u);
    AcDbBlockReference* read = nullptr;
    ASSERT_EQ(acdbOpenObject(read, ids[0], AcDb::kForRead), Acad::eOk);
    EXPECT_NEAR(read->rotation(), 0.5, 1e-12);
    EXPECT_TRUE(read->scaleFactors().isEqualTo(AcGeScale3d(2)));
    EXPECT_FALSE(read->sequenceEndId().isNull());
    std::vector<std::string> values;
    AcDbObjectIterator* it = read->attributeIterator();
    for (; !it->done(); it->step()) {
        AcDbAttribute* att = nullptr;
        ASSERT_EQ(acdbOpenObject(att, it->objectId(), AcDb::kForRead), Acad::eOk);
        values.push_back(att->textStringConst());
        EXPECT_EQ(att->ownerId(), ids[0]);
        // (1, 2) is 1 up from the origin: 2 along the reference's turned Y axis.
        expectPoint(att->position(), AcGePoint3d(10 - 2 * std::sin(0.5), 10 + 2 * std::cos(0.5), 0), 1e-9);
        att->close();
    }
    delete it;
    read->close();
    EXPECT_EQ(values, (std::vector<std::string>{"first", "second"}));
}

TEST_F(FilingTest, DeepCloneGivesTheCopyAttributesOfItsOwn) {
    AcDbObjectId block = addBlock("B");
    AcDbObjectId refId = addToModel(new AcDbBlockReference(AcGePoint3d(1, 0, 0), block));
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId original;
    auto* att = new AcDbAttribute(AcGePoint3d(1, 1, 0), "v", "TAG");
    ASSERT_EQ(ref->appendAttribute(original, att), Acad::eOk);
    att->close();
    ref->close();

    AcDbObjectIdArray ids{refId};
    AcDbIdMapping map;
    ASSERT_EQ(db.deepCloneObjects(ids, db.modelSpaceId(), map), Acad::eOk);
    AcDbIdPair pair(refId, AcDbObjectId::kNull, false);
    ASSERT_TRUE(map.compute(pair));
    AcDbBlockReference* clone = nullptr;
    ASSERT_EQ(acdbOpenObject(clone, pair.value(), AcDb::kForRead), Acad::eOk);
    std::vector<AcDbObjectId> attributes = clone->internalAttributeIds();
    AcDbObjectId end = clone->sequenceEndId();
    clone->close();
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_NE(attributes[0], original);
    EXPECT_NE(end, AcDbObjectId::kNull);
    AcDbAttribute* copied = nullptr;
    ASSERT_EQ(acdbOpenObject(copied, attributes[0], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(copied->ownerId(), pair.value());
    EXPECT_STREQ(copied->tagConst(), "TAG");
    copied->close();
}

}  // namespace
