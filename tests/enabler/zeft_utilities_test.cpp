#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include "Utilities.h"
#include "db/arc.h"
#include "db/attdef.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/minsert.h"
#include "db/polyline2d.h"
#include "db/text.h"
#include "ed/docman.h"
#include "ed/winapp.h"
#include "rx/print.h"
#include "grip_drag_support.h"
#include "zeft_blockref_support.h"

using namespace zefttest;

namespace {

std::string g_printed;
void capture(const char* text) { g_printed += text; }

AcGePoint3dArray square() {
    return AcGePoint3dArray{AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(10, 10, 0), AcGePoint3d(0, 10, 0)};
}

// Distance from sub-point 0 after dragging sub-point 1, 10 along x, to `to` under one setting.
double snapped(double to, std::initializer_list<double> values, double minimum = 0, double maximum = 0) {
    ZEFTGripPoint g;
    g.subPoints = AcGePoint3dArray{AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)};
    g.setDimensionalSettings(0, "W");
    for (double v : values) g.smartGripData[0].values.append(v);
    g.smartGripData[0].minimum = minimum;
    g.smartGripData[0].maximum = maximum;
    AcGeVector3d v(to - 10, 0, 0);
    snapToDimensionalSettings(&g, 0, 1, v, 0);
    return (g.subPoints[1] + v).distanceTo(g.subPoints[0]);
}

// An entity whose points cannot be moved.
class Immovable : public AcDbEntity {};

class ZeftUtilities : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerClasses(); }
};

}  // namespace

TEST_F(ZeftUtilities, AnglesUseTheModulesPi) {
    EXPECT_EQ(toRadians(180.0), 3.1415926535898);
    EXPECT_DOUBLE_EQ(normalizeAngle(-0.5), 6.283185307179586 - 0.5);
    EXPECT_NEAR(normalizeAngle(7.0), 7.0 - 6.283185307179586, 1e-14);
    EXPECT_EQ(normalizeAngle(1e300), 0.0);
    EXPECT_DOUBLE_EQ(angleOf(AcGePoint3d(1, 1, 0), AcGePoint3d(1, 0, 5)), 1.5 * M_PI);
    AcGePoint3d target(4, 4, 3);
    pointAlong(AcGePoint3d(1, 0, 0), target, 10.0);  // along (3, 4), at the base's z
    EXPECT_TRUE(target.isEqualTo(AcGePoint3d(7, 8, 0)));
}

TEST_F(ZeftUtilities, PrivateCopiesTakeTheSmallestFreeNumber) {
    Drawing d;
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId door = d.block("DOOR", {new AcDbLine(AcGePoint3d(), AcGePoint3d(5, 0, 0)),
                                               gripPoint(1, AcGePoint3d(5, 0, 0))},
                                      AcGePoint3d(2, 3, 0), &ids);
    {
        Open<ZEFTGripPoint> g(ids[1], AcDb::kForWrite);
        AcDbIntArray end{1};
        g->appendChildEntity(ids[0], 0);
        g->setChildStretchPointIds(end, 0);
    }
    d.block("*DOOR1");
    d.block("*door2");  // names compare without regard to case
    EXPECT_EQ(std::string(uniqueCopyName(door)), "*DOOR3");

    const AcDbObjectId copy = copyBlockDefinition(door, "*DOOR1", nullptr);
    EXPECT_EQ(std::string(symbolRecordName(copy)), "*DOOR10");
    EXPECT_EQ(std::string(uniqueCopyName(copy)), "*DOOR101");  // one asterisk, a valid name
    {
        Open<AcDbBlockTableRecord> record(copy);
        EXPECT_TRUE(record->origin().isEqualTo(AcGePoint3d(2, 3, 0)));
    }
    const std::vector<AcDbObjectId> cloned = d.entitiesOf(copy);
    ASSERT_EQ(cloned.size(), 2u);
    Open<ZEFTGripPoint> grip(cloned[1]);
    EXPECT_EQ(grip->getChildEntityId(0, 0), cloned[0]);  // the child id follows the clone

    d.block("Q");
    for (int n = 0; n < 255; ++n) d.block(("Q" + std::to_string(n)).c_str());
    const int before = d.blockCount();
    EXPECT_TRUE(copyBlockDefinition(door, "Q", nullptr).isNull());  // every variant taken
    EXPECT_TRUE(copyBlockDefinition(door, std::string(300, 'L').c_str(), nullptr).isNull());
    EXPECT_EQ(d.blockCount(), before);
}

