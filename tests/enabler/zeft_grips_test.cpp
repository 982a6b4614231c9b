#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "db/line.h"
#include "zeft_blockref_support.h"

using namespace zefttest;

namespace {

std::vector<AcGePoint3d> gripsOf(const ZEFTBlockReference& ref) {
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    EXPECT_EQ(ref.getGripPoints(grips, modes, ids), Acad::eOk);
    return std::vector<AcGePoint3d>(grips.begin(), grips.end());
}

void expectPoints(const std::vector<AcGePoint3d>& actual, const std::vector<AcGePoint3d>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_TRUE(actual[i].isEqualTo(expected[i])) << "grip " << i << ": " << actual[i].x << ", " << actual[i].y;
}

int firstIndexOf(AcDbObjectId id) {
    Open<ZEFTGripPoint> g(id);
    return g.object ? g->firstGripIndex : -1;
}

class ZeftGrips : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerClasses(); }
};

}  // namespace

TEST_F(ZeftGrips, ReferenceWithoutGripPointsHasOnlyItsInsertionGrip) {
    Drawing d;
    const AcDbObjectId block = d.block("PLAIN", {new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0))});
    Open<ZEFTBlockReference> ref(d.reference(block, AcGePoint3d(3, 4, 0)));
    expectPoints(gripsOf(*ref.object), {AcGePoint3d(3, 4, 0)});
    EXPECT_EQ(ref->ownGripCount, 1);
}

TEST_F(ZeftGrips, GripPointsAreNumberedFromTheLastEntityUnderTheBlockTransform) {
    Drawing d;
    std::vector<AcDbObjectId> ids;
    ZEFTGripPoint* a = gripPoint(1, AcGePoint3d(1, 1, 0));
    ZEFTGripPoint* b = gripPoint(4, AcGePoint3d(), {AcGePoint3d(2, 0, 0), AcGePoint3d(4, 0, 0)});
    const AcDbObjectId block = d.block("AB", {a, new AcDbLine(), b}, AcGePoint3d::kOrigin, &ids);
    Open<ZEFTBlockReference> ref(d.reference(block, AcGePoint3d(100, 0, 0)), AcDb::kForWrite);
    ref->setRotation(M_PI / 2);
    expectPoints(gripsOf(*ref.object),
                 {AcGePoint3d(100, 0, 0), AcGePoint3d(100, 2, 0), AcGePoint3d(100, 4, 0), AcGePoint3d(99, 1, 0)});
    EXPECT_EQ(ref->ownGripCount, 4);
    // The reference shows its private copy: the numbers are written on the copy's grip points.
    const std::vector<AcDbObjectId> shown = d.entitiesOf(ref->blockTableRecord());
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(firstIndexOf(shown[2]), 1);
    EXPECT_EQ(firstIndexOf(shown[0]), 3);
}

TEST_F(ZeftGrips, EveryGripTypeCountsAndTopBottomTwoPointGripsMoveTheInsertionGrip) {
    Drawing d;
    // Definition order; enumerated last to first.
    ZEFTGripPoint* rect = gripPoint(5, AcGePoint3d(), {AcGePoint3d(0, 5, 0), AcGePoint3d(5, 5, 0), AcGePoint3d(5, 0, 0),
                                                      AcGePoint3d(0, 0, 0)});
    ZEFTGripPoint* turn = gripPoint(0, AcGePoint3d(7, 7, 0));
    ZEFTGripPoint* move = gripPoint(-1, AcGePoint3d(8, 8, 0));
    ZEFTGripPoint* slide = gripPoint(1, AcGePoint3d(6, 6, 0));
    ZEFTGripPoint* arc = gripPoint(2, AcGePoint3d(4, 4, 0));
    ZEFTGripPoint* radius = gripPoint(3, AcGePoint3d(9, 9, 0));
    ZEFTGripPoint* line = gripPoint(4, AcGePoint3d(), {AcGePoint3d(20, 0, 0), AcGePoint3d(30, 0, 0)}, 1);
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block = d.block("ALL", {rect, turn, move, slide, arc, radius, line}, AcGePoint3d::kOrigin, &ids);
    Open<ZEFTBlockReference> ref(d.reference(block));
    expectPoints(gripsOf(*ref.object),
                 {AcGePoint3d(25, 0, 0),  // the middle of grips 1 and 2
                  AcGePoint3d(20, 0, 0), AcGePoint3d(30, 0, 0), AcGePoint3d(9, 9, 0), AcGePoint3d(4, 4, 0),
                  AcGePoint3d(6, 6, 0), AcGePoint3d(8, 8, 0), AcGePoint3d(7, 7, 0), AcGePoint3d(0, 5, 0),
                  AcGePoint3d(5, 5, 0), AcGePoint3d(5, 0, 0), AcGePoint3d(0, 0, 0)});
    EXPECT_EQ(ref->ownGripCount, 12);
    const std::vector<AcDbObjectId> shown = d.entitiesOf(ref->blockTableRecord());
    ASSERT_EQ(shown.size(), 7u);
    std::vector<int> firsts;
    for (size_t i = shown.size(); i-- > 0;) firsts.push_back(firstIndexOf(shown[i]));
    EXPECT_EQ(firsts, (std::vector<int>{1, 3, 4, 5, 6, 7, 8}));
}