TEST_F(ZeftUtilities, PointInsideOutlineCountsTheBoundaryAndTouchingVertices) {
    EXPECT_TRUE(pointInsidePoints(square(), AcGePoint3d(5, 5, 0)));
    EXPECT_TRUE(pointInsidePoints(square(), AcGePoint3d(10, 5, 0)));  // on the boundary
    EXPECT_TRUE(pointInsidePoints(square(), AcGePoint3d(0, 0, 0)));   // on a corner
    EXPECT_FALSE(pointInsidePoints(square(), AcGePoint3d(15, 5, 0)));

    // The test ray from (5, 2) crosses the vertex (5, 10); the one from (10, 2) only touches
    // the corner (10, 5).
    const AcGePoint3dArray diamond{AcGePoint3d(5, 0, 0), AcGePoint3d(10, 5, 0), AcGePoint3d(5, 10, 0),
                                   AcGePoint3d(0, 5, 0)};
    EXPECT_TRUE(pointInsidePoints(diamond, AcGePoint3d(5, 2, 0)));
    EXPECT_FALSE(pointInsidePoints(diamond, AcGePoint3d(10, 2, 0)));

    AcDbCircle circle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 5.0);
    EXPECT_TRUE(pointInsideCurve(&circle, AcGePoint3d(1, 1, 0)));
    EXPECT_FALSE(pointInsideCurve(&circle, AcGePoint3d(6, 0, 0)));
    AcGePoint3dArray vertices = square();
    AcDb2dPolyline fitted(AcDb::k2dFitCurvePoly, vertices, 0.0, true);
    AcDb2dPolyline open(AcDb::k2dSimplePoly, vertices, 0.0, false);
    EXPECT_FALSE(pointInsideCurve(&fitted, AcGePoint3d(5, 5, 0)));
    EXPECT_FALSE(pointInsideCurve(&open, AcGePoint3d(5, 5, 0)));

    ZEFTGripPoint grip;
    grip.pointLists[1] = square();
    EXPECT_TRUE(pointInsideGripOutline(&grip, AcGePoint3d(5, 5, 0), 1));
    EXPECT_FALSE(pointInsideGripOutline(&grip, AcGePoint3d(5, 5, 0), 0));
}

TEST_F(ZeftUtilities, StretchPointsOfCirclesArcsAndMultipleInserts) {
    AcDbCircle circle(AcGePoint3d(1, 2, 0), AcGeVector3d::kZAxis, 5.0);
    AcGePoint3dArray points;
    entityStretchPoints(&circle, points);
    EXPECT_EQ(points, AcGePoint3dArray{AcGePoint3d(1, 2, 0)});
    AcDbArc arc(AcGePoint3d(0, 0, 0), 2.0, 0.0, M_PI / 2);
    AcGePoint3dArray grips, stretch;
    AcDbIntArray modes, ids;
    arc.getGripPoints(grips, modes, ids);
    entityStretchPoints(&arc, stretch);
    EXPECT_EQ(stretch, grips);

    Drawing d;
    const AcDbObjectId cell = d.block("CELL", {new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0))});
    AcDbMInsertBlock grid(AcGePoint3d(5, 5, 0), cell, 1, 3, 20.0, 10.0);  // 1 column, 3 rows at 10
    AcGePoint3dArray corners;
    entityStretchPoints(&grid, corners);
    ASSERT_EQ(corners.length(), 3);
    EXPECT_TRUE(corners[1].isEqualTo(AcGePoint3d(5, 35, 0)));
    EXPECT_TRUE(corners[2].isEqualTo(AcGePoint3d(5, 5, 0)));
    moveEntityStretchPoints(&grid, AcDbIntArray{1}, AcGeVector3d(0, 12, 0), nullptr);
    EXPECT_EQ(grid.rows(), 4);  // (30 + 12) / 10 = 4.2
    moveEntityStretchPoints(&grid, AcDbIntArray{2, 0}, AcGeVector3d(3, 0, 0), nullptr);
    EXPECT_EQ(grid.columns(), 1);
    EXPECT_TRUE(grid.position().isEqualTo(AcGePoint3d(8, 5, 0)));
    AcDbMInsertBlock flat(AcGePoint3d(), cell, 1, 2, 0.0, 0.0);  // no spacing to count by
    moveEntityStretchPoints(&flat, AcDbIntArray{1}, AcGeVector3d(0, 12, 0), nullptr);
    EXPECT_EQ(flat.rows(), 2);
}

TEST_F(ZeftUtilities, SnappingToIncrementsListsAndLimits) {
    EXPECT_DOUBLE_EQ(snapped(12.4, {5.0}), 10.0);
    EXPECT_DOUBLE_EQ(snapped(12.5, {5.0}), 15.0);
    EXPECT_DOUBLE_EQ(snapped(14.0, {5.0, 10.0, 20.0}), 10.0);
    EXPECT_DOUBLE_EQ(snapped(16.0, {5.0, 10.0, 20.0}), 20.0);
    EXPECT_DOUBLE_EQ(snapped(15.0, {10.0, 20.0}), 10.0);  // a tie goes to the first value
    EXPECT_DOUBLE_EQ(snapped(6.0, {5.0}, 8.0, 0.0), 8.0);  // 5 by the increment, then the minimum
    EXPECT_DOUBLE_EQ(snapped(23.0, {5.0}, 0.0, 20.0), 20.0);

    // Only the distance from sub-point 0 changes; a missing setting or sub-point changes nothing.
    ZEFTGripPoint g;
    g.subPoints = AcGePoint3dArray{AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)};
    g.setDimensionalSettings(0, "W");
    g.smartGripData[0].values.append(5.0);
    AcGeVector3d v(2, 12, 0);  // to (12, 12)
    snapToDimensionalSettings(&g, 0, 1, v, 0);
    const AcGePoint3d moved = g.subPoints[1] + v;
    EXPECT_NEAR(moved.distanceTo(AcGePoint3d()), 15.0, 1e-9);
    EXPECT_NEAR(moved.x, moved.y, 1e-9);
    AcGeVector3d untouched(2.4, 0, 0);
    snapToDimensionalSettings(&g, 0, 1, untouched, 1);
    snapToDimensionalSettings(&g, 0, 7, untouched, 0);
    EXPECT_TRUE(untouched.isEqualTo(AcGeVector3d(2.4, 0, 0)));
}