TEST_F(ZeftGrips, TopBottomReplacementNeedsTwoGripsBeforeIt) {
    Drawing d;
    ZEFTGripPoint* lonely = gripPoint(4, AcGePoint3d(), {AcGePoint3d(20, 0, 0)}, 1);
    Open<ZEFTBlockReference> ref(d.reference(d.block("ONE", {lonely}), AcGePoint3d(1, 1, 0)));
    expectPoints(gripsOf(*ref.object), {AcGePoint3d(1, 1, 0), AcGePoint3d(21, 1, 0)});
}

TEST_F(ZeftGrips, AttributeGripsFollowTheReferencesOwnAndTheArrayMayHoldOthers) {
    Drawing d;
    const AcDbObjectId block = d.block("G", {gripPoint(1, AcGePoint3d(2, 0, 0))});
    Open<ZEFTBlockReference> ref(d.reference(block, AcGePoint3d(), {AcGePoint3d(5, 5, 0), AcGePoint3d(6, 6, 0)}));
    AcGePoint3dArray grips{AcGePoint3d(-1, -1, 0)};  // another entity's grip
    AcDbIntArray modes, ids;
    ASSERT_EQ(ref->getGripPoints(grips, modes, ids), Acad::eOk);
    EXPECT_EQ(ref->ownGripCount, 2);
    ASSERT_EQ(grips.length(), 5);
    EXPECT_TRUE(grips[0].isEqualTo(AcGePoint3d(-1, -1, 0)));  // left alone
    EXPECT_TRUE(grips[1].isEqualTo(AcGePoint3d(0, 0, 0)));
    EXPECT_TRUE(grips[3].isEqualTo(AcGePoint3d(5, 5, 0)));
    EXPECT_TRUE(grips[4].isEqualTo(AcGePoint3d(6, 6, 0)));
}

TEST_F(ZeftGrips, StretchPointsAskedFirstMarkAStretchOnlyReference) {
    Drawing d;
    const AcDbObjectId block = d.block("S", {gripPoint(1, AcGePoint3d(2, 0, 0))});
    Open<ZEFTBlockReference> first(d.reference(block));
    AcGePoint3dArray points;
    ASSERT_EQ(first->getStretchPoints(points), Acad::eOk);
    EXPECT_TRUE(first->stretchOnly);
    EXPECT_TRUE(first->gripsRequested);
    EXPECT_EQ(points.length(), 2);  // the grip list itself

    Open<ZEFTBlockReference> second(d.reference(block));
    gripsOf(*second.object);
    points.removeAll();
    second->getStretchPoints(points);
    EXPECT_FALSE(second->stretchOnly);
}

TEST_F(ZeftGrips, DimensionsOfTwoPointAndRectangleGrips) {
    Drawing d;
    ZEFTGripPoint* rect = gripPoint(5, AcGePoint3d(), {AcGePoint3d(0, 4, 0), AcGePoint3d(3, 4, 0), AcGePoint3d(3, 0, 0),
                                                      AcGePoint3d(0, 0, 0)});
    rect->setDimensionalSettings(0, "Height");
    rect->setDimensionalSettings(1, "Width");
    ZEFTGripPoint* line = gripPoint(4, AcGePoint3d(), {AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)});
    line->setDimensionalSettings(0, "Length");
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block = d.block("DIM", {rect, gripPoint(1, AcGePoint3d()), line}, AcGePoint3d::kOrigin, &ids);
    Open<ZEFTBlockReference> ref(d.reference(block, AcGePoint3d(50, 50, 0)));  // measured in the definition

    EXPECT_EQ(ref->getDimensionCount(), 3);
    EXPECT_EQ(std::string(ref->getDimensionName(0)), "Length");
    EXPECT_EQ(std::string(ref->getDimensionName(1)), "Height");
    EXPECT_EQ(std::string(ref->getDimensionName(2)), "Width");
    EXPECT_DOUBLE_EQ(ref->getDimension(0), 10.0);
    EXPECT_DOUBLE_EQ(ref->getDimension(1), 3.0);
    EXPECT_DOUBLE_EQ(ref->getDimension(2), 4.0);
    EXPECT_TRUE(ref->getDimensionName(5).IsEmpty());
    EXPECT_EQ(ref->getDimension(5), 0.0);

    // The count is cached: a further grip point in the definition is not counted.
    {
        Open<AcDbBlockTableRecord> shown(ref->blockTableRecord(), AcDb::kForWrite);
        ZEFTGripPoint* extra = gripPoint(4, AcGePoint3d(), {AcGePoint3d(), AcGePoint3d(1, 0, 0)});
        shown->appendAcDbEntity(extra);
        extra->close();
    }
    EXPECT_EQ(ref->getDimensionCount(), 3);
    EXPECT_EQ(ref->dimensionCountCache, 3);
}

TEST_F(ZeftGrips, MissingDefinitionStillListsTheInsertionGripAndAttributes) {
    Drawing d;
    Open<ZEFTBlockReference> ref(d.reference(AcDbObjectId::kNull, AcGePoint3d(1, 2, 0), {AcGePoint3d(3, 3, 0)}));
    expectPoints(gripsOf(*ref.object), {AcGePoint3d(1, 2, 0), AcGePoint3d(3, 3, 0)});
    EXPECT_EQ(ref->ownGripCount, 1);
    EXPECT_EQ(ref->getDimensionCount(), -1);
    EXPECT_EQ(ref->dimensionCountCache, -1);
}