TEST_F(ZeftUtilities, FailedStretchQueuesUndoAndPrintsOncePerMove) {
    AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
    AcApDocument* document = acDocManagerPtr()->newDocument();
    ASSERT_NE(document, nullptr);
    ZEFTBlockReference reference;
    Immovable entity;
    ModuleAttached module;
    ASSERT_FALSE(loadResString(kStretchFailedString).IsEmpty());
    const int focused = acedGetAcadDockCmdLine()->focusCount();
    g_printed.clear();
    acutSetPrintSink(capture);
    moveEntityStretchPoints(&entity, AcDbIntArray{0}, AcGeVector3d(1, 0, 0), &reference);
    moveEntityStretchPoints(&entity, AcDbIntArray{0}, AcGeVector3d(1, 0, 0), &reference);
    const std::string once = g_printed;
    ASSERT_EQ(document->pendingInput().size(), 1u);
    EXPECT_EQ(document->pendingInput().front().text, "_u ");
    EXPECT_FALSE(document->pendingInput().front().echo);
    EXPECT_EQ(acedGetAcadDockCmdLine()->focusCount(), focused + 1);  // focus before queueing
    reference.stretchFailureReported = false;  // the next move
    moveEntityStretchPoints(&entity, AcDbIntArray{0}, AcGeVector3d(1, 0, 0), &reference);
    AcDbLine line(AcGePoint3d(), AcGePoint3d(1, 0, 0));
    reference.stretchFailureReported = false;
    moveEntityStretchPoints(&line, AcDbIntArray{1}, AcGeVector3d(1, 0, 0), &reference);  // works
    acutSetPrintSink(nullptr);

    EXPECT_EQ(once, std::string(loadResString(kStretchFailedString)));
    EXPECT_EQ(g_printed, once + once);
    EXPECT_EQ(document->pendingInput().size(), 2u);
    EXPECT_FALSE(reference.stretchFailureReported);
    EXPECT_TRUE(line.endPoint().isEqualTo(AcGePoint3d(2, 0, 0)));
    document->pendingInput().clear();
    acDocManagerPtr()->closeDocument(document);
    acdbHostApplicationServices()->setWorkingDatabase(working);
}

TEST_F(ZeftUtilities, AttributeDefinitionsActThroughTheReferencesAttribute) {
    Drawing d;
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block = d.block("TAGGED", {new ZEFTAttributeDefinition(), new AcDbAttributeDefinition()},
                                       AcGePoint3d::kOrigin, &ids);
    Open<ZEFTBlockReference> ref(d.reference(block, AcGePoint3d(), {AcGePoint3d(4, 4, 0)}), AcDb::kForWrite);
    {
        Open<ZEFTAttribute> attribute(ref->getAttribute(0), AcDb::kForWrite);
        attribute->setDefinitionId(ids[0]);
    }
    Open<AcDbEntity> intelligent(ids[0], AcDb::kForWrite);
    Open<AcDbEntity> plain(ids[1]);
    ZEFTAttribute* found = attributeOfDefinition(intelligent.object, ref.object);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->objectId(), ref->getAttribute(0));
    found->close();
    EXPECT_EQ(attributeOfDefinition(plain.object, ref.object), nullptr);

    moveEntityStretchPoints(intelligent.object, AcDbIntArray{0}, AcGeVector3d(1, 2, 0), ref.object);
    Open<ZEFTAttribute> moved(ref->getAttribute(0));
    EXPECT_TRUE(moved->position().isEqualTo(AcGePoint3d(5, 6, 0)));
}

TEST_F(ZeftUtilities, TextCopiesOfDerivedTextsArePlainTexts) {
    AcDbAttributeDefinition definition(AcGePoint3d(1, 0, 0), "value", "TAG", "prompt");
    AcDbEntity* copy = nullptr;
    ASSERT_EQ(transformedTextCopy(&definition, AcGeMatrix3d::translation(AcGeVector3d(0, 5, 0)), copy), Acad::eOk);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->isA(), AcDbText::desc());
    EXPECT_TRUE(AcDbText::cast(copy)->position().isEqualTo(AcGePoint3d(1, 5, 0)));
    EXPECT_STREQ(AcDbText::cast(copy)->textStringConst(), "value");
    delete copy;
    releaseTextScratch();
}
